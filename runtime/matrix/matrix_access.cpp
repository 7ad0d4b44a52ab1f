// Element access by (row, column) and by running index, declared in
// matrix_construct.h.
#include "runtime/matrix/matrix_construct.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/matrix/matrix_sub.h"
#include "runtime/matrix/polymat.h"
#include "runtime/objects/polynomial_ops.h"
#include "runtime/objects/rational_ops.h"

namespace {

using vorn_matrix::elementCount;
using vorn_matrix::nameOf;
using vorn_matrix::offsetOf;

const char kBadIndex[] = "Not a suitable index";

// Shape that running index k > rows*cols needs; false when m has no rows
// or no columns and is neither 0x0 nor a vector.
bool vecGrowShape(const Matrix* m, int k, int& rows, int& cols) {
  if (m->rows == 1 || vorn_matrix::isZeroByZero(m)) {
    rows = 1;
    cols = k;
  } else if (m->cols == 1) {
    rows = k;
    cols = 1;
  } else if (vorn_matrix::hasNoElements(m)) {
    return false;
  } else {
    rows = (k - 1) / m->cols + 1;
    cols = m->cols;
  }
  return true;
}

inline bool inside(const Matrix* m, int i, int j) {
  return i >= 1 && j >= 1 && i <= m->rows && j <= m->cols;
}
inline bool insideVec(const Matrix* m, int k) {
  return k >= 1 && static_cast<size_t>(k) <= elementCount(m);
}

// The reports of element access for the classes stored as doubles: tags,
// messages and source descriptions per class.
struct CellReports {
  int class_;
  int width;   // doubles per element
  const char* notClass;
  const char* setTag;
  const char* setVecTag;
  const char* getClassTag;
  const char* getIndexTag;
  const char* getVecClassTag;
  const char* getVecIndexTag;
  void (*setSource)(const Matrix* m, int i, int j, const double* value);
  void (*setVecSource)(const Matrix* m, int k, const double* value);
};

void realSetSource(const Matrix* m, int i, int j, const double* v) {
  MatErrorSource("%s(%dx%d)(%d,%d) = %g", nameOf(m), m->rows, m->cols, i, j, v[0]);
}
void realSetVecSource(const Matrix* m, int k, const double* v) {
  MatErrorSource("%s(%dx%d)(%d) = %g", nameOf(m), m->rows, m->cols, k, v[0]);
}
void complexSetSource(const Matrix* m, int i, int j, const double* v) {
  MatErrorSource("%s(%dx%d)(%d,%d) = (%g,%g)", nameOf(m), m->rows, m->cols, i, j, v[0], v[1]);
}
void complexSetVecSource(const Matrix* m, int k, const double* v) {
  MatErrorSource("%s(%dx%d)(%d) = (%g,%g)", nameOf(m), m->rows, m->cols, k, v[0], v[1]);
}

const CellReports kRealCell{MAT_REAL,
                            1,
                            "Not a real matrix",
                            "MatSetValue()",
                            "MatSetVecValue()",
                            "MatGetPrt()",
                            "MatGetPtr()",
                            "MatGetVecPrt()",
                            "MatGetVecPtr()",
                            realSetSource,
                            realSetVecSource};

const CellReports kComplexCell{MAT_COMPLEX,
                               2,
                               "Not a complex matrix",
                               "C_MatSetValue()",
                               "C_MatSetVecValue()",
                               "C_MatGetPtr()",
                               "C_MatGetPtr()",
                               "C_MatGetVecPtr()",
                               "C_MatGetVecPtr()",
                               complexSetSource,
                               complexSetVecSource};

// Sets element (i, j), growing m to cover it; new elements are zero.
Matrix* setCell(const CellReports& c, Matrix* m, int i, int j, const double* value) {
  const char* message = m->class_ != c.class_ ? c.notClass : (i < 1 || j < 1) ? kBadIndex : nullptr;
  if (message != nullptr) {
    c.setSource(m, i, j, value);
    MatError(c.setTag, message, m);
  }
  if (i > m->rows || j > m->cols) MatEnlarge(m, std::max(m->rows, i), std::max(m->cols, j));
  std::copy(value, value + c.width, MatReal(m) + offsetOf(m, i, j) * c.width);
  return m;
}

// Sets the element of running index k, growing m by vecGrowShape.
Matrix* setVecCell(const CellReports& c, Matrix* m, int k, const double* value) {
  int rows = m->rows;
  int cols = m->cols;
  const bool grows = k > 0 && static_cast<size_t>(k) > elementCount(m);
  const char* message = m->class_ != c.class_                     ? c.notClass
                        : k <= 0                                   ? kBadIndex
                        : grows && !vecGrowShape(m, k, rows, cols) ? kBadIndex
                                                                   : nullptr;
  if (message != nullptr) {
    c.setVecSource(m, k, value);
    MatError(c.setVecTag, message, m);
  }
  if (grows) MatEnlarge(m, rows, cols);
  std::copy(value, value + c.width, MatReal(m) + static_cast<size_t>(k - 1) * c.width);
  return m;
}

// Address of element (i, j); reading never grows a matrix.
double* cellAt(const CellReports& c, Matrix* m, int i, int j) {
  if (m->class_ != c.class_ || !inside(m, i, j)) {
    MatErrorSource("%s(%dx%d)(%d,%d)", nameOf(m), m->rows, m->cols, i, j);
    if (m->class_ != c.class_) MatError(c.getClassTag, c.notClass, m);
    MatError(c.getIndexTag, kBadIndex, m);
  }
  return MatReal(m) + offsetOf(m, i, j) * c.width;
}

double* vecCellAt(const CellReports& c, Matrix* m, int k) {
  if (m->class_ != c.class_ || !insideVec(m, k)) {
    MatErrorSource("%s(%dx%d)(%d)", nameOf(m), m->rows, m->cols, k);
    if (m->class_ != c.class_) MatError(c.getVecClassTag, c.notClass, m);
    MatError(c.getVecIndexTag, kBadIndex, m);
  }
  return MatReal(m) + static_cast<size_t>(k - 1) * c.width;
}

// Copies row or column `at` (from 1) of a real or complex m into v: a row
// when byRow, else a column.
void copyLine(Matrix* v, const Matrix* m, int at, bool byRow) {
  const size_t w = static_cast<size_t>(vorn_matrix::widthOf(m->class_));
  const int n = byRow ? m->cols : m->rows;
  for (int k = 1; k <= n; k++) {
    const size_t from = byRow ? offsetOf(m, at, k) : offsetOf(m, k, at);
    std::memcpy(MatReal(v) + static_cast<size_t>(k - 1) * w, MatReal(m) + from * w, w * sizeof(double));
  }
}

// The constant polynomial or rational value x, given to set (which copies
// it) and released after.
template <class Set>
Matrix* setPolyConstant(Matrix* m, double x, Set set) {
  Polynomial* constant = PolyConst(x);
  set(constant);
  PolyUndef(constant);
  return m;
}
template <class Set>
Matrix* setRatConstant(Matrix* m, double x, Set set) {
  Rational* constant = RatConst(x);
  set(constant);
  RatUndef(constant);
  return m;
}

}  // namespace

