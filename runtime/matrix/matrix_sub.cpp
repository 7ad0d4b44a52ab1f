#include "runtime/matrix/matrix_sub.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/entry.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/matrix/matrix_sort.h"
#include "runtime/core/report.h"

namespace {

using vorn_matrix::hasNoElements;
using vorn_matrix::holdsComplex;
using vorn_matrix::kBadClass;
using vorn_matrix::nameOf;
const char kNotRealIndex[] = "Index must be real";
const char kNotRowIndex[] = "Index must be row vector";
const char kOutOfRange[] = "Index is out of range";
const char kBadCount[] = "Incorrect size of matrices";
const char kBadRange[] = "Not appropriate range";
const char kNotSuitable[] = "Not suitable index";

using Index = long long;   // sizes and indices before they are known to fit

inline Index countAsIndex(const Matrix* m) { return static_cast<Index>(vorn_matrix::elementCount(m)); }
inline bool unitStep(int step) { return step == 0 || step == 1; }

// A shape a record can describe: each dimension and the element count
// within 32 bits.
inline bool sizeFits(Index rows, Index cols) {
  return rows <= INT_MAX && cols <= INT_MAX && rows * cols <= INT_MAX;
}

// ---------------------------------------------------------------------------
// Element classes meet here and nowhere else: the copier of one class pair
// and the zero matrix of one class.

// Copies count consecutive elements of src from storage position sk into
// dst from position dk, converting each to dst's class. dst and src are
// different records.
using RunCopy = void (*)(Matrix* dst, size_t dk, const Matrix* src, size_t sk, size_t count);

void copyRealToReal(Matrix* dst, size_t dk, const Matrix* src, size_t sk, size_t count) {
  std::memcpy(MatReal(dst) + dk, MatReal(src) + sk, count * sizeof(double));
}

void copyCompToComp(Matrix* dst, size_t dk, const Matrix* src, size_t sk, size_t count) {
  std::memcpy(MatReal(dst) + 2 * dk, MatReal(src) + 2 * sk, 2 * count * sizeof(double));
}

void copyRealToComp(Matrix* dst, size_t dk, const Matrix* src, size_t sk, size_t count) {
  double* const to = MatReal(dst) + 2 * dk;
  const double* const from = MatReal(src) + sk;
  for (size_t k = 0; k < count; k++) {
    to[2 * k] = from[k];
    to[2 * k + 1] = 0.0;
  }
}

// The copier from class `from` into class `to`; null where the pair has no
// kernel: a narrowing pair, or one with polynomial or rational elements.
void copyToElements(Matrix* dst, size_t dk, const Matrix* src, size_t sk, size_t count) {
  vorn_matrix::copyElements(dst, dk, const_cast<Matrix*>(src), sk, count);
}

RunCopy copierFor(int to, int from) {
  if (to == MAT_REAL && from == MAT_REAL) return copyRealToReal;
  if (to == MAT_COMPLEX && from == MAT_COMPLEX) return copyCompToComp;
  if (to == MAT_COMPLEX && from == MAT_REAL) return copyRealToComp;
  // Element objects take any class of their level or below, a complex
  // class any value.
  const bool known = vorn_matrix::isValidClass(to) && vorn_matrix::isValidClass(from);
  if (known && to >= MAT_POLY && from / 2 <= to / 2 && (holdsComplex(to) || !holdsComplex(from)))
    return copyToElements;
  return nullptr;
}

// Whether elements of class `from` can be written into a matrix of class
// `to`, and such a matrix made.
inline bool writable(int to, int from) { return copierFor(to, from) != nullptr; }

// A new rows x cols zero temporary of a class for which writable(class_,
// class_) holds.
Matrix* zeroOfClass(int class_, int rows, int cols) {
  if (vorn_matrix::isPolyOrRational(class_)) return vorn_matrix::zeroElements(class_, rows, cols);
  return class_ == MAT_COMPLEX ? C_MatZDef2(rows, cols) : MatZDef2(rows, cols);
}

// Copies the rows x cols block of src at (si, sj) into dst at (di, dj),
// all 0-based, converting to dst's class. Full-width blocks go in one run.
void copyBlock(Matrix* dst, int di, int dj, const Matrix* src, int si, int sj, int rows, int cols) {
  if (rows <= 0 || cols <= 0) return;
  VORN_ASSERT(dst != src);
  VORN_ASSERT(di + rows <= dst->rows && dj + cols <= dst->cols);
  VORN_ASSERT(si + rows <= src->rows && sj + cols <= src->cols);
  const size_t dcols = static_cast<size_t>(dst->cols);
  const size_t scols = static_cast<size_t>(src->cols);
  if (dst->class_ == MAT_REAL && src->class_ == MAT_REAL) {
    // The common case (a column or block cut in an inner loop) in a plain
    // loop: a library copy per row costs more than the few doubles moved.
    double* to = MatReal(dst) + static_cast<size_t>(di) * dcols + static_cast<size_t>(dj);
    const double* from = MatReal(src) + static_cast<size_t>(si) * scols + static_cast<size_t>(sj);
    for (int r = 0; r < rows; r++, to += dcols, from += scols)
      for (int c = 0; c < cols; c++) to[c] = from[c];
    return;
  }
  const RunCopy copy = copierFor(dst->class_, src->class_);
  if (cols == dst->cols && cols == src->cols) {
    copy(dst, static_cast<size_t>(di) * dcols, src, static_cast<size_t>(si) * scols,
         static_cast<size_t>(rows) * static_cast<size_t>(cols));
    return;
  }
  for (int r = 0; r < rows; r++)
    copy(dst, static_cast<size_t>(di + r) * dcols + static_cast<size_t>(dj), src,
         static_cast<size_t>(si + r) * scols + static_cast<size_t>(sj), static_cast<size_t>(cols));
}

// Whether dst's class cannot hold src's values, so that a write of src
// must first widen dst. An empty dst never needs it.
bool needsConversion(const Matrix* dst, const Matrix* src) {
  if (hasNoElements(dst)) return false;
  const int s = src->class_;
  switch (dst->class_) {
    case MAT_REAL: return s != MAT_REAL;
    case MAT_COMPLEX: return s >= MAT_POLY;
    case MAT_POLY: return s >= MAT_RATIONAL || holdsComplex(s);
    case MAT_C_POLY: return s >= MAT_RATIONAL;
    case MAT_RATIONAL: return holdsComplex(s);
    default: return false;
  }
}

// Class of dst after it is rebuilt to receive src: src's when dst is
// empty, otherwise the joint class.
int grownClass(const Matrix* dst, const Matrix* src) {
  return hasNoElements(dst) ? src->class_ : MatJointClass(dst->class_, src->class_);
}

// Whether dst can be rebuilt in class `target` holding its own values.
bool canRebuild(const Matrix* dst, int target) {
  return writable(target, target) && (hasNoElements(dst) || writable(target, dst->class_));
}

// Whether src can be written into dst, after dst is rebuilt in class
// `target` when `rebuilt` is set.
bool canWrite(const Matrix* dst, const Matrix* src, bool rebuilt, int target) {
  if (!rebuilt) return writable(dst->class_, src->class_);
  return canRebuild(dst, target) && writable(target, src->class_);
}

// Replaces dst in place by a rows x cols zero matrix of class_, its old
// values at the top left; dst keeps its identity, name and lifetime code.
void rebuild(Matrix* dst, int rows, int cols, int class_) {
  Matrix* grown = zeroOfClass(class_, rows, cols);
  copyBlock(grown, 0, 0, dst, 0, 0, dst->rows, dst->cols);
  MatMove(dst, grown);
  MatUndef(grown);  // now holds dst's old storage
}

// src itself, or a duplicate when it is dst (whose storage the write may
// replace or overwrite while reading it).
Matrix* unaliased(Matrix* dst, Matrix* src) { return src == dst ? MatDup(src) : src; }
void releaseUnaliased(Matrix* src, Matrix* used) {
  if (used != src) MatUndef(used);
}

// dst takes over the contents of a temporary, which is then released.
Matrix* replaceBy(Matrix* dst, Matrix* contents) {
  MatMove(dst, contents);
  MatUndef(contents);
  return dst;
}

// ---------------------------------------------------------------------------
// Index vectors.

// An index value rounded to the nearest integer, ties to even (under the
// default rounding mode); false for one that is no usable index: below 1,
// beyond 32 bits, NaN or infinite.
bool toIndex(double value, int& index) {
  const double rounded = std::nearbyint(value);
  if (!(rounded >= 1.0 && rounded <= static_cast<double>(INT_MAX))) return false;
  index = static_cast<int>(rounded);
  return true;
}

// Reads every value of a real index vector as an index of at most limit.
bool readIndices(const Matrix* index, Index limit, std::vector<int>& out) {
  const size_t n = static_cast<size_t>(countAsIndex(index));
  out.resize(n);
  const double* const values = MatReal(index);
  for (size_t k = 0; k < n; k++)
    if (!toIndex(values[k], out[k]) || out[k] > limit) return false;
  return true;
}

inline int largest(const std::vector<int>& indices) {
  return indices.empty() ? 0 : *std::max_element(indices.begin(), indices.end());
}

// A 1 x n copy of a non-empty index vector holding its rounded values,
// under its name so that reports about it show the caller's name.
Matrix* roundedIndex(const Matrix* index, const std::vector<int>& values) {
  Matrix* copy = MatDef(nameOf(index), 1, static_cast<int>(values.size()));
  for (size_t k = 0; k < values.size(); k++) MatReal(copy)[k] = values[k];
  return copy;
}

// ---------------------------------------------------------------------------
// Failure reports whose description is the message itself.

[[noreturn]] void invalidPut(Matrix* dst, int i, Index lastRow, int j, Index lastCol, Matrix* src) {
  std::string message;
  vorn_report::appendf(message, "%s(%d:%lld, %d:%lld) is invalid sub-matrix", nameOf(dst), i, lastRow, j,
                       lastCol);
  MatError2("MatPut()", message.c_str(), dst, src);
}

// MatPut with an empty src: keeps the rows or columns before (i, j).
Matrix* truncateAt(Matrix* dst, int i, int j, Index lastRow, Index lastCol, Matrix* src) {
  if (i == 1 && j == 1) {
    MatElementDestroy(dst);
    dst->data = nullptr;
    dst->rows = 0;
    dst->cols = 0;
    return dst;
  }
  if (i == 1) return replaceBy(dst, MatCut(dst, 1, 1, dst->rows, j - 1));
  if (j == 1) return replaceBy(dst, MatCut(dst, 1, 1, i - 1, dst->cols));
  invalidPut(dst, i, lastRow, j, lastCol, src);
}

// The shape a running-index write up to `wanted` elements gives dst;
// dst's own shape when it already holds that many.
// Note that a 0x0 dst grows into a column here (MatSetVecValue makes a row).
void vecShape(const Matrix* dst, Index wanted, Index& rows, Index& cols) {
  rows = dst->rows;
  cols = dst->cols;
  if (wanted <= countAsIndex(dst)) return;
  if (dst->rows == 1) {
    cols = wanted;
  } else if (dst->cols == 1 || dst->cols == 0) {
    rows = wanted;
    cols = 1;
  } else if (dst->rows == 0) {
    rows = 1;
    cols = wanted;
  } else {
    rows = (wanted + dst->cols - 1) / dst->cols;
  }
}

// MatSetSubMatrix2 with 64-bit last indices (the row and column vector
// forms compute theirs from sizes).
Matrix* setSubMatrix2(Matrix* dst, int i1, Index i2, int istep, int j1, Index j2, int jstep, Matrix* src) {
  const Index nr = istep == 0 ? i2 - i1 + 1 : (i2 - i1) / istep + 1;
  const Index nc = jstep == 0 ? j2 - j1 + 1 : (j2 - j1) / jstep + 1;
  const Index rows = std::max<Index>(i2, dst->rows);
  const Index cols = std::max<Index>(j2, dst->cols);
  const bool grow = rows > dst->rows || cols > dst->cols;
  const int target = grownClass(dst, src);
  const char* message = nullptr;
  if (i1 < 1 || i2 < 1 || j1 < 1 || j2 < 1) message = kNotSuitable;
  else if (!hasNoElements(src) && (src->rows != nr || src->cols != nc)) message = kNotSuitable;
  else if (grow && !sizeFits(rows, cols)) message = kNotSuitable;
  else if (grow && !canRebuild(dst, target)) message = kBadClass;
  if (message != nullptr) {
    MatErrorSource("%s(%dx%d)(%d:%lld, %d:%lld) = %s(%dx%d)", nameOf(dst), dst->rows, dst->cols, i1, i2,
                   j1, j2, nameOf(src), src->rows, src->cols);
    MatError2("MatSetSubMatrix2()", message, dst, src);
  }
  Matrix* from = grow ? unaliased(dst, src) : src;
  if (grow) rebuild(dst, static_cast<int>(rows), static_cast<int>(cols), target);
  if (unitStep(istep) && unitStep(jstep) && i1 <= i2 && j1 <= j2 && !hasNoElements(from)) {
    MatPut(dst, i1, j1, from);
  } else {
    Matrix* rowIndex = MatSeries(i1, static_cast<double>(i2), istep);
    Matrix* colIndex = MatSeries(j1, static_cast<double>(j2), jstep);
    MatSetSubMatrix(dst, rowIndex, colIndex, from);
    MatUndef(rowIndex);
    MatUndef(colIndex);
  }
  releaseUnaliased(src, from);
  return dst;
}

[[noreturn]] void setSubMatrixError(const char* message, Matrix* dst, Matrix* rows, Matrix* cols, Matrix* src) {
  MatErrorSource("%s(%dx%d)(%s(%dx%d), %s(%dx%d)) = %s(%dx%d)", nameOf(dst), dst->rows, dst->cols, nameOf(rows),
                 rows->rows, rows->cols, nameOf(cols), cols->rows, cols->cols, nameOf(src), src->rows, src->cols);
  MatError2("MatSetSubMatrix()", message, rows, cols);
}

// MatSetSubMatrix with an empty src, indices already checked: deletes the
// listed rows (all columns listed) or the listed columns (all rows listed),
// keeping the order of what remains.
Matrix* deleteRowsOrColumns(Matrix* dst, Matrix* rows, Matrix* cols, Matrix* src, const std::vector<int>& r,
                            const std::vector<int>& c) {
  if (r.empty() || c.empty()) return dst;
  Matrix* rowIndex = roundedIndex(rows, r);
  Matrix* colIndex = roundedIndex(cols, c);
  Matrix* keptRows = MatComplementIndex(rowIndex, 1, dst->rows);
  Matrix* keptCols = MatComplementIndex(colIndex, 1, dst->cols);
  if (!hasNoElements(keptRows) && !hasNoElements(keptCols))
    setSubMatrixError("Not a suitable index", dst, rows, cols, src);
  const bool byColumns = hasNoElements(keptRows);
  Matrix* all = byColumns ? MatSeries(1, dst->rows, 1) : MatSeries(1, dst->cols, 1);
  replaceBy(dst, byColumns ? MatGetSubMatrix(dst, all, keptCols) : MatGetSubMatrix(dst, keptRows, all));
  MatMultiUndefs(5, all, keptCols, keptRows, colIndex, rowIndex);
  return dst;
}

}  // namespace

