// Assignment, copy, move and swap of matrices, and the in-place changes of
// size, values and shape declared with them in matrix_construct.h.
#include "runtime/matrix/matrix_construct.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/matrix/matrix_sub.h"
#include "runtime/matrix/polymat.h"

namespace {

using vorn_matrix::elementCount;
using vorn_matrix::isPolyOrRational;
using vorn_matrix::isValidClass;
using vorn_matrix::kBadClass;
using vorn_matrix::nameOf;
using vorn_matrix::storageBytes;

// Doubles of m's storage (both parts for complex elements).
inline size_t doublesOf(const Matrix* m) {
  return elementCount(m) * static_cast<size_t>(vorn_matrix::widthOf(m->class_));
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
  const size_t n = elementCount(m);
  if (!isValidClass(m->class_) || n > static_cast<size_t>(MatGarbageSizeMax())) return false;
  const int limit = MatGarbageTableMax();
  return vorn_registry::bucketAccepts(MatTableCount(static_cast<int>(n), m->class_), limit);
}

// Replaces every element of dst by a duplicate of src's; a null slot (fresh
// storage) has nothing to release.
template <class E>
void copyElementObjects(Matrix* dst, Matrix* src) {
  VORN_ASSERT(dst != src && elementCount(dst) == elementCount(src));
  typename E::Elem* const to = E::of(dst);
  const typename E::Elem* const from = E::of(src);
  const size_t n = elementCount(src);
  for (size_t k = 0; k < n; k++) {
    const typename E::Elem old = to[k];
    to[k] = E::dup(from[k]);
    if (old != nullptr) E::release(old);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Assignment, copy, move and swap.

Matrix* MatAssign(Matrix* dst, Matrix* src) {
  MatCheckLive(dst, "MatAssign()");
  MatCheckLive(src, "MatAssign()");
  return vorn_registry::assignRecord(dst, src, MatElementChange, MatElementCopy, MatObjectTmpUndef);
}

Matrix* MatCopy(Matrix* dst, Matrix* src) {
  MatCheckLive(dst, "MatCopy()");
  MatCheckLive(src, "MatCopy()");
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
    case MAT_C_POLY: copyElementObjects<vorn_matrix::PolyElements>(dst, src); break;
    case MAT_RATIONAL:
    case MAT_C_RATIONAL: copyElementObjects<vorn_matrix::RationalElements>(dst, src); break;
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
  if (!isValidClass(src->class_)) MatError2("MatElementCopy()", kBadClass, src, dst);
  if (dst == src) return dst;
  const size_t n = elementCount(src);
  const bool reshaped = elementCount(dst) != n || dst->class_ != src->class_;
  if (reshaped) {
    // Element objects of a kept storage are replaced one by one by MatCopy;
    // here they go with their storage, which is never parked half-released.
    if (isPolyOrRational(dst->class_)) dropElementObjects(dst);
    // Trade storage with a parked record of the wanted shape when one
    // exists; that record goes back parked with dst's old storage.
    Matrix* spare = storageParkable(dst) ? MatRequest(static_cast<int>(n), src->class_) : nullptr;
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
  if (!isValidClass(a->class_)) MatError2("MatSwap()", kBadClass, b, a);
  if (a == b) return a;
  if (isPolyOrRational(a->class_)) {
    void** const x = static_cast<void**>(a->data);
    void** const y = static_cast<void**>(b->data);
    const size_t n = elementCount(a);
    for (size_t k = 0; k < n; k++) std::swap(x[k], y[k]);
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
  if (!isValidClass(m->class_)) MatError("MatSetZero()", "Class Error", m);
  if (m->class_ == MAT_POLY || m->class_ == MAT_C_POLY) return P_Mat_SetZero(m);
  if (m->class_ == MAT_RATIONAL || m->class_ == MAT_C_RATIONAL) return R_Mat_SetZero(m);
  vorn_matrix::fillDoubles(m, 0.0);
  return m;
}

Matrix* MatFillValue(Matrix* m, double value) {
  if (m->class_ != MAT_REAL) {
    MatErrorSource("fill(%s(%dx%d), %g)", nameOf(m), m->rows, m->cols, value);
    MatError("MatFillValue()", "Not a real matrix", m);
  }
  vorn_matrix::fillDoubles(m, value);
  return m;
}

Matrix* MatReshape(Matrix* m, int rows, int cols) {
  const bool sameCount = static_cast<long long>(rows) * cols == static_cast<long long>(elementCount(m));
  if (rows < 0 || cols < 0 || !sameCount) {
    MatErrorSource("reshape(%s(%dx%d), %d, %d)", nameOf(m), m->rows, m->cols, rows, cols);
    MatError("MatReshape()", rows < 0 || cols < 0 ? "Not appropriate column or row number" : "Not same size",
             m);
  }
  m->rows = rows;
  m->cols = cols;
  return m;
}