// ---------------------------------------------------------------------------
// Element access.

Matrix* MatSetValueChecked(Matrix* m, int i, int j, double value) {
  MatCheckLive(m, "MatSetValue()");
  switch (m->class_) {
    case MAT_REAL: return Mat_SetValue(m, i, j, value);
    case MAT_COMPLEX: return C_MatSetValue(m, i, j, value, 0.0);
    case MAT_POLY:
    case MAT_C_POLY: return setPolyConstant(m, value, [=](Polynomial* p) { return P_MatSetValue(m, i, j, p); });
    case MAT_RATIONAL:
    case MAT_C_RATIONAL: return setRatConstant(m, value, [=](Rational* r) { return R_MatSetValue(m, i, j, r); });
    default: return m;
  }
}

Matrix* Mat_SetValue(Matrix* m, int i, int j, double value) {
  return setCell(kRealCell, m, i, j, &value);
}

double* MatGetPtrChecked(Matrix* m, int i, int j) {
  MatCheckLive(m, "MatGetValue()");
  return cellAt(kRealCell, m, i, j);
}

void MatGetPtrFail(Matrix* m, int i, int j) {
  MatCheckLive(m, "MatGetValue()");
  cellAt(kRealCell, m, i, j);
  std::abort();  // not reached: a cell that failed the inline test is reported
}