// ---------------------------------------------------------------------------
// Series and index sets.

Matrix* MatSeries(double from, double to, double step) {
  const double d = to - from;
  if ((d > 0 && step < 0) || (d < 0 && step > 0)) return MatDef("", 1, 0);
  int n = 1;
  if (step != 0) {
    const double q = std::trunc(std::fabs(d / step));
    if (!(q < INT_MAX)) {
      MatErrorSource("MatSeries(%g, %g, %g)", from, to, step);
      MatError("MatSeries()", "Not appropriate column or row number", nullptr);
    }
    n = static_cast<int>(q) + 1;
  }
  Matrix* series = MatDef("", 1, n);
  double* const values = MatReal(series);
  double x = from;
  values[0] = x;
  for (int k = 1; k < n; k++) {
    x = x + step;
    values[k] = x;
  }
  return series;
}

Matrix* MatComplementIndex(Matrix* index, int low, int high) {
  const char tag[] = "MatComplementIndex()";
  if (index->class_ != MAT_REAL) MatError(tag, "Not a real matrix", index);
  const Index n = countAsIndex(index);
  const Index expected = static_cast<Index>(high) - low + 1 - n;
  if (high < low || expected < 0 || expected > INT_MAX) MatError(tag, kBadRange, index);
  // An empty index is the sort's own "Zero-size matrix".
  Matrix* positions = MatDef("", 0, 0);
  Matrix* sortedIndex = MatSort(index, positions, 2);
  const double* const sorted = MatReal(sortedIndex);
  // A NaN would match whichever integer it meets: refused like any value
  // that is not an integer of the range.
  for (Index k = 0; k < n; k++)
    if (std::isnan(sorted[k])) MatError(tag, kBadRange, index);

  Matrix* result = MatDef("", 1, static_cast<int>(expected));
  double* const out = MatReal(result);
  Index cursor = 0;
  Index placed = 0;
  for (Index v = low; v <= high; v++) {
    if (cursor >= n || std::fabs(static_cast<double>(v) - sorted[cursor]) > vorn_eps) {
      if (placed == expected) MatError(tag, kBadRange, index);
      out[placed++] = static_cast<double>(v);
    } else {
      cursor++;
    }
  }
  if (placed != expected) MatError(tag, kBadRange, index);
  MatMultiUndefs(2, sortedIndex, positions);
  return result;
}

