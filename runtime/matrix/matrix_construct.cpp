#include "runtime/matrix/matrix_construct.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/matrix/matrix_sub.h"
#include "runtime/core/registry.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"

namespace {

const char kBadSize[] = "Not appropriate column or row number";
const char kBadClass[] = "Incorrect class matrix";
const char kBadIndex[] = "Not a suitable index";

inline const char* nameOf(const Matrix* m) { return m->name != nullptr ? m->name : ""; }
inline const char* textOr(const char* name) { return name != nullptr ? name : ""; }

// Element count; constructors keep it within 32 bits.
inline int countOf(const Matrix* m) { return m->rows * m->cols; }

inline bool isPolyOrRational(int class_) { return class_ >= MAT_POLY && class_ <= MAT_C_RATIONAL; }

// Doubles per element of the classes held as plain doubles; 0 otherwise.
inline int widthOf(int class_) {
  return class_ == MAT_REAL ? 1 : class_ == MAT_COMPLEX ? 2 : 0;
}

// A size a record can describe: no negative dimension and an element count
// that fits the record's 32-bit arithmetic.
inline bool sizeOk(int rows, int cols) {
  return rows >= 0 && cols >= 0 && static_cast<long long>(rows) * cols <= INT_MAX;
}

size_t storageBytes(int n, int class_) {
  if (isPolyOrRational(class_)) return static_cast<size_t>(n) * sizeof(void*);
  return static_cast<size_t>(n) * static_cast<size_t>(widthOf(class_)) * sizeof(double);
}

// The define path of every constructor: a parked record of the same count
// and class keeps its storage (stale values); otherwise a parked empty real
// record lends its record and name buffer, or a new record is made, and
// fresh storage is allocated. The result is a new temporary.
Matrix* defineRecord(const char* name, int rows, int cols, int class_) {
  const int n = rows * cols;
  Matrix* m = MatRequest(n, class_);
  if (m == nullptr) {
    m = MatRequest(0, MAT_REAL);
    if (m == nullptr) {
      m = static_cast<Matrix*>(emalloc(sizeof(Matrix)));
      m->name = nullptr;
      m->prev = nullptr;
      m->next = nullptr;
      m->parked = false;
      m->data = nullptr;
    }
    if (m->data != nullptr) efree(m->data);
    m->data = emalloc(storageBytes(n, class_));
  }
  MatAppendToLastMat(m);
  m->rows = rows;
  m->cols = cols;
  vorn_registry::setLifetime(m, vorn_registry::kTemporary);
  m->class_ = class_;
  vorn_registry::setName(m->name, textOr(name));
  return m;
}

[[noreturn]] void sizeError(const char* tag) { MatError(tag, kBadSize, nullptr); }

// The named constructors: a size no record can describe is reported as
// fn("name", rows, cols) from fn().
Matrix* defineChecked(const char* fn, const char* tag, const char* name, int rows, int cols,
                      int class_) {
  if (!sizeOk(rows, cols)) {
    MatErrorSource("%s(\"%s\", %d, %d)", fn, textOr(name), rows, cols);
    sizeError(tag);
  }
  return defineRecord(name, rows, cols, class_);
}

// The unnamed constructors report a bad size as word(rows, cols), or
// word(n) for the square forms, from tag.
void checkSize(const char* word, const char* tag, int rows, int cols) {
  if (sizeOk(rows, cols)) return;
  MatErrorSource("%s(%d, %d)", word, rows, cols);
  sizeError(tag);
}
void checkSquare(const char* word, const char* tag, int n) {
  if (sizeOk(n, n)) return;
  MatErrorSource("%s(%d)", word, n);
  sizeError(tag);
}

// Doubles of m's storage (both parts for complex elements).
inline size_t doublesOf(const Matrix* m) {
  return static_cast<size_t>(countOf(m)) * static_cast<size_t>(widthOf(m->class_));
}

void fillDoubles(Matrix* m, double value) {
  double* const d = MatReal(m);
  const size_t total = doublesOf(m);
  for (size_t k = 0; k < total; k++) d[k] = value;
}

// Unnamed rows x cols matrix of the given class; polynomial and rational
// classes are not available yet and are reported from tag with m.
Matrix* defineOfClass(const Matrix* m, int class_, int rows, int cols, const char* tag) {
  switch (class_) {
    case MAT_REAL: return MatNonNameDef(rows, cols);
    case MAT_COMPLEX: return C_MatNonNameDef(rows, cols);
    default: MatError(tag, kBadClass, const_cast<Matrix*>(m));
  }
}

// Copies the (rows x cols) block of src starting at (i0, j0), 0-based, into
// dst at (0, 0); both of width w doubles per element.
void copyBlock(Matrix* dst, const Matrix* src, int i0, int j0, int rows, int cols, int w) {
  double* const d = MatReal(dst);
  const double* const s = MatReal(src);
  for (int i = 0; i < rows; i++) {
    const double* from = s + (static_cast<size_t>(i0 + i) * src->cols + j0) * w;
    double* to = d + static_cast<size_t>(i) * dst->cols * w;
    std::memcpy(to, from, static_cast<size_t>(cols) * w * sizeof(double));
  }
}

// Grows m in place to rows x cols of the class of classOf, keeping its
// values at the top left, its identity, name and lifetime code. The put
// widens the class where classOf's cannot hold m's values.
Matrix* enlarge(Matrix* m, int rows, int cols, Matrix* classOf) {
  Matrix* grown = MatSameClassZDef(classOf, rows, cols);
  if (m->rows > 0 && m->cols > 0) MatPut(grown, 1, 1, m);
  MatMove(m, grown);
  MatUndef(grown);  // now holds m's old storage
  return m;
}

// Releases the element objects of a polynomial or rational matrix and its
// storage; m is left an empty real matrix.
void dropElementObjects(Matrix* m) {
  MatElementDestroy(m);
  m->data = nullptr;
  m->rows = 0;
  m->cols = 0;
  m->class_ = MAT_REAL;
}

// Whether m's current storage may go back to the recycling table.
bool storageParkable(const Matrix* m) {
  const int n = countOf(m);
  if (m->class_ < MAT_REAL || m->class_ > MAT_C_RATIONAL || n > MatGarbageSizeMax()) return false;
  const int limit = MatGarbageTableMax();
  return vorn_registry::bucketAccepts(MatTableCount(n, m->class_), limit);
}

// Shape that running index k > rows*cols needs; false when m has no rows
// or no columns and is neither 0x0 nor a vector.
bool vecGrowShape(const Matrix* m, int k, int& rows, int& cols) {
  if (m->rows == 1 || (m->rows == 0 && m->cols == 0)) {
    rows = 1;
    cols = k;
  } else if (m->cols == 1) {
    rows = k;
    cols = 1;
  } else if (m->rows == 0 || m->cols == 0) {
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
inline bool insideVec(const Matrix* m, int k) { return k >= 1 && k <= countOf(m); }
inline size_t offset(const Matrix* m, int i, int j) {
  return static_cast<size_t>(i - 1) * m->cols + static_cast<size_t>(j - 1);
}

// Element objects of the polynomial and rational classes: each held
// element is a duplicate with the holder's lifetime code.
struct PolyElements {
  using Element = Polynomial;
  static Element* dup(Element* p) { return PolySetType(PolyDup(p), vorn_registry::kHeld3); }
  static void release(Element* p) { PolyUndef(p); }
};
struct RatElements {
  using Element = Rational;
  static Element* dup(Element* r) { return RatSetType(RatDup(r), vorn_registry::kHeld2); }
  static void release(Element* r) { RatUndef(r); }
};

// Replaces every element of dst by a duplicate of src's; a null slot (fresh
// storage) has nothing to release.
template <class E>
void copyElementObjects(Matrix* dst, const Matrix* src) {
  using T = typename E::Element;
  T** const to = static_cast<T**>(dst->data);
  T* const* const from = static_cast<T* const*>(src->data);
  for (int k = 0; k < countOf(src); k++) {
    T* const old = to[k];
    to[k] = E::dup(from[k]);
    if (old != nullptr) E::release(old);
  }
}

// Reads n doubles from a variable argument list into m's storage.
void readDoubles(Matrix* m, int n, va_list ap) {
  for (int k = 0; k < n; k++) MatReal(m)[k] = va_arg(ap, double);
}

// The class 2..5 element paths arrive with the polynomial and rational
// kinds; until then they are refused from the caller's tag.
[[noreturn]] void notYetClass(const char* tag, Matrix* m) { MatError(tag, kBadClass, m); }

// Element access of the classes stored as doubles: the reports' tags and
// source descriptions of each class, and the shared steps.
struct RealCell {
  static constexpr int kClass = MAT_REAL;
  static constexpr int kWidth = 1;
  static constexpr const char* kNotClass = "Not a real matrix";
  static constexpr const char* kSetTag = "MatSetValue()";
  static constexpr const char* kSetVecTag = "MatSetVecValue()";
  static constexpr const char* kGetClassTag = "MatGetPrt()";
  static constexpr const char* kGetIndexTag = "MatGetPtr()";
  static constexpr const char* kGetVecClassTag = "MatGetVecPrt()";
  static constexpr const char* kGetVecIndexTag = "MatGetVecPtr()";
  static void setSource(const Matrix* m, int i, int j, const double* v) {
    MatErrorSource("%s(%dx%d)(%d,%d) = %g", nameOf(m), m->rows, m->cols, i, j, v[0]);
  }
  static void setVecSource(const Matrix* m, int k, const double* v) {
    MatErrorSource("%s(%dx%d)(%d) = %g", nameOf(m), m->rows, m->cols, k, v[0]);
  }
};

struct ComplexCell {
  static constexpr int kClass = MAT_COMPLEX;
  static constexpr int kWidth = 2;
  static constexpr const char* kNotClass = "Not a complex matrix";
  static constexpr const char* kSetTag = "C_MatSetValue()";
  static constexpr const char* kSetVecTag = "C_MatSetVecValue()";
  static constexpr const char* kGetClassTag = "C_MatGetPtr()";
  static constexpr const char* kGetIndexTag = "C_MatGetPtr()";
  static constexpr const char* kGetVecClassTag = "C_MatGetVecPtr()";
  static constexpr const char* kGetVecIndexTag = "C_MatGetVecPtr()";
  static void setSource(const Matrix* m, int i, int j, const double* v) {
    MatErrorSource("%s(%dx%d)(%d,%d) = (%g,%g)", nameOf(m), m->rows, m->cols, i, j, v[0], v[1]);
  }
  static void setVecSource(const Matrix* m, int k, const double* v) {
    MatErrorSource("%s(%dx%d)(%d) = (%g,%g)", nameOf(m), m->rows, m->cols, k, v[0], v[1]);
  }
};

// Sets element (i, j), growing m to cover it; new elements are zero.
template <class C>
Matrix* setCell(Matrix* m, int i, int j, const double* value) {
  const char* message = m->class_ != C::kClass ? C::kNotClass : (i < 1 || j < 1) ? kBadIndex : nullptr;
  if (message != nullptr) {
    C::setSource(m, i, j, value);
    MatError(C::kSetTag, message, m);
  }
  if (i > m->rows || j > m->cols) MatEnlarge(m, std::max(m->rows, i), std::max(m->cols, j));
  std::copy(value, value + C::kWidth, MatReal(m) + offset(m, i, j) * C::kWidth);
  return m;
}

// Sets the element of running index k, growing m by vecGrowShape.
template <class C>
Matrix* setVecCell(Matrix* m, int k, const double* value) {
  int rows = m->rows;
  int cols = m->cols;
  const bool grows = k > countOf(m);
  const char* message = m->class_ != C::kClass                    ? C::kNotClass
                        : k <= 0                                   ? kBadIndex
                        : grows && !vecGrowShape(m, k, rows, cols) ? kBadIndex
                                                                   : nullptr;
  if (message != nullptr) {
    C::setVecSource(m, k, value);
    MatError(C::kSetVecTag, message, m);
  }
  if (grows) MatEnlarge(m, rows, cols);
  std::copy(value, value + C::kWidth, MatReal(m) + static_cast<size_t>(k - 1) * C::kWidth);
  return m;
}

// Address of element (i, j); reading never grows a matrix.
template <class C>
double* cellAt(Matrix* m, int i, int j) {
  if (m->class_ != C::kClass || !inside(m, i, j)) {
    MatErrorSource("%s(%dx%d)(%d,%d)", nameOf(m), m->rows, m->cols, i, j);
    if (m->class_ != C::kClass) MatError(C::kGetClassTag, C::kNotClass, m);
    MatError(C::kGetIndexTag, kBadIndex, m);
  }
  return MatReal(m) + offset(m, i, j) * C::kWidth;
}

template <class C>
double* vecCellAt(Matrix* m, int k) {
  if (m->class_ != C::kClass || !insideVec(m, k)) {
    MatErrorSource("%s(%dx%d)(%d)", nameOf(m), m->rows, m->cols, k);
    if (m->class_ != C::kClass) MatError(C::kGetVecClassTag, C::kNotClass, m);
    MatError(C::kGetVecIndexTag, kBadIndex, m);
  }
  return MatReal(m) + static_cast<size_t>(k - 1) * C::kWidth;
}

}  // namespace

// ---------------------------------------------------------------------------
// Real constructors.

Matrix* MatDef(const char* name, int rows, int cols) {
  return defineChecked("MatDef", "MatDef()", name, rows, cols, MAT_REAL);
}

Matrix* MatNonNameDef(int rows, int cols) { return MatDef("", rows, cols); }

Matrix* MatZDef2(int rows, int cols) {
  checkSize("Z", "MatZDef2()", rows, cols);
  Matrix* m = MatDef("", rows, cols);
  fillDoubles(m, 0.0);
  return m;
}

Matrix* MatZDef(int n) {
  checkSquare("Z", "MatZDef()", n);
  return MatZDef2(n, n);
}

Matrix* MatOneDef(int rows, int cols) {
  checkSize("ONE", "MatOneDef()", rows, cols);
  Matrix* m = MatDef("", rows, cols);
  fillDoubles(m, 1.0);
  return m;
}

Matrix* MatFillDef(int rows, int cols, double value) {
  if (!sizeOk(rows, cols)) sizeError("MatFillDef()");
  Matrix* m = MatDef("", rows, cols);
  fillDoubles(m, value);
  return m;
}

Matrix* MatSameSizeFillDef(Matrix* m, double value) { return MatFillDef(m->rows, m->cols, value); }

Matrix* MatIDef2(int rows, int cols) {
  checkSize("I", "MatIDef2()", rows, cols);
  Matrix* m = MatZDef2(rows, cols);
  const int n = std::min(rows, cols);
  for (int i = 1; i <= n; i++) MatReal(m)[offset(m, i, i)] = 1.0;
  return m;
}

Matrix* MatIDef(int n) {
  checkSquare("I", "MatIDef()", n);
  return MatIDef2(n, n);
}

Matrix* MatRowVec(int n, ...) {
  Matrix* m = n == 0 ? MatDef("", 0, 0) : MatDef("", 1, n);
  va_list ap;
  va_start(ap, n);
  readDoubles(m, n, ap);
  va_end(ap);
  return m;
}

Matrix* MatColumnVec(int n, ...) {
  Matrix* m = MatDef("", n, 1);
  va_list ap;
  va_start(ap, n);
  readDoubles(m, n, ap);
  va_end(ap);
  return m;
}

Matrix* MatDiagDef(int n, ...) {
  Matrix* m = MatZDef(n);
  va_list ap;
  va_start(ap, n);
  for (int i = 1; i <= n; i++) MatReal(m)[offset(m, i, i)] = va_arg(ap, double);
  va_end(ap);
  return m;
}

Matrix* MatVander(int n, ...) {
  Matrix* m = MatDef("", n, n);
  va_list ap;
  va_start(ap, n);
  for (int i = 1; i <= n; i++) {
    const double x = va_arg(ap, double);
    double power = 1.0;
    for (int j = 1; j <= n; j++) {
      MatReal(m)[offset(m, i, j)] = power;
      power = power * x;
    }
  }
  va_end(ap);
  return m;
}

Matrix* MatSameDef(Matrix* m) { return defineOfClass(m, m->class_, m->rows, m->cols, "MatSameDef()"); }

Matrix* MatSameZDef(Matrix* m) { return MatSetZero(MatSameDef(m)); }

Matrix* MatSameClassDef(Matrix* m, int rows, int cols) {
  return defineOfClass(m, m->class_, rows, cols, "MatSameClassDef()");
}

Matrix* MatSameClassZDef(Matrix* m, int rows, int cols) {
  return MatSetZero(defineOfClass(m, m->class_, rows, cols, "MatSameClassZDef()"));
}

Matrix* MatTransDef(Matrix* m) { return defineOfClass(m, m->class_, m->cols, m->rows, "MatTransDef()"); }

Matrix* MatMulDef(Matrix* a, Matrix* b) {
  if (a->cols != b->rows) MatError2("MatMulDef()", "Size Error", a, b);
  const bool valid = a->class_ >= MAT_REAL && a->class_ <= MAT_C_RATIONAL &&
                     b->class_ >= MAT_REAL && b->class_ <= MAT_C_RATIONAL;
  if (!valid || isPolyOrRational(a->class_) || isPolyOrRational(b->class_))
    MatError2("MatMulDef()", kBadClass, a, b);
  if (a->class_ == MAT_COMPLEX || b->class_ == MAT_COMPLEX) return C_MatMulDef(a, b);
  return MatDef("", a->rows, b->cols);
}

// ---------------------------------------------------------------------------
// Complex constructors.

Matrix* C_MatDef(const char* name, int rows, int cols) {
  return defineChecked("C_MatDef", "C_MatDef()", name, rows, cols, MAT_COMPLEX);
}

Matrix* C_MatNonNameDef(int rows, int cols) { return C_MatDef("", rows, cols); }

Matrix* C_MatZDef2(int rows, int cols) {
  checkSize("Z", "C_MatZDef2()", rows, cols);
  Matrix* m = C_MatDef("", rows, cols);
  fillDoubles(m, 0.0);
  return m;
}

Matrix* C_MatSameDef(Matrix* m) { return C_MatDef("", m->rows, m->cols); }

Matrix* C_MatTransDef(Matrix* m) { return C_MatDef("", m->cols, m->rows); }

Matrix* C_MatMulDef(Matrix* a, Matrix* b) {
  if (a->cols != b->rows) MatError2("C_MatMulDef()", "Size Error", a, b);
  return C_MatDef("", a->rows, b->cols);
}

// ---------------------------------------------------------------------------
// Assignment, copy, move and swap.

Matrix* MatAssign(Matrix* dst, Matrix* src) {
  return vorn_registry::assignRecord(dst, src, MatElementChange, MatElementCopy, MatObjectTmpUndef);
}

Matrix* MatCopy(Matrix* dst, Matrix* src) {
  if (dst->class_ != src->class_) MatError2("MatCopy()", "Not same class", src, dst);
  if (dst->rows != src->rows || dst->cols != src->cols)
    MatError2("MatCopy()", "Not same size", src, dst);
  if (dst == src) return dst;
  switch (src->class_) {
    case MAT_REAL:
    case MAT_COMPLEX:
      if (doublesOf(src) > 0) std::memcpy(dst->data, src->data, doublesOf(src) * sizeof(double));
      break;
    case MAT_POLY:
    case MAT_C_POLY: copyElementObjects<PolyElements>(dst, src); break;
    case MAT_RATIONAL:
    case MAT_C_RATIONAL: copyElementObjects<RatElements>(dst, src); break;
    default: MatError2("MatCopy()", kBadClass, src, dst);
  }
  return dst;
}

Matrix* MatDup(Matrix* m) { return MatCopy(MatSameDef(m), m); }

Matrix* MatElementChange(Matrix* a, Matrix* b) {
  std::swap(a->rows, b->rows);
  std::swap(a->cols, b->cols);
  vorn_registry::swapLifetime(a, b);
  std::swap(a->class_, b->class_);
  std::swap(a->data, b->data);
  return a;
}

Matrix* MatMove(Matrix* dst, Matrix* src) {
  return vorn_registry::moveRecord(dst, src, MatElementChange);
}

Matrix* MatElementCopy(Matrix* dst, Matrix* src) {
  if (src->class_ < MAT_REAL || src->class_ > MAT_C_RATIONAL)
    MatError2("MatElementCopy()", kBadClass, src, dst);
  if (dst == src) return dst;
  const int n = countOf(src);
  const bool reshaped = countOf(dst) != n || dst->class_ != src->class_;
  if (reshaped) {
    // Element objects of a kept storage are replaced one by one by MatCopy;
    // here they go with their storage, which is never parked half-released.
    if (isPolyOrRational(dst->class_)) dropElementObjects(dst);
    // Trade storage with a parked record of the wanted shape when one
    // exists; that record goes back parked with dst's old storage.
    Matrix* spare = storageParkable(dst) ? MatRequest(n, src->class_) : nullptr;
    if (spare != nullptr) {
      MatElementChange(dst, spare);
      vorn_registry::setLifetime(spare, vorn_registry::kTemporary);
      MatInstall(spare);
    } else {
      if (dst->data != nullptr) efree(dst->data);
      dst->data = emalloc(storageBytes(n, src->class_));
      if (isPolyOrRational(src->class_) && n > 0) std::memset(dst->data, 0, storageBytes(n, src->class_));
    }
  }
  dst->rows = src->rows;
  dst->cols = src->cols;
  dst->class_ = src->class_;
  vorn_registry::setLifetime(dst, src->type);
  return MatCopy(dst, src);
}

Matrix* MatSwap(Matrix* a, Matrix* b) {
  if (a->class_ != b->class_) MatError2("MatSwap()", "Not same class", b, a);
  if (a->rows != b->rows || a->cols != b->cols) MatError2("MatSwap()", "Not same size", b, a);
  if (a->class_ < MAT_REAL || a->class_ > MAT_C_RATIONAL) MatError2("MatSwap()", kBadClass, b, a);
  if (a == b) return a;
  if (isPolyOrRational(a->class_)) {
    void** const x = static_cast<void**>(a->data);
    void** const y = static_cast<void**>(b->data);
    for (int k = 0; k < countOf(a); k++) std::swap(x[k], y[k]);
    return a;
  }
  double* const x = MatReal(a);
  double* const y = MatReal(b);
  const size_t total = doublesOf(a);
  for (size_t k = 0; k < total; k++) std::swap(x[k], y[k]);
  return a;
}

Matrix* MatEnlarge(Matrix* m, int rows, int cols) { return enlarge(m, rows, cols, m); }

Matrix* MatEnlargeClass(Matrix* m, int rows, int cols, Matrix* ref) {
  return enlarge(m, rows, cols, ref);
}

Matrix* MatSetZero(Matrix* m) {
  if (m->class_ < MAT_REAL || m->class_ > MAT_C_RATIONAL) MatError("MatSetZero()", "Class Error", m);
  if (isPolyOrRational(m->class_)) notYetClass("MatSetZero()", m);
  fillDoubles(m, 0.0);
  return m;
}

Matrix* MatFillValue(Matrix* m, double value) {
  if (m->class_ != MAT_REAL) {
    MatErrorSource("fill(%s(%dx%d), %g)", nameOf(m), m->rows, m->cols, value);
    MatError("MatFillValue()", "Not a real matrix", m);
  }
  fillDoubles(m, value);
  return m;
}

Matrix* MatReshape(Matrix* m, int rows, int cols) {
  const bool sameCount = static_cast<long long>(rows) * cols == countOf(m);
  if (rows < 0 || cols < 0 || !sameCount) {
    MatErrorSource("reshape(%s(%dx%d), %d, %d)", nameOf(m), m->rows, m->cols, rows, cols);
    MatError("MatReshape()", rows < 0 || cols < 0 ? kBadSize : "Not same size", m);
  }
  m->rows = rows;
  m->cols = cols;
  return m;
}

// ---------------------------------------------------------------------------
// Element access.

Matrix* MatSetValueChecked(Matrix* m, int i, int j, double value) {
  switch (m->class_) {
    case MAT_REAL: return Mat_SetValue(m, i, j, value);
    case MAT_COMPLEX: return C_MatSetValue(m, i, j, value, 0.0);
    case MAT_POLY:
    case MAT_C_POLY:
    case MAT_RATIONAL:
    case MAT_C_RATIONAL: notYetClass("MatSetValue()", m);
    default: return m;
  }
}

Matrix* Mat_SetValue(Matrix* m, int i, int j, double value) {
  return setCell<RealCell>(m, i, j, &value);
}

double* MatGetPtrChecked(Matrix* m, int i, int j) { return cellAt<RealCell>(m, i, j); }

void MatGetPtrFail(Matrix* m, int i, int j) {
  cellAt<RealCell>(m, i, j);
  std::abort();  // not reached: a cell that failed the inline test is reported
}

Matrix* MatSetVecValue(Matrix* m, int k, double value) {
  switch (m->class_) {
    case MAT_REAL: return Mat_SetVecValue(m, k, value);
    case MAT_COMPLEX: return C_MatSetVecValue(m, k, value, 0.0);
    case MAT_POLY:
    case MAT_C_POLY:
    case MAT_RATIONAL:
    case MAT_C_RATIONAL: notYetClass("MatSetVecValue()", m);
    default: return m;
  }
}

Matrix* Mat_SetVecValue(Matrix* m, int k, double value) {
  return setVecCell<RealCell>(m, k, &value);
}

double MatGetVecValue(Matrix* m, int k) { return *MatGetVecPtr(m, k); }

double* MatGetVecPtr(Matrix* m, int k) { return vecCellAt<RealCell>(m, k); }

int MatGetRows(Matrix* m) { return m->rows; }
int MatGetCols(Matrix* m) { return m->cols; }

int MatLength(Matrix* m) {
  if (m->rows == 0 || m->cols == 0) return 0;
  return std::max(m->rows, m->cols);
}

int MatIsComplexValue(Matrix* m) {
  return m->class_ == MAT_COMPLEX || m->class_ == MAT_C_POLY || m->class_ == MAT_C_RATIONAL;
}

int MatIsRealValue(Matrix* m) {
  return m->class_ == MAT_REAL || m->class_ == MAT_POLY || m->class_ == MAT_RATIONAL;
}

Matrix* MatColumnVector(Matrix* m, int j) {
  if (j < 1 || j > m->cols) {
    MatErrorSource("%s(%dx%d)(:, %d)", nameOf(m), m->rows, m->cols, j);
    MatError("MatColumnVector()", "Not appropriate column number", m);
  }
  const int w = widthOf(m->class_);
  if (w == 0) notYetClass("MatColumnVector()", m);
  Matrix* v = MatSameClassDef(m, m->rows, 1);
  for (int i = 0; i < m->rows; i++)
    std::memcpy(MatReal(v) + static_cast<size_t>(i) * w, MatReal(m) + offset(m, i + 1, j) * w,
                static_cast<size_t>(w) * sizeof(double));
  return v;
}

Matrix* MatRowVector(Matrix* m, int i) {
  if (i < 1 || i > m->rows) {
    MatErrorSource("%s(%dx%d)(%d, :)", nameOf(m), m->rows, m->cols, i);
    MatError("MatRowVector()", "Not appropriate row number", m);
  }
  const int w = widthOf(m->class_);
  if (w == 0) notYetClass("MatRowVector()", m);
  Matrix* v = MatSameClassDef(m, 1, m->cols);
  copyBlock(v, m, i - 1, 0, 1, m->cols, w);
  return v;
}

// ---------------------------------------------------------------------------
// Complex element access.

Matrix* C_MatSetValue(Matrix* m, int i, int j, double re, double im) {
  const double z[2] = {re, im};
  return setCell<ComplexCell>(m, i, j, z);
}

Matrix* C_MatSetVecValue(Matrix* m, int k, double re, double im) {
  const double z[2] = {re, im};
  return setVecCell<ComplexCell>(m, k, z);
}

double* C_MatGetPtr(Matrix* m, int i, int j) { return cellAt<ComplexCell>(m, i, j); }

double* C_MatGetVecPtr(Matrix* m, int k) { return vecCellAt<ComplexCell>(m, k); }