Matrix* MatSetVecValue(Matrix* m, int k, double value) {
  switch (m->class_) {
    case MAT_REAL: return Mat_SetVecValue(m, k, value);
    case MAT_COMPLEX: return C_MatSetVecValue(m, k, value, 0.0);
    case MAT_POLY:
    case MAT_C_POLY: return setPolyConstant(m, value, [=](Polynomial* p) { return P_MatSetVecValue(m, k, p); });
    case MAT_RATIONAL:
    case MAT_C_RATIONAL: return setRatConstant(m, value, [=](Rational* r) { return R_MatSetVecValue(m, k, r); });
    default: return m;
  }
}

Matrix* Mat_SetVecValue(Matrix* m, int k, double value) {
  return setVecCell(kRealCell, m, k, &value);
}

double MatGetVecValue(Matrix* m, int k) { return *MatGetVecPtr(m, k); }

double* MatGetVecPtr(Matrix* m, int k) { return vecCellAt(kRealCell, m, k); }

int MatGetRows(Matrix* m) { return m->rows; }
int MatGetCols(Matrix* m) { return m->cols; }

int MatLength(Matrix* m) {
  if (vorn_matrix::hasNoElements(m)) return 0;
  return std::max(m->rows, m->cols);
}

int MatIsComplexValue(Matrix* m) { return vorn_matrix::holdsComplex(m->class_); }

int MatIsRealValue(Matrix* m) {
  return m->class_ == MAT_REAL || m->class_ == MAT_POLY || m->class_ == MAT_RATIONAL;
}

Matrix* MatColumnVector(Matrix* m, int j) {
  if (j < 1 || j > m->cols) {
    MatErrorSource("%s(%dx%d)(:, %d)", nameOf(m), m->rows, m->cols, j);
    MatError("MatColumnVector()", "Not appropriate column number", m);
  }
  if (vorn_matrix::isPolyOrRational(m->class_)) return MatCut(m, 1, j, m->rows, j);
  if (vorn_matrix::widthOf(m->class_) == 0) vorn_matrix::failUnservedClass("MatColumnVector()", m);
  Matrix* v = MatSameClassDef(m, m->rows, 1);
  copyLine(v, m, j, false);
  return v;
}

Matrix* MatRowVector(Matrix* m, int i) {
  if (i < 1 || i > m->rows) {
    MatErrorSource("%s(%dx%d)(%d, :)", nameOf(m), m->rows, m->cols, i);
    MatError("MatRowVector()", "Not appropriate row number", m);
  }
  if (vorn_matrix::isPolyOrRational(m->class_)) return MatCut(m, i, 1, i, m->cols);
  if (vorn_matrix::widthOf(m->class_) == 0) vorn_matrix::failUnservedClass("MatRowVector()", m);
  Matrix* v = MatSameClassDef(m, 1, m->cols);
  copyLine(v, m, i, true);
  return v;
}

// ---------------------------------------------------------------------------
// Complex element access.

Matrix* C_MatSetValue(Matrix* m, int i, int j, double re, double im) {
  const double z[2] = {re, im};
  return setCell(kComplexCell, m, i, j, z);
}

Matrix* C_MatSetVecValue(Matrix* m, int k, double re, double im) {
  const double z[2] = {re, im};
  return setVecCell(kComplexCell, m, k, z);
}

double* C_MatGetPtr(Matrix* m, int i, int j) { return cellAt(kComplexCell, m, i, j); }

double* C_MatGetVecPtr(Matrix* m, int k) { return vecCellAt(kComplexCell, m, k); }