// ---------------------------------------------------------------------------
// Blocks.

Matrix* MatCut(Matrix* m, int i1, int j1, int i2, int j2) {
  if (hasNoElements(m)) {
    MatErrorSource("%s(%dx%d)(%d:%d,%d:%d)", nameOf(m), m->rows, m->cols, i1, i2, j1, j2);
    MatError("MatCut()", "Zero-size matrix", m);
  }
  if (!(i1 >= 1 && j1 >= 1 && i1 <= m->rows && j1 <= m->cols && i2 <= m->rows && j2 <= m->cols)) {
    std::string message;
    vorn_report::appendf(message, "%s(%dx%d)(%d:%d,%d:%d) is invalid sub-matrix", nameOf(m), m->rows,
                         m->cols, i1, i2, j1, j2);
    MatError("MatCut()", message.c_str(), nullptr);
  }
  if (!writable(m->class_, m->class_)) {
    MatErrorSource("%s(%dx%d)(%d:%d,%d:%d)", nameOf(m), m->rows, m->cols, i1, i2, j1, j2);
    MatError("MatCut()", kBadClass, m);
  }
  Matrix* cut = MatSameClassDef(m, i2 - i1 + 1, j2 - j1 + 1);
  copyBlock(cut, 0, 0, m, i1 - 1, j1 - 1, cut->rows, cut->cols);
  return cut;
}

Matrix* MatPut(Matrix* dst, int i, int j, Matrix* src) {
  const Index lastRow = static_cast<Index>(i) + src->rows - 1;
  const Index lastCol = static_cast<Index>(j) + src->cols - 1;
  const bool convert = needsConversion(dst, src);
  if (i < 1 || j < 1) invalidPut(dst, i, lastRow, j, lastCol, src);
  if (hasNoElements(src)) return truncateAt(dst, i, j, lastRow, lastCol, src);
  const Index rows = std::max<Index>(lastRow, dst->rows);
  const Index cols = std::max<Index>(lastCol, dst->cols);
  const bool grow = convert || rows > dst->rows || cols > dst->cols;
  if (!sizeFits(rows, cols)) invalidPut(dst, i, lastRow, j, lastCol, src);
  const int target = grownClass(dst, src);
  if (!canWrite(dst, src, grow, target)) {
    MatErrorSource("%s(%dx%d)(%d:%lld, %d:%lld) = %s(%dx%d)", nameOf(dst), dst->rows, dst->cols, i, lastRow,
                   j, lastCol, nameOf(src), src->rows, src->cols);
    MatError2("MatPut()", kBadClass, dst, src);
  }
  Matrix* from = unaliased(dst, src);
  if (grow) rebuild(dst, static_cast<int>(rows), static_cast<int>(cols), target);
  copyBlock(dst, i - 1, j - 1, from, 0, 0, from->rows, from->cols);
  releaseUnaliased(src, from);
  return dst;
}

Matrix* MatAreaCopy(Matrix* dst, int i, int j, Matrix* src, int i1, int j1, int i2, int j2) {
  const bool fits = i >= 1 && j >= 1 && dst->rows >= static_cast<Index>(i) + (static_cast<Index>(i2) - i1) &&
                    dst->cols >= static_cast<Index>(j) + (static_cast<Index>(j2) - j1) && i1 >= 1 &&
                    j1 >= 1 && i2 >= 1 && j2 >= 1 && i2 <= src->rows && j2 <= src->cols && i1 <= i2 &&
                    j1 <= j2;
  const char* message = needsConversion(dst, src)               ? "Class conflict"
                        : !fits                                 ? "Size conflict"
                        : !writable(dst->class_, src->class_)   ? kBadClass
                                                                : nullptr;
  if (message != nullptr) {
    MatErrorSource("%s(%dx%d)(%d,%d) = %s(%dx%d)(%d:%d,%d:%d)", nameOf(dst), dst->rows, dst->cols, i, j,
                   nameOf(src), src->rows, src->cols, i1, j1, i2, j2);
    MatError2("MatAreaCopy()", message, dst, src);
  }
  Matrix* from = unaliased(dst, src);
  copyBlock(dst, i - 1, j - 1, from, i1 - 1, j1 - 1, i2 - i1 + 1, j2 - j1 + 1);
  releaseUnaliased(src, from);
  return dst;
}

// ---------------------------------------------------------------------------
// Rows and columns by index vectors.

Matrix* MatGetSubMatrix(Matrix* m, Matrix* rows, Matrix* cols) {
  std::vector<int> r;
  std::vector<int> c;
  const bool pairs = countAsIndex(rows) > 0 && countAsIndex(cols) > 0;
  const char* message = nullptr;
  if (rows->class_ != MAT_REAL || cols->class_ != MAT_REAL) message = kNotRealIndex;
  else if (rows->rows > 1 || cols->rows > 1) message = kNotRowIndex;
  else if (pairs && !(readIndices(rows, m->rows, r) && readIndices(cols, m->cols, c))) message = kOutOfRange;
  else if (!writable(m->class_, m->class_)) message = kBadClass;
  if (message != nullptr) {
    MatErrorSource("%s(%dx%d)(%s(%dx%d), %s(%dx%d))", nameOf(m), m->rows, m->cols, nameOf(rows), rows->rows,
                   rows->cols, nameOf(cols), cols->rows, cols->cols);
    MatError2("MatGetSubMatrix()", message, rows, cols);
  }
  Matrix* result = MatSameClassDef(m, static_cast<int>(countAsIndex(rows)), static_cast<int>(countAsIndex(cols)));
  if (!pairs) return result;
  const RunCopy copy = copierFor(m->class_, m->class_);
  const size_t nc = c.size();
  for (size_t a = 0; a < r.size(); a++) {
    const size_t rowStart = static_cast<size_t>(r[a] - 1) * static_cast<size_t>(m->cols);
    for (size_t b = 0; b < nc; b++) copy(result, a * nc + b, m, rowStart + static_cast<size_t>(c[b] - 1), 1);
  }
  return result;
}

Matrix* MatGetSubMatrix2(Matrix* m, int i1, int i2, int istep, int j1, int j2, int jstep) {
  if (unitStep(istep) && unitStep(jstep) && i1 <= i2 && j1 <= j2) return MatCut(m, i1, j1, i2, j2);
  Matrix* rows = MatSeries(i1, i2, istep);
  Matrix* cols = MatSeries(j1, j2, jstep);
  Matrix* result = MatGetSubMatrix(m, rows, cols);
  MatUndef(rows);
  MatUndef(cols);
  return result;
}

Matrix* MatSetSubMatrix(Matrix* dst, Matrix* rows, Matrix* cols, Matrix* src) {
  std::vector<int> r;
  std::vector<int> c;
  const bool deleting = hasNoElements(src);
  const bool pairs = countAsIndex(rows) > 0 && countAsIndex(cols) > 0;
  const Index rowLimit = deleting ? dst->rows : INT_MAX;
  const Index colLimit = deleting ? dst->cols : INT_MAX;
  const char* message = nullptr;
  if (rows->class_ != MAT_REAL || cols->class_ != MAT_REAL) message = kNotRealIndex;
  else if (rows->rows > 1 || cols->rows > 1) message = kNotRowIndex;
  else if (pairs && !(readIndices(rows, rowLimit, r) && readIndices(cols, colLimit, c))) message = kOutOfRange;
  const Index wantRows = std::max<Index>(largest(r), dst->rows);
  const Index wantCols = std::max<Index>(largest(c), dst->cols);
  const bool grow = !deleting && (needsConversion(dst, src) || wantRows > dst->rows || wantCols > dst->cols);
  const int target = grownClass(dst, src);
  if (message == nullptr && grow && !sizeFits(wantRows, wantCols)) message = kOutOfRange;
  const bool classOk = deleting ? !pairs || writable(dst->class_, dst->class_) : canWrite(dst, src, grow, target);
  if (message == nullptr && !classOk) message = kBadClass;
  if (message != nullptr) setSubMatrixError(message, dst, rows, cols, src);
  if (deleting) return deleteRowsOrColumns(dst, rows, cols, src, r, c);

  Matrix* from = unaliased(dst, src);
  if (grow) rebuild(dst, static_cast<int>(wantRows), static_cast<int>(wantCols), target);
  if (countAsIndex(rows) * countAsIndex(cols) != countAsIndex(from))
    MatError2("MatSetSubMatrix()", kBadCount, dst, src);
  // A source of another shape with the right count gives its elements in
  // storage order.
  const RunCopy copy = copierFor(dst->class_, from->class_);
  const size_t nc = c.size();
  for (size_t a = 0; a < r.size(); a++) {
    const size_t rowStart = static_cast<size_t>(r[a] - 1) * static_cast<size_t>(dst->cols);
    for (size_t b = 0; b < nc; b++) copy(dst, rowStart + static_cast<size_t>(c[b] - 1), from, a * nc + b, 1);
  }
  releaseUnaliased(src, from);
  return dst;
}

Matrix* MatSetSubMatrix2(Matrix* dst, int i1, int i2, int istep, int j1, int j2, int jstep, Matrix* src) {
  return setSubMatrix2(dst, i1, i2, istep, j1, j2, jstep, src);
}

Matrix* MatSetRowVecs(Matrix* dst, Matrix* rows, int j, Matrix* src) {
  const double last = hasNoElements(src) ? dst->cols : static_cast<double>(j) + src->cols - 1;
  Matrix* cols = MatSeries(j, last, 1);
  MatSetSubMatrix(dst, rows, cols, src);
  MatUndef(cols);
  return dst;
}

Matrix* MatSetColVecs(Matrix* dst, int i, Matrix* cols, Matrix* src) {
  const double last = hasNoElements(src) ? dst->rows : static_cast<double>(i) + src->rows - 1;
  Matrix* rows = MatSeries(i, last, 1);
  MatSetSubMatrix(dst, rows, cols, src);
  MatUndef(rows);
  return dst;
}

Matrix* MatSetRowVecs2(Matrix* dst, int i1, int i2, int istep, int j, Matrix* src) {
  const Index last = hasNoElements(src) ? dst->cols : static_cast<Index>(j) + src->cols - 1;
  return setSubMatrix2(dst, i1, i2, istep, j, last, 1, src);
}

Matrix* MatSetColVecs2(Matrix* dst, int i, int j1, int j2, int jstep, Matrix* src) {
  const Index last = hasNoElements(src) ? dst->rows : static_cast<Index>(i) + src->rows - 1;
  return setSubMatrix2(dst, i, last, 1, j1, j2, jstep, src);
}

// ---------------------------------------------------------------------------
// Elements by running index.

Matrix* MatGetVecSubMatrix(Matrix* m, Matrix* index) {
  std::vector<int> k;
  const char* message = nullptr;
  if (index->class_ != MAT_REAL) message = kNotRealIndex;
  else if (index->rows > 1) message = kNotRowIndex;
  else if (!readIndices(index, countAsIndex(m), k)) message = kOutOfRange;
  else if (!writable(m->class_, m->class_)) message = kBadClass;
  if (message != nullptr) {
    MatErrorSource("%s(%dx%d)(%s(%dx%d))", nameOf(m), m->rows, m->cols, nameOf(index), index->rows,
                   index->cols);
    MatError("MatGetVecSubMatrix()", message, index);
  }
  const int n = static_cast<int>(k.size());
  Matrix* result = hasNoElements(m)      ? MatSameClassDef(m, m->rows, m->cols)
                   : m->rows == 1 ? MatSameClassDef(m, 1, n)
                                  : MatSameClassDef(m, n, 1);
  const RunCopy copy = copierFor(m->class_, m->class_);
  for (size_t a = 0; a < k.size(); a++) copy(result, a, m, static_cast<size_t>(k[a] - 1), 1);
  return result;
}

Matrix* MatGetVecSubMatrix2(Matrix* m, int from, int to, int step) {
  if (unitStep(step) && from <= to) {
    if (m->cols == 1) return MatCut(m, from, 1, to, 1);
    if (m->rows == 1) return MatCut(m, 1, from, 1, to);
  }
  Matrix* index = MatSeries(from, to, step);
  Matrix* result = MatGetVecSubMatrix(m, index);
  MatUndef(index);
  return result;
}

Matrix* MatSetVecSubMatrix(Matrix* dst, Matrix* index, Matrix* src) {
  std::vector<int> k;
  const bool deleting = hasNoElements(src);
  const char* message = nullptr;
  if (index->class_ != MAT_REAL) message = kNotRealIndex;
  else if (index->rows > 1) message = kNotRowIndex;
  else if (!readIndices(index, deleting ? countAsIndex(dst) : INT_MAX, k)) message = kOutOfRange;
  Index rows = dst->rows;
  Index cols = dst->cols;
  vecShape(dst, largest(k), rows, cols);
  const bool grow = !deleting && (needsConversion(dst, src) || rows * cols > countAsIndex(dst));
  const int target = grownClass(dst, src);
  if (message == nullptr && grow && !sizeFits(rows, cols)) message = kOutOfRange;
  const bool classOk = deleting ? k.empty() || writable(dst->class_, dst->class_) : canWrite(dst, src, grow, target);
  if (message == nullptr && !classOk) message = kBadClass;
  if (message != nullptr) {
    MatErrorSource("%s(%dx%d)(%s(%dx%d)) = %s(%dx%d)", nameOf(dst), dst->rows, dst->cols, nameOf(index),
                   index->rows, index->cols, nameOf(src), src->rows, src->cols);
    MatError("MatSetVecSubMatrix()", message, index);
  }
  if (deleting) {
    if (k.empty()) return dst;
    Matrix* rounded = roundedIndex(index, k);
    Matrix* kept = MatComplementIndex(rounded, 1, static_cast<int>(countAsIndex(dst)));
    replaceBy(dst, MatGetVecSubMatrix(dst, kept));
    MatMultiUndefs(2, kept, rounded);
    return dst;
  }

  Matrix* from = unaliased(dst, src);
  if (grow) rebuild(dst, static_cast<int>(rows), static_cast<int>(cols), target);
  if (static_cast<Index>(k.size()) != countAsIndex(from)) MatError2("MatSetVecSubMatrix()", kBadCount, dst, src);
  const RunCopy copy = copierFor(dst->class_, from->class_);
  for (size_t a = 0; a < k.size(); a++) copy(dst, static_cast<size_t>(k[a] - 1), from, a, 1);
  releaseUnaliased(src, from);
  return dst;
}

Matrix* MatSetVecSubMatrix2(Matrix* dst, int from, int to, int step, Matrix* src) {
  if (from < 1 || to < 1) {
    MatErrorSource("%s(%dx%d)(%d:%d) = %s(%dx%d)", nameOf(dst), dst->rows, dst->cols, from, to, nameOf(src),
                   src->rows, src->cols);
    MatError2("MatSetVecSubMatrix2()", kNotSuitable, dst, src);
  }
  Matrix* index = MatSeries(from, to, step);
  MatSetVecSubMatrix(dst, index, src);
  MatUndef(index);
  return dst;
}
