// Polynomial and rational matrices. The shapes (element-wise maps, zips,
// transposes, products, determinants, reductions) are written once over an
// element kind; PolyKind and RatKind supply the element arithmetic.
#include "runtime/matrix/polymat.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/core/entry.h"
#include "runtime/core/memory.h"
#include "runtime/core/registry.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/matrix/matrix_sub.h"
#include "runtime/matrix/polymat_kinds.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/polynomial_ops.h"
#include "runtime/objects/polytext.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/rational_ops.h"

namespace {

using vorn_polymat::PolyKind;
using vorn_polymat::RatKind;
using vorn_polymat::put;
using vorn_matrix::elementCount;
using vorn_matrix::holdsComplex;
using vorn_matrix::nameOf;
using vorn_matrix::offsetOf;
using vorn_matrix::sameShape;
using CV = ComplexValue;

// Element k of any matrix as a new temporary element of kind K: real and
// complex values become constants, polynomials become p/1 for rationals.
Polynomial* polyAt(Matrix* m, size_t k) {
  switch (m->class_) {
    case MAT_REAL: return PolyKind::constant(MatReal(m)[k], 0.0, false);
    case MAT_COMPLEX: return PolyKind::constant(MatReal(m)[2 * k], MatReal(m)[2 * k + 1], true);
    default: return PolyDup(MatPolys(m)[k]);
  }
}

Rational* ratAt(Matrix* m, size_t k) {
  switch (m->class_) {
    case MAT_REAL: return RatKind::constant(MatReal(m)[k], 0.0, false);
    case MAT_COMPLEX: return RatKind::constant(MatReal(m)[2 * k], MatReal(m)[2 * k + 1], true);
    case MAT_POLY:
    case MAT_C_POLY: return RatNumeDef(MatPolys(m)[k]);
    default: return RatDup(MatRats(m)[k]);
  }
}

// A new element matrix of the class.
inline Matrix* make(int class_, int rows, int cols) { return vorn_matrix::defineElements("", rows, cols, class_); }

template <class K>
int classFor(bool complexValue) {
  return K::kBase + (complexValue ? 1 : 0);
}

// c(k) = f(m(k)); c may be m.
template <class K, class F>
Matrix* mapInto(Matrix* c, Matrix* m, F f) {
  VORN_ASSERT(sameShape(c, m));
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) put<K>(c, k, f(K::of(m)[k]));
  return c;
}

// c(k) = f(a(k), b(k)); c may be a or b.
template <class K, class F>
Matrix* zipInto(Matrix* c, Matrix* a, Matrix* b, F f) {
  VORN_ASSERT(sameShape(a, b) && sameShape(c, a));
  const size_t n = elementCount(a);
  for (size_t k = 0; k < n; k++) put<K>(c, k, f(K::of(a)[k], K::of(b)[k]));
  return c;
}

template <class K, bool Conjugate>
Matrix* transposeInto(Matrix* c, Matrix* m) {
  VORN_ASSERT(c != m && c->rows == m->cols && c->cols == m->rows);
  for (int i = 0; i < m->rows; i++)
    for (int j = 0; j < m->cols; j++) {
      typename K::E e = K::of(m)[offsetOf(m, i + 1, j + 1)];
      put<K>(c, offsetOf(c, j + 1, i + 1), Conjugate ? K::conj(e) : K::dup(e));
    }
  return c;
}

// Sum of products a(i, k) b(k, j) over k, generic in the element kind; the
// partial sums are released as they are replaced.
template <class K>
Matrix* productInto(Matrix* c, Matrix* a, Matrix* b) {
  VORN_ASSERT(c != a && c != b && a->cols == b->rows && c->rows == a->rows && c->cols == b->cols);
  for (int i = 1; i <= a->rows; i++)
    for (int j = 1; j <= b->cols; j++) {
      typename K::E sum = nullptr;
      for (int k = 1; k <= a->cols; k++) {
        typename K::E term = K::mul(K::of(a)[offsetOf(a, i, k)], K::of(b)[offsetOf(b, k, j)]);
        if (sum == nullptr) {
          sum = term;
          continue;
        }
        typename K::E next = K::add(sum, term);
        K::release(sum);
        K::release(term);
        sum = next;
      }
      put<K>(c, offsetOf(c, i, j), sum != nullptr ? sum : K::constant(0.0, 0.0, false));
    }
  return c;
}

// a(k) at (i, j) of the n x n block of m given by its row and column lists.
template <class K>
struct Minor {
  Matrix* m;
  std::vector<int> rows, cols;  // 1-based
  typename K::E at(size_t i, size_t j) const { return K::of(m)[offsetOf(m, rows[i], cols[j])]; }
};

template <class K>
typename K::E product3(typename K::E a, typename K::E b, typename K::E c) {
  typename K::E ab = K::mul(a, b);
  typename K::E abc = K::mul(ab, c);
  K::release(ab);
  return abc;
}

// acc + term or acc - term, both released.
template <class K>
typename K::E accumulate(typename K::E acc, typename K::E term, bool subtract) {
  typename K::E next = subtract ? K::sub(acc, term) : K::add(acc, term);
  K::release(acc);
  K::release(term);
  return next;
}

template <class K>
typename K::E determinant(const Minor<K>& d) {
  const size_t n = d.rows.size();
  if (n == 1) return K::dup(d.at(0, 0));
  if (n == 2) {
    typename K::E left = K::mul(d.at(0, 0), d.at(1, 1));
    return accumulate<K>(left, K::mul(d.at(0, 1), d.at(1, 0)), true);
  }
  if (n == 3) {
    // a11 a22 a33 + a12 a23 a31 + a13 a21 a32 - a13 a22 a31 - a11 a23 a32 - a12 a21 a33
    static const int terms[6][3][2] = {{{0, 0}, {1, 1}, {2, 2}}, {{0, 1}, {1, 2}, {2, 0}}, {{0, 2}, {1, 0}, {2, 1}},
                                       {{0, 2}, {1, 1}, {2, 0}}, {{0, 0}, {1, 2}, {2, 1}}, {{0, 1}, {1, 0}, {2, 2}}};
    typename K::E acc = nullptr;
    for (int t = 0; t < 6; t++) {
      const auto& e = terms[t];
      typename K::E term = product3<K>(d.at(e[0][0], e[0][1]), d.at(e[1][0], e[1][1]), d.at(e[2][0], e[2][1]));
      acc = acc == nullptr ? term : accumulate<K>(acc, term, t >= 3);
    }
    return acc;
  }
  // Expansion along the first column: odd rows add, even rows subtract.
  typename K::E acc = nullptr;
  for (size_t i = 0; i < n; i++) {
    Minor<K> minor{d.m, {}, {}};
    for (size_t r = 0; r < n; r++)
      if (r != i) minor.rows.push_back(d.rows[r]);
    minor.cols.assign(d.cols.begin() + 1, d.cols.end());
    typename K::E sub = determinant(minor);
    typename K::E term = K::mul(d.at(i, 0), sub);
    K::release(sub);
    acc = acc == nullptr ? term : accumulate<K>(acc, term, i % 2 == 1);
  }
  return acc;
}

template <class K>
typename K::E determinantOf(Matrix* m, const char* tag) {
  MatNonSquareCheck(m, tag);
  MatZeroSizeCheck(m, tag);
  Minor<K> all{m, {}, {}};
  for (int i = 1; i <= m->rows; i++) {
    all.rows.push_back(i);
    all.cols.push_back(i);
  }
  return determinant(all);
}

// The elements of m combined by K::add (sum) or K::mul (product), in
// storage order; the chosen identity for an empty m.
template <class K>
typename K::E foldOf(Matrix* m, bool product, bool diagonal) {
  typename K::E acc = nullptr;
  const size_t n = diagonal ? static_cast<size_t>(std::min(m->rows, m->cols)) : elementCount(m);
  for (size_t k = 0; k < n; k++) {
    typename K::E e = diagonal ? K::of(m)[offsetOf(m, static_cast<int>(k) + 1, static_cast<int>(k) + 1)] : K::of(m)[k];
    if (acc == nullptr) {
      acc = K::dup(e);
      continue;
    }
    typename K::E next = product ? K::mul(acc, e) : K::add(acc, e);
    K::release(acc);
    acc = next;
  }
  return acc != nullptr ? acc : K::constant(product ? 1.0 : 0.0, 0.0, holdsComplex(m->class_));
}

// c = [a, b] or [[a][b]], duplicating the elements.
template <class K>
Matrix* catInto(Matrix* c, Matrix* a, Matrix* b, bool sideBySide) {
  for (int i = 1; i <= c->rows; i++)
    for (int j = 1; j <= c->cols; j++) {
      const bool fromA = sideBySide ? j <= a->cols : i <= a->rows;
      Matrix* src = fromA ? a : b;
      const int si = sideBySide || fromA ? i : i - a->rows;
      const int sj = !sideBySide || fromA ? j : j - a->cols;
      put<K>(c, offsetOf(c, i, j), K::dup(K::of(src)[offsetOf(src, si, sj)]));
    }
  return c;
}

// Checks that m holds elements of kind K (and is of the right class).
template <class K>
void checkKind(Matrix* m, const char* tag) {
  if (m->class_ != K::kBase && m->class_ != K::kBase + 1) {
    if (K::kBase == MAT_POLY)
      MatNotPolynomialCheck(m, tag);
    else
      MatNotRationalCheck(m, tag);
  }
}

// Fills a new element matrix of K's class (complex when asked) from f(k).
template <class K, class F>
Matrix* build(bool complexValue, int rows, int cols, F f) {
  Matrix* c = make(classFor<K>(complexValue), rows, cols);
  const size_t n = elementCount(c);
  for (size_t k = 0; k < n; k++) put<K>(c, k, f(k));
  return c;
}

// ---------------------------------------------------------------------------
// Element access.

// A complex element makes a real-coefficient matrix complex first.
template <class K>
void widenFor(Matrix* m, typename K::E v) {
  if (K::complex(v) && !holdsComplex(m->class_)) {
    Matrix* wide = MatRealToComp(m);
    MatMove(m, wide);
    MatUndef(wide);
  }
}

template <class K>
Matrix* setElement(Matrix* m, int i, int j, typename K::E v, const char* tag) {
  MatCheckLive(m, tag);
  checkKind<K>(m, tag);
  K::checkDefined(v, tag);
  if (i < 1 || j < 1) {
    MatErrorSource("%s(%dx%d)(%d,%d)", nameOf(m), m->rows, m->cols, i, j);
    MatError(tag, "Not a suitable index", m);
  }
  // Copied before m is widened or grown: v may be one of m's own elements,
  // which either step releases.
  typename K::E copy = K::dup(v);
  widenFor<K>(m, copy);
  if (i > m->rows || j > m->cols) MatEnlarge(m, std::max(m->rows, i), std::max(m->cols, j));
  put<K>(m, offsetOf(m, i, j), copy);
  return m;
}

template <class K>
typename K::E elementPtr(Matrix* m, int i, int j, const char* tag) {
  MatCheckLive(m, tag);
  checkKind<K>(m, tag);
  if (i < 1 || j < 1 || i > m->rows || j > m->cols) {
    MatErrorSource("%s(%dx%d)(%d,%d)", nameOf(m), m->rows, m->cols, i, j);
    MatError(tag, "Not a suitable index", m);
  }
  return K::of(m)[offsetOf(m, i, j)];
}

// Row and column of running index k (from 1), growing m as a real matrix
// grows: a row or 0x0 m into a longer row, a column into a longer column,
// any other into more rows; a 0xn or nx0 m (n >= 2) cannot grow.
template <class K>
Matrix* setVecElement(Matrix* m, int k, typename K::E v, const char* tag) {
  MatCheckLive(m, tag);
  checkKind<K>(m, tag);
  const bool beyond = k >= 1 && static_cast<size_t>(k) > elementCount(m);
  const bool row = m->rows == 1 || vorn_matrix::isZeroByZero(m);
  if (k < 1 || (beyond && !row && m->cols != 1 && vorn_matrix::hasNoElements(m))) {
    MatErrorSource("%s(%dx%d)(%d)", nameOf(m), m->rows, m->cols, k);
    MatError(tag, "Not a suitable index", m);
  }
  if (row) return setElement<K>(m, 1, k, v, tag);
  if (m->cols == 1) return setElement<K>(m, k, 1, v, tag);
  return setElement<K>(m, (k - 1) / m->cols + 1, (k - 1) % m->cols + 1, v, tag);
}

template <class K>
typename K::E vecElementPtr(Matrix* m, int k, const char* tag) {
  checkKind<K>(m, tag);
  if (k < 1 || static_cast<size_t>(k) > elementCount(m)) {
    MatErrorSource("%s(%dx%d)(%d)", nameOf(m), m->rows, m->cols, k);
    MatError(tag, "Not a suitable index", m);
  }
  return K::of(m)[k - 1];
}

template <class K>
Matrix* fill(Matrix* m, typename K::E v) {
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) put<K>(m, k, K::dup(v));
  return m;
}

// Every element becomes a copy of v, checked and widened as a store is;
// v may be one of m's own elements, replaced along the way.
template <class K>
Matrix* fillChecked(Matrix* m, typename K::E v, const char* tag) {
  checkKind<K>(m, tag);
  K::checkDefined(v, tag);
  typename K::E copy = K::dup(v);
  widenFor<K>(m, copy);
  fill<K>(m, copy);
  K::release(copy);
  return m;
}

template <class K>
Matrix* setZero(Matrix* m) {
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) put<K>(m, k, K::constant(0.0, 0.0, holdsComplex(m->class_)));
  return m;
}

template <class K>
Matrix* identity(int rows, int cols) {
  Matrix* m = setZero<K>(make(K::kBase, rows, cols));
  for (int i = 1; i <= std::min(rows, cols); i++) put<K>(m, offsetOf(m, i, i), K::constant(1.0, 0.0, false));
  return m;
}

// n elements of kind K from a variable argument list.
template <class K>
std::vector<typename K::E> readElements(int n, va_list ap) {
  std::vector<typename K::E> v;
  for (int k = 0; k < n; k++) v.push_back(va_arg(ap, typename K::E));
  return v;
}

template <class K>
bool anyComplex(const std::vector<typename K::E>& v) {
  for (auto e : v)
    if (K::complex(e)) return true;
  return false;
}

template <class K>
Matrix* diagonal(const std::vector<typename K::E>& v) {
  const int n = static_cast<int>(v.size());
  Matrix* m = setZero<K>(make(classFor<K>(anyComplex<K>(v)), n, n));
  for (int i = 1; i <= n; i++) put<K>(m, offsetOf(m, i, i), K::dup(v[static_cast<size_t>(i - 1)]));
  return m;
}

template <class K>
Matrix* lineOf(const std::vector<typename K::E>& v, bool column) {
  const int n = static_cast<int>(v.size());
  Matrix* m = make(classFor<K>(anyComplex<K>(v)), column ? n : 1, column ? 1 : n);
  for (int k = 0; k < n; k++) put<K>(m, static_cast<size_t>(k), K::dup(v[static_cast<size_t>(k)]));
  return m;
}

template <class K>
Matrix* vander(const std::vector<typename K::E>& v) {
  const int n = static_cast<int>(v.size());
  Matrix* m = make(classFor<K>(anyComplex<K>(v)), n, n);
  for (int i = 1; i <= n; i++)
    for (int j = 1; j <= n; j++) put<K>(m, offsetOf(m, i, j), K::pow(v[static_cast<size_t>(i - 1)], j - 1));
  return m;
}

// ---------------------------------------------------------------------------
// Evaluation: a real matrix for a real class, else a complex one.

template <class K>
Matrix* evalAt(Matrix* m, double x) {
  const size_t n = elementCount(m);
  if (!holdsComplex(m->class_)) {
    Matrix* v = MatDef("", m->rows, m->cols);
    for (size_t k = 0; k < n; k++) MatReal(v)[k] = K::eval(K::of(m)[k], x);
    return v;
  }
  Matrix* v = C_MatDef("", m->rows, m->cols);
  for (size_t k = 0; k < n; k++) {
    Complex* z = K::evalComplexAt(K::of(m)[k], x);
    MatReal(v)[2 * k] = z->re;
    MatReal(v)[2 * k + 1] = z->im;
    CompUndef(z);
  }
  return v;
}

template <class K>
Matrix* evalAtComplex(Matrix* m, Complex* z) {
  const size_t n = elementCount(m);
  Matrix* v = C_MatDef("", m->rows, m->cols);
  for (size_t k = 0; k < n; k++) {
    Complex* w = K::evalC(K::of(m)[k], z);
    MatReal(v)[2 * k] = w->re;
    MatReal(v)[2 * k + 1] = w->im;
    CompUndef(w);
  }
  return v;
}

// The same matrix with each element replaced by f(element).
template <class K, class F>
Matrix* mapped(Matrix* m, F f) {
  return mapInto<K>(MatSameDef(m), m, f);
}

// Matrix power by repeated squaring of a square m; n = 0 gives I.
template <class K>
Matrix* matrixPower(Matrix* m, int n, const char* tag) {
  MatNonSquareCheck(m, tag);
  if (n < 0) {
    MatErrorSource("%s(%dx%d)^%d", nameOf(m), m->rows, m->cols, n);
    MatError(tag, "Index must be semipositive", m);
  }
  Matrix* result = identity<K>(m->rows, m->rows);
  if (holdsComplex(m->class_)) {
    Matrix* wide = MatRealToComp(result);
    MatUndef(result);
    result = wide;
  }
  Matrix* square = MatDup(m);
  for (unsigned bits = static_cast<unsigned>(n); bits != 0; bits >>= 1) {
    if (bits & 1u) {
      Matrix* next = MatMul(result, square);
      MatUndef(result);
      result = next;
    }
    if (bits > 1) {
      Matrix* next = MatMul(square, square);
      MatUndef(square);
      square = next;
    }
  }
  MatUndef(square);
  return result;
}

// ---------------------------------------------------------------------------
// The real polynomial product: each element's products are convolved into
// one scratch row and summed there, so that a product of n terms makes one
// polynomial instead of 2n - 1 temporaries.

const char* commonVariable(Matrix* a, Matrix* b, const char* tag) {
  Polynomial* first = nullptr;
  for (Matrix* m : {a, b}) {
    const size_t n = elementCount(m);
    for (size_t k = 0; k < n; k++) {
      Polynomial* p = MatPolys(m)[k];
      PolyUndefCheck(p, tag);
      if (p->variable == nullptr) continue;
      if (first == nullptr)
        first = p;
      else
        PolyVarCheck(first, p, tag);
    }
  }
  return first != nullptr ? first->variable : nullptr;
}

Matrix* realPolyProduct(Matrix* c, Matrix* a, Matrix* b) {
  const char* variable = commonVariable(a, b, "PolyMul()");
  std::vector<double> sum, term;
  for (int i = 1; i <= a->rows; i++)
    for (int j = 1; j <= b->cols; j++) {
      int degree = 0;
      for (int k = 1; k <= a->cols; k++)
        degree = std::max(degree, MatPolys(a)[offsetOf(a, i, k)]->degree + MatPolys(b)[offsetOf(b, k, j)]->degree);
      sum.assign(static_cast<size_t>(degree) + 1, 0.0);
      for (int k = 1; k <= a->cols; k++) {
        Polynomial* p = MatPolys(a)[offsetOf(a, i, k)];
        Polynomial* q = MatPolys(b)[offsetOf(b, k, j)];
        const double* x = MatReal(p->coef);
        const double* y = MatReal(q->coef);
        term.assign(static_cast<size_t>(p->degree + q->degree) + 1, 0.0);
        for (int s = 0; s <= p->degree; s++)
          for (int t = 0; t <= q->degree; t++) term[static_cast<size_t>(s + t)] += x[s] * y[t];
        for (size_t d = 0; d < term.size(); d++) sum[d] = k == 1 ? term[d] : sum[d] + term[d];
      }
      Polynomial* e = PolyDef("", degree, variable);
      std::memcpy(MatReal(e->coef), sum.data(), sum.size() * sizeof(double));
      put<PolyKind>(c, offsetOf(c, i, j), PolySimplify(e, vorn_eps));
    }
  return c;
}

// ---------------------------------------------------------------------------
// Reductions along rows or columns, and running ones.

// The lanes of m: the whole storage of a vector, else each row (mode other
// than 1) or each column.
struct Lanes {
  size_t count, length, laneStep, step;
  int rows, cols;  // of the result
};

Lanes lanesOf(const Matrix* m, int mode) {
  const size_t r = static_cast<size_t>(m->rows);
  const size_t c = static_cast<size_t>(m->cols);
  if (m->rows == 1 || m->cols == 1) return {1, r * c, 0, 1, 1, 1};
  if (mode == 1) return {c, r, 1, c, 1, m->cols};
  return {r, c, c, 1, m->rows, 1};
}

enum class Fold { kSum, kMean, kProd };

template <class K>
Matrix* foldLanes(Matrix* m, int mode, Fold what) {
  const Lanes lanes = lanesOf(m, mode);
  Matrix* c = make(m->class_, lanes.rows, lanes.cols);
  for (size_t l = 0; l < lanes.count; l++) {
    typename K::E acc = K::dup(K::of(m)[l * lanes.laneStep]);
    for (size_t k = 1; k < lanes.length; k++) {
      typename K::E e = K::of(m)[l * lanes.laneStep + k * lanes.step];
      typename K::E next = what == Fold::kProd ? K::mul(acc, e) : K::add(acc, e);
      K::release(acc);
      acc = next;
    }
    if (what == Fold::kMean) {
      typename K::E mean = K::scale(acc, 1.0 / static_cast<double>(lanes.length));
      K::release(acc);
      acc = mean;
    }
    put<K>(c, l, acc);
  }
  return c;
}

// An empty m gives an empty result of the reduced shape.
template <class K>
Matrix* reduceLanes(Matrix* m, int mode, Fold what, const char* tag) {
  checkKind<K>(m, tag);
  if (vorn_matrix::hasNoElements(m)) {
    const bool vector = m->rows <= 1 || m->cols <= 1;
    return make(m->class_, vector ? 0 : mode == 1 ? 0 : m->rows, vector ? 0 : mode == 1 ? m->cols : 0);
  }
  return foldLanes<K>(m, mode, what);
}

// Running sums or products along each lane: the whole storage when
// `whole`, else the lanes of lanesOf(m, mode).
template <class K>
Matrix* running(Matrix* m, bool whole, int mode, bool product, const char* tag) {
  checkKind<K>(m, tag);
  Matrix* c = MatSameDef(m);
  if (vorn_matrix::hasNoElements(m)) return c;
  const Lanes lanes = whole ? Lanes{1, elementCount(m), 0, 1, m->rows, m->cols} : lanesOf(m, mode);
  for (size_t l = 0; l < lanes.count; l++) {
    // Each running value is formed from the previous one, held by c.
    typename K::E previous = nullptr;
    for (size_t k = 0; k < lanes.length; k++) {
      const size_t at = l * lanes.laneStep + k * lanes.step;
      typename K::E e = K::of(m)[at];
      put<K>(c, at, previous == nullptr ? K::dup(e) : (product ? K::mul(previous, e) : K::add(previous, e)));
      previous = K::of(c)[at];
    }
  }
  return c;
}

// Element equality without simplification beyond what each holds.
bool samePoly(Polynomial* p, Polynomial* q) {
  if (p->degree != q->degree) return false;
  for (int k = 0; k <= p->degree; k++) {
    const double* x = MatReal(p->coef);
    const double* y = MatReal(q->coef);
    const CV a = p->class_ == 1 ? CV{x[2 * k], x[2 * k + 1]} : CV{x[k], 0.0};
    const CV b = q->class_ == 1 ? CV{y[2 * k], y[2 * k + 1]} : CV{y[k], 0.0};
    if (!(a.re == b.re && a.im == b.im)) return false;
  }
  return true;
}
bool sameElement(Polynomial* p, Polynomial* q) { return samePoly(p, q); }
bool sameElement(Rational* r, Rational* q) { return samePoly(r->nume, q->nume) && samePoly(r->deno, q->deno); }

template <class K>
Matrix* compare(Matrix* a, Matrix* b, int equal) {
  VORN_ASSERT(sameShape(a, b));
  Matrix* c = MatDef("", a->rows, a->cols);
  const size_t n = elementCount(a);
  for (size_t k = 0; k < n; k++) MatReal(c)[k] = sameElement(K::of(a)[k], K::of(b)[k]) == (equal != 0) ? 1.0 : 0.0;
  return c;
}

// ---------------------------------------------------------------------------
// Printing.

void printHeadOf(int i, int j) { std::printf(" (%3d,%3d)  ", i, j); }

}  // namespace

namespace vorn_matrix {

void fillEmptyElements(void* data, int n, int class_) {
  if (class_ == MAT_POLY || class_ == MAT_C_POLY) {
    Polynomial** p = static_cast<Polynomial**>(data);
    for (int k = 0; k < n; k++) p[k] = PolySetType(PolyDef("", -1, nullptr), vorn_registry::kHeld3);
  } else {
    Rational** r = static_cast<Rational**>(data);
    for (int k = 0; k < n; k++) r[k] = RatSetType(RatDef("", -1, -1), vorn_registry::kHeld2);
  }
}

void copyElements(Matrix* dst, size_t dk, Matrix* src, size_t sk, size_t count) {
  VORN_ASSERT(dst != src);
  const bool poly = dst->class_ == MAT_POLY || dst->class_ == MAT_C_POLY;
  for (size_t k = 0; k < count; k++) {
    if (poly)
      put<PolyKind>(dst, dk + k, polyAt(src, sk + k));
    else
      put<RatKind>(dst, dk + k, ratAt(src, sk + k));
  }
}

Matrix* zeroElements(int class_, int rows, int cols) {
  Matrix* m = defineElements("", rows, cols, class_);
  return class_ <= MAT_C_POLY ? setZero<PolyKind>(m) : setZero<RatKind>(m);
}

}  // namespace vorn_matrix

// ===========================================================================
// Polynomial matrices.

Matrix* P_MatDef(const char* name, int rows, int cols) {
  return vorn_matrix::defineElements(name, rows, cols, MAT_POLY);
}
Matrix* P_MatNonNameDef(int rows, int cols) { return P_MatDef("", rows, cols); }
Matrix* P_MatZDef2(int rows, int cols) { return setZero<PolyKind>(P_MatDef("", rows, cols)); }
Matrix* P_MatZDef(int n) { return P_MatZDef2(n, n); }
Matrix* P_MatIDef2(int rows, int cols) { return identity<PolyKind>(rows, cols); }
Matrix* P_MatIDef(int n) { return identity<PolyKind>(n, n); }
Matrix* P_MatOneDef(int rows, int cols) {
  Matrix* m = P_MatDef("", rows, cols);
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) put<PolyKind>(m, k, PolyKind::constant(1.0, 0.0, false));
  return m;
}
Matrix* P_MatFillDef(int rows, int cols, Polynomial* p) {
  PolyUndefCheck(p, "P_MatFillDef()");
  return fill<PolyKind>(make(classFor<PolyKind>(PolyKind::complex(p)), rows, cols), p);
}
Matrix* P_MatSameSizeFillDef(Matrix* m, Polynomial* p) { return P_MatFillDef(m->rows, m->cols, p); }
Matrix* P_MatSameDef(Matrix* m) { return make(holdsComplex(m->class_) ? MAT_C_POLY : MAT_POLY, m->rows, m->cols); }
Matrix* P_MatTransDef(Matrix* m) { return make(holdsComplex(m->class_) ? MAT_C_POLY : MAT_POLY, m->cols, m->rows); }
Matrix* P_MatMulDef(Matrix* a, Matrix* b) {
  if (a->cols != b->rows) MatError2("P_MatMulDef()", "Size Error", a, b);
  const bool complexValue = holdsComplex(a->class_) || holdsComplex(b->class_);
  return make(complexValue ? MAT_C_POLY : MAT_POLY, a->rows, b->cols);
}

Matrix* P_MatDiagDef(int n, ...) {
  va_list ap;
  va_start(ap, n);
  const auto v = readElements<PolyKind>(n, ap);
  va_end(ap);
  return diagonal<PolyKind>(v);
}
Matrix* P_MatColumnVec(int n, ...) {
  va_list ap;
  va_start(ap, n);
  const auto v = readElements<PolyKind>(n, ap);
  va_end(ap);
  return lineOf<PolyKind>(v, true);
}
Matrix* P_MatRowVec(int n, ...) {
  va_list ap;
  va_start(ap, n);
  const auto v = readElements<PolyKind>(n, ap);
  va_end(ap);
  return lineOf<PolyKind>(v, false);
}
Matrix* P_MatVander(int n, ...) {
  va_list ap;
  va_start(ap, n);
  const auto v = readElements<PolyKind>(n, ap);
  va_end(ap);
  return vander<PolyKind>(v);
}

Matrix* P_MatSetVar(Matrix* m, const char* variable) {
  checkKind<PolyKind>(m, "P_MatSetVar()");
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) PolySetVar(MatPolys(m)[k], variable);
  return m;
}

Matrix* P_MatSetValue(Matrix* m, int i, int j, Polynomial* p) {
  return setElement<PolyKind>(m, i, j, p, "P_MatSetValue()");
}
Matrix* P_MatSetVecValue(Matrix* m, int k, Polynomial* p) {
  return setVecElement<PolyKind>(m, k, p, "P_MatSetVecValue()");
}
Matrix* P_MatFillValue(Matrix* m, Polynomial* p) {
  return fillChecked<PolyKind>(m, p, "P_MatFillValue()");
}
Polynomial* P_MatGetValue(Matrix* m, int i, int j) { return PolyDup(elementPtr<PolyKind>(m, i, j, "P_MatGetValue()")); }
Polynomial* P_MatGetValueOne(Matrix* m) { return P_MatGetValue(m, 1, 1); }
Polynomial* P_MatGetPtr(Matrix* m, int i, int j) { return elementPtr<PolyKind>(m, i, j, "P_MatGetPtr()"); }
Polynomial* P_MatGetVecValue(Matrix* m, int k) { return PolyDup(vecElementPtr<PolyKind>(m, k, "P_MatGetVecValue()")); }
Polynomial* P_MatGetVecPtr(Matrix* m, int k) { return vecElementPtr<PolyKind>(m, k, "P_MatGetVecPtr()"); }
Matrix* P_Mat_SetZero(Matrix* m) { return setZero<PolyKind>(m); }

Matrix* P_Mat_Cut(Matrix* m, int i1, int j1, int i2, int j2) {
  checkKind<PolyKind>(m, "P_Mat_Cut()");
  return MatCut(m, i1, j1, i2, j2);
}
Matrix* P_Mat_Put(Matrix* dst, int i, int j, Matrix* src) {
  checkKind<PolyKind>(dst, "P_Mat_Put()");
  return MatPut(dst, i, j, src);
}
Matrix* P_Mat_AreaCopy(Matrix* dst, int i, int j, Matrix* src, int i1, int j1, int i2, int j2) {
  checkKind<PolyKind>(dst, "P_Mat_AreaCopy()");
  return MatAreaCopy(dst, i, j, src, i1, j1, i2, j2);
}
Matrix* P_Mat_GetSubMatrix(Matrix* m, Matrix* rows, Matrix* cols) {
  checkKind<PolyKind>(m, "P_Mat_GetSubMatrix()");
  return MatGetSubMatrix(m, rows, cols);
}
Matrix* P_Mat_SetSubMatrix(Matrix* dst, Matrix* rows, Matrix* cols, Matrix* src) {
  checkKind<PolyKind>(dst, "P_Mat_SetSubMatrix()");
  return MatSetSubMatrix(dst, rows, cols, src);
}
Matrix* P_Mat_GetVecSubMatrix(Matrix* m, Matrix* index) {
  checkKind<PolyKind>(m, "P_Mat_GetVecSubMatrix()");
  return MatGetVecSubMatrix(m, index);
}
Matrix* P_Mat_SetVecSubMatrix(Matrix* dst, Matrix* index, Matrix* src) {
  checkKind<PolyKind>(dst, "P_Mat_SetVecSubMatrix()");
  return MatSetVecSubMatrix(dst, index, src);
}
Matrix* P_MatCopy(Matrix* dst, Matrix* src) {
  checkKind<PolyKind>(dst, "P_MatCopy()");
  return MatCopy(dst, src);
}
Matrix* P_MatSwap(Matrix* a, Matrix* b) {
  checkKind<PolyKind>(a, "P_MatSwap()");
  return MatSwap(a, b);
}

Polynomial* P_MatDeterm(Matrix* m) {
  checkKind<PolyKind>(m, "P_MatDeterm()");
  return determinantOf<PolyKind>(m, "P_MatDeterm()");
}
Polynomial* P_MatTrace(Matrix* m) {
  checkKind<PolyKind>(m, "P_MatTrace()");
  return foldOf<PolyKind>(m, false, true);
}
Polynomial* P_MatSumElem(Matrix* m) {
  checkKind<PolyKind>(m, "P_MatSumElem()");
  return foldOf<PolyKind>(m, false, false);
}
Polynomial* P_MatProdElem(Matrix* m) {
  checkKind<PolyKind>(m, "P_MatProdElem()");
  return foldOf<PolyKind>(m, true, false);
}

Polynomial* P_MatMeanElem(Matrix* m) {
  checkKind<PolyKind>(m, "P_MatMeanElem()");
  Polynomial* sum = foldOf<PolyKind>(m, false, false);
  if (elementCount(m) == 0) return sum;
  Polynomial* mean = PolyScale(sum, 1.0 / static_cast<double>(elementCount(m)));
  PolyUndef(sum);
  return mean;
}
Matrix* P_Mat_Sum(Matrix* m, int mode) { return reduceLanes<PolyKind>(m, mode, Fold::kSum, "P_Mat_Sum()"); }
Matrix* P_Mat_Mean(Matrix* m, int mode) { return reduceLanes<PolyKind>(m, mode, Fold::kMean, "P_Mat_Mean()"); }
Matrix* P_Mat_Prod(Matrix* m, int mode) { return reduceLanes<PolyKind>(m, mode, Fold::kProd, "P_Mat_Prod()"); }
Matrix* P_Mat_CumSumElem(Matrix* m) { return running<PolyKind>(m, true, 0, false, "P_Mat_CumSumElem()"); }
Matrix* P_Mat_CumProdElem(Matrix* m) { return running<PolyKind>(m, true, 0, true, "P_Mat_CumProdElem()"); }
Matrix* P_Mat_CumSum(Matrix* m, int mode) { return running<PolyKind>(m, false, mode, false, "P_Mat_CumSum()"); }
Matrix* P_Mat_CumProd(Matrix* m, int mode) { return running<PolyKind>(m, false, mode, true, "P_Mat_CumProd()"); }
Matrix* P_Mat_CompareElem(Matrix* a, Matrix* b, int equal) { return compare<PolyKind>(a, b, equal); }
int P_MatIsZero(Matrix* m) {
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++)
    if (!PolyIsZero(MatPolys(m)[k])) return 0;
  return 1;
}

Matrix* P_Mat_Add(Matrix* c, Matrix* a, Matrix* b) { return zipInto<PolyKind>(c, a, b, PolyAdd); }
Matrix* P_Mat_Sub(Matrix* c, Matrix* a, Matrix* b) { return zipInto<PolyKind>(c, a, b, PolySub); }
Matrix* P_Mat_MulElem(Matrix* c, Matrix* a, Matrix* b) { return zipInto<PolyKind>(c, a, b, PolyMul); }
Matrix* P_Mat_Mul(Matrix* c, Matrix* a, Matrix* b) {
  if (a->class_ == MAT_POLY && b->class_ == MAT_POLY && a->cols > 0) return realPolyProduct(c, a, b);
  return productInto<PolyKind>(c, a, b);
}
Matrix* P_Mat_DivElem(Matrix* c, Matrix* a, Matrix* b) {
  VORN_ASSERT(sameShape(a, b) && sameShape(c, a));
  const size_t n = elementCount(a);
  for (size_t k = 0; k < n; k++) put<RatKind>(c, k, RatNumeDenoDef(MatPolys(a)[k], MatPolys(b)[k]));
  return c;
}
Matrix* P_Mat_Scale(Matrix* c, Matrix* m, double x) {
  return mapInto<PolyKind>(c, m, [x](Polynomial* p) { return PolyScale(p, x); });
}
Matrix* P_Mat_ScaleSelf(Matrix* m, double x) { return P_Mat_Scale(m, m, x); }
Matrix* P_Mat_ScaleC(Matrix* c, Matrix* m, Complex* z) {
  return mapInto<PolyKind>(c, m, [z](Polynomial* p) { return PolyScaleC(p, z); });
}
Matrix* P_Mat_ScaleP(Matrix* c, Matrix* m, Polynomial* q) {
  return mapInto<PolyKind>(c, m, [q](Polynomial* p) { return PolyMul(p, q); });
}
Matrix* P_Mat_ScaleR(Matrix* c, Matrix* m, Rational* r) {
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) put<RatKind>(c, k, RatScaleP(r, MatPolys(m)[k]));
  return c;
}
Matrix* P_Mat_Add_double(Matrix* c, Matrix* m, double x) {
  return mapInto<PolyKind>(c, m, [x](Polynomial* p) { return PolyAdd_double(p, x); });
}
Matrix* P_Mat_Sub_double(Matrix* c, Matrix* m, double x, int reversed) {
  return mapInto<PolyKind>(c, m, [x, reversed](Polynomial* p) { return PolySub_double(p, x, reversed); });
}
Matrix* P_Mat_Add_Complex(Matrix* c, Matrix* m, Complex* z) {
  return mapInto<PolyKind>(c, m, [z](Polynomial* p) { return PolyAdd_Complex(p, z); });
}
Matrix* P_Mat_Sub_Complex(Matrix* c, Matrix* m, Complex* z, int reversed) {
  return mapInto<PolyKind>(c, m, [z, reversed](Polynomial* p) { return PolySub_Complex(p, z, reversed); });
}
Matrix* P_Mat_Add_Polynomial(Matrix* c, Matrix* m, Polynomial* q) {
  return mapInto<PolyKind>(c, m, [q](Polynomial* p) { return PolyAdd(p, q); });
}
Matrix* P_Mat_Sub_Polynomial(Matrix* c, Matrix* m, Polynomial* q, int reversed) {
  return mapInto<PolyKind>(c, m, [q, reversed](Polynomial* p) { return reversed ? PolySub(q, p) : PolySub(p, q); });
}
Matrix* P_Mat_Negate(Matrix* c, Matrix* m) { return mapInto<PolyKind>(c, m, PolyNegate); }
Matrix* P_Mat_Conj(Matrix* c, Matrix* m) { return mapInto<PolyKind>(c, m, PolyConj); }
Matrix* P_Mat_Trans(Matrix* c, Matrix* m) { return transposeInto<PolyKind, false>(c, m); }
Matrix* P_Mat_ConjTrans(Matrix* c, Matrix* m) { return transposeInto<PolyKind, true>(c, m); }
Matrix* P_Mat_InvElem(Matrix* c, Matrix* m) {
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) put<RatKind>(c, k, RatDenoDef(MatPolys(m)[k]));
  return c;
}
Matrix* P_Mat_CatRow(Matrix* c, Matrix* a, Matrix* b) { return catInto<PolyKind>(c, a, b, true); }
Matrix* P_Mat_CatColumn(Matrix* c, Matrix* a, Matrix* b) { return catInto<PolyKind>(c, a, b, false); }
// An empty element stays empty, in the complex class.
Matrix* P_Mat_RealToComp(Matrix* c, Matrix* m) {
  return mapInto<PolyKind>(
      c, m, [](Polynomial* p) { return p->degree == -1 ? C_PolyDef("", -1, p->variable) : PolyRealToComp(p); });
}
Matrix* P_Mat_RealToPoly(Matrix* c, Matrix* m) {
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) put<PolyKind>(c, k, polyAt(m, k));
  return c;
}
Matrix* P_Mat_CompToPoly(Matrix* c, Matrix* m) { return P_Mat_RealToPoly(c, m); }
Matrix* P_Mat_RoundToZero(Matrix* c, Matrix* m, double tol) {
  return mapInto<PolyKind>(c, m, [tol](Polynomial* p) { return PolyRoundToZero(p, tol); });
}

Matrix* P_Mat_RealPart(Matrix* m) {
  checkKind<PolyKind>(m, "P_Mat_RealPart()");
  return build<PolyKind>(false, m->rows, m->cols, [m](size_t k) { return PolyRealPart(MatPolys(m)[k]); });
}
Matrix* P_Mat_ImagPart(Matrix* m) {
  checkKind<PolyKind>(m, "P_Mat_ImagPart()");
  return build<PolyKind>(false, m->rows, m->cols, [m](size_t k) { return PolyImagPart(MatPolys(m)[k]); });
}
Matrix* P_Mat_RealAndImag(Matrix* re, Matrix* im) {
  static const char* const tag = "P_Mat_RealAndImag()";
  if (re->class_ != MAT_POLY || im->class_ != MAT_POLY) MatError2(tag, "Not a real matrix", re, im);
  MatSameSizeCheck(re, im, tag);
  return build<PolyKind>(true, re->rows, re->cols,
                         [re, im](size_t k) { return PolyRealAndImag(MatPolys(re)[k], MatPolys(im)[k]); });
}
Matrix* P_Mat_Pow(Matrix* m, int n) {
  checkKind<PolyKind>(m, "P_Mat_Pow()");
  return matrixPower<PolyKind>(m, n, "P_Mat_Pow()");
}
Matrix* P_Mat_PowElem(Matrix* m, int n) {
  checkKind<PolyKind>(m, "P_Mat_PowElem()");
  return mapped<PolyKind>(m, [n](Polynomial* p) { return PolyPow(p, n); });
}

Matrix* P_Mat_Eval(Matrix* m, double x) {
  checkKind<PolyKind>(m, "P_Mat_Eval()");
  return evalAt<PolyKind>(m, x);
}
Matrix* P_Mat_EvalC(Matrix* m, Complex* z) {
  checkKind<PolyKind>(m, "P_Mat_EvalC()");
  return evalAtComplex<PolyKind>(m, z);
}
Matrix* P_Mat_EvalP(Matrix* m, Polynomial* p) {
  checkKind<PolyKind>(m, "P_Mat_EvalP()");
  return build<PolyKind>(holdsComplex(m->class_) || p->class_ == 1, m->rows, m->cols,
                         [m, p](size_t k) { return PolyEvalP(MatPolys(m)[k], p); });
}
Matrix* P_Mat_EvalR(Matrix* m, Rational* r) {
  checkKind<PolyKind>(m, "P_Mat_EvalR()");
  return build<RatKind>(holdsComplex(m->class_) || r->class_ == 1, m->rows, m->cols,
                        [m, r](size_t k) { return PolyEvalR(MatPolys(m)[k], r); });
}
Matrix* P_Mat_Derivative(Matrix* m, int n) {
  checkKind<PolyKind>(m, "P_Mat_Derivative()");
  return mapped<PolyKind>(m, [n](Polynomial* p) { return PolyDerivative(p, n); });
}
Matrix* P_Mat_Integral(Matrix* m, int n) {
  checkKind<PolyKind>(m, "P_Mat_Integral()");
  return mapped<PolyKind>(m, [n](Polynomial* p) { return PolyIntegral(p, n); });
}
Matrix* P_Mat_LowerShift(Matrix* m, int n) {
  checkKind<PolyKind>(m, "P_Mat_LowerShift()");
  return mapped<PolyKind>(m, [n](Polynomial* p) { return PolyLowerShift(p, n); });
}
Matrix* P_Mat_HigherShift(Matrix* m, int n) {
  checkKind<PolyKind>(m, "P_Mat_HigherShift()");
  return mapped<PolyKind>(m, [n](Polynomial* p) { return PolyHigherShift(p, n); });
}

Matrix* P_Mat_ApplyPolyFunc(Matrix* m, Polynomial* (*f)(Polynomial*)) {
  checkKind<PolyKind>(m, "P_Mat_ApplyPolyFunc()");
  return mapped<PolyKind>(m, f);
}
Matrix* P_Mat_ApplyRatFunc(Matrix* m, Rational* (*f)(Polynomial*)) {
  checkKind<PolyKind>(m, "P_Mat_ApplyRatFunc()");
  return build<RatKind>(holdsComplex(m->class_), m->rows, m->cols, [m, f](size_t k) { return f(MatPolys(m)[k]); });
}

void P_Mat_Print(Matrix* m) {
  for (int i = 1; i <= m->rows; i++)
    for (int j = 1; j <= m->cols; j++) {
      Polynomial* p = MatPolys(m)[offsetOf(m, i, j)];
      char* text = PolyStringWrap(PolyToString(p, nullptr, 0, p->variable), 12, 79, "\n");
      printHeadOf(i, j);
      std::printf("%s\n", text);
      efree(text);
    }
}

// ===========================================================================
// Rational matrices.

Matrix* R_MatDef(const char* name, int rows, int cols) {
  return vorn_matrix::defineElements(name, rows, cols, MAT_RATIONAL);
}
Matrix* R_MatNonNameDef(int rows, int cols) { return R_MatDef("", rows, cols); }
Matrix* R_MatZDef2(int rows, int cols) { return setZero<RatKind>(R_MatDef("", rows, cols)); }
Matrix* R_MatZDef(int n) { return R_MatZDef2(n, n); }
Matrix* R_MatIDef2(int rows, int cols) { return identity<RatKind>(rows, cols); }
Matrix* R_MatIDef(int n) { return identity<RatKind>(n, n); }
Matrix* R_MatOneDef(int rows, int cols) {
  Matrix* m = R_MatDef("", rows, cols);
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) put<RatKind>(m, k, RatKind::constant(1.0, 0.0, false));
  return m;
}
Matrix* R_MatFillDef(int rows, int cols, Rational* r) {
  RatUndefCheck(r, "R_MatFillDef()");
  return fill<RatKind>(make(classFor<RatKind>(RatKind::complex(r)), rows, cols), r);
}
Matrix* R_MatSameSizeFillDef(Matrix* m, Rational* r) { return R_MatFillDef(m->rows, m->cols, r); }
Matrix* R_MatSameDef(Matrix* m) {
  return make(holdsComplex(m->class_) ? MAT_C_RATIONAL : MAT_RATIONAL, m->rows, m->cols);
}
Matrix* R_MatTransDef(Matrix* m) {
  return make(holdsComplex(m->class_) ? MAT_C_RATIONAL : MAT_RATIONAL, m->cols, m->rows);
}
Matrix* R_MatMulDef(Matrix* a, Matrix* b) {
  if (a->cols != b->rows) MatError2("R_MatMulDef()", "Size Error", a, b);
  const bool complexValue = holdsComplex(a->class_) || holdsComplex(b->class_);
  return make(complexValue ? MAT_C_RATIONAL : MAT_RATIONAL, a->rows, b->cols);
}
Matrix* R_MatDiagDef(int n, ...) {
  va_list ap;
  va_start(ap, n);
  const auto v = readElements<RatKind>(n, ap);
  va_end(ap);
  return diagonal<RatKind>(v);
}
Matrix* R_MatColumnVec(int n, ...) {
  va_list ap;
  va_start(ap, n);
  const auto v = readElements<RatKind>(n, ap);
  va_end(ap);
  return lineOf<RatKind>(v, true);
}
Matrix* R_MatRowVec(int n, ...) {
  va_list ap;
  va_start(ap, n);
  const auto v = readElements<RatKind>(n, ap);
  va_end(ap);
  return lineOf<RatKind>(v, false);
}
Matrix* R_MatVander(int n, ...) {
  va_list ap;
  va_start(ap, n);
  const auto v = readElements<RatKind>(n, ap);
  va_end(ap);
  return vander<RatKind>(v);
}
Matrix* R_MatSetVar(Matrix* m, const char* variable) {
  checkKind<RatKind>(m, "R_MatSetVar()");
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) RatSetVar(MatRats(m)[k], variable);
  return m;
}

Matrix* R_MatSetValue(Matrix* m, int i, int j, Rational* r) {
  return setElement<RatKind>(m, i, j, r, "R_MatSetValue()");
}
Matrix* R_MatSetVecValue(Matrix* m, int k, Rational* r) {
  return setVecElement<RatKind>(m, k, r, "R_MatSetVecValue()");
}
Matrix* R_MatFillValue(Matrix* m, Rational* r) {
  return fillChecked<RatKind>(m, r, "R_MatFillValue()");
}
Rational* R_MatGetValue(Matrix* m, int i, int j) { return RatDup(elementPtr<RatKind>(m, i, j, "R_MatGetValue()")); }
Rational* R_MatGetValueOne(Matrix* m) { return R_MatGetValue(m, 1, 1); }
Rational* R_MatGetPtr(Matrix* m, int i, int j) { return elementPtr<RatKind>(m, i, j, "R_MatGetPtr()"); }
Rational* R_MatGetVecValue(Matrix* m, int k) { return RatDup(vecElementPtr<RatKind>(m, k, "R_MatGetVecValue()")); }
Rational* R_MatGetVecPtr(Matrix* m, int k) { return vecElementPtr<RatKind>(m, k, "R_MatGetVecPtr()"); }
Matrix* R_Mat_SetZero(Matrix* m) { return setZero<RatKind>(m); }

Matrix* R_Mat_Cut(Matrix* m, int i1, int j1, int i2, int j2) {
  checkKind<RatKind>(m, "R_Mat_Cut()");
  return MatCut(m, i1, j1, i2, j2);
}
Matrix* R_Mat_Put(Matrix* dst, int i, int j, Matrix* src) {
  checkKind<RatKind>(dst, "R_Mat_Put()");
  return MatPut(dst, i, j, src);
}
Matrix* R_Mat_AreaCopy(Matrix* dst, int i, int j, Matrix* src, int i1, int j1, int i2, int j2) {
  checkKind<RatKind>(dst, "R_Mat_AreaCopy()");
  return MatAreaCopy(dst, i, j, src, i1, j1, i2, j2);
}
Matrix* R_Mat_GetSubMatrix(Matrix* m, Matrix* rows, Matrix* cols) {
  checkKind<RatKind>(m, "R_Mat_GetSubMatrix()");
  return MatGetSubMatrix(m, rows, cols);
}
Matrix* R_Mat_SetSubMatrix(Matrix* dst, Matrix* rows, Matrix* cols, Matrix* src) {
  checkKind<RatKind>(dst, "R_Mat_SetSubMatrix()");
  return MatSetSubMatrix(dst, rows, cols, src);
}
Matrix* R_Mat_GetVecSubMatrix(Matrix* m, Matrix* index) {
  checkKind<RatKind>(m, "R_Mat_GetVecSubMatrix()");
  return MatGetVecSubMatrix(m, index);
}
Matrix* R_Mat_SetVecSubMatrix(Matrix* dst, Matrix* index, Matrix* src) {
  checkKind<RatKind>(dst, "R_Mat_SetVecSubMatrix()");
  return MatSetVecSubMatrix(dst, index, src);
}
Matrix* R_MatCopy(Matrix* dst, Matrix* src) {
  checkKind<RatKind>(dst, "R_MatCopy()");
  return MatCopy(dst, src);
}
Matrix* R_MatSwap(Matrix* a, Matrix* b) {
  checkKind<RatKind>(a, "R_MatSwap()");
  return MatSwap(a, b);
}

Rational* R_MatDeterm(Matrix* m) {
  checkKind<RatKind>(m, "R_MatDeterm()");
  return determinantOf<RatKind>(m, "R_MatDeterm()");
}
Rational* R_MatTrace(Matrix* m) {
  checkKind<RatKind>(m, "R_MatTrace()");
  return foldOf<RatKind>(m, false, true);
}
Rational* R_MatSumElem(Matrix* m) {
  checkKind<RatKind>(m, "R_MatSumElem()");
  return foldOf<RatKind>(m, false, false);
}
Rational* R_MatProdElem(Matrix* m) {
  checkKind<RatKind>(m, "R_MatProdElem()");
  return foldOf<RatKind>(m, true, false);
}

Rational* R_MatMeanElem(Matrix* m) {
  checkKind<RatKind>(m, "R_MatMeanElem()");
  Rational* sum = foldOf<RatKind>(m, false, false);
  if (elementCount(m) == 0) return sum;
  Rational* mean = RatScale(sum, 1.0 / static_cast<double>(elementCount(m)));
  RatUndef(sum);
  return mean;
}
Matrix* R_Mat_Sum(Matrix* m, int mode) { return reduceLanes<RatKind>(m, mode, Fold::kSum, "R_Mat_Sum()"); }
Matrix* R_Mat_Mean(Matrix* m, int mode) { return reduceLanes<RatKind>(m, mode, Fold::kMean, "R_Mat_Mean()"); }
Matrix* R_Mat_Prod(Matrix* m, int mode) { return reduceLanes<RatKind>(m, mode, Fold::kProd, "R_Mat_Prod()"); }
Matrix* R_Mat_CumSumElem(Matrix* m) { return running<RatKind>(m, true, 0, false, "R_Mat_CumSumElem()"); }
Matrix* R_Mat_CumProdElem(Matrix* m) { return running<RatKind>(m, true, 0, true, "R_Mat_CumProdElem()"); }
Matrix* R_Mat_CumSum(Matrix* m, int mode) { return running<RatKind>(m, false, mode, false, "R_Mat_CumSum()"); }
Matrix* R_Mat_CumProd(Matrix* m, int mode) { return running<RatKind>(m, false, mode, true, "R_Mat_CumProd()"); }
Matrix* R_Mat_CompareElem(Matrix* a, Matrix* b, int equal) { return compare<RatKind>(a, b, equal); }
int R_MatIsZero(Matrix* m) {
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++)
    if (!PolyIsZero(MatRats(m)[k]->nume)) return 0;
  return 1;
}

Matrix* R_Mat_Add(Matrix* c, Matrix* a, Matrix* b) { return zipInto<RatKind>(c, a, b, RatAdd); }
Matrix* R_Mat_Sub(Matrix* c, Matrix* a, Matrix* b) { return zipInto<RatKind>(c, a, b, RatSub); }
Matrix* R_Mat_Mul(Matrix* c, Matrix* a, Matrix* b) { return productInto<RatKind>(c, a, b); }
Matrix* R_Mat_MulElem(Matrix* c, Matrix* a, Matrix* b) { return zipInto<RatKind>(c, a, b, RatMul); }
Matrix* R_Mat_DivElem(Matrix* c, Matrix* a, Matrix* b) { return zipInto<RatKind>(c, a, b, RatDiv); }
Matrix* R_Mat_Scale(Matrix* c, Matrix* m, double x) {
  return mapInto<RatKind>(c, m, [x](Rational* r) { return RatScale(r, x); });
}
Matrix* R_Mat_ScaleSelf(Matrix* m, double x) { return R_Mat_Scale(m, m, x); }
Matrix* R_Mat_ScaleC(Matrix* c, Matrix* m, Complex* z) {
  return mapInto<RatKind>(c, m, [z](Rational* r) { return RatScaleC(r, z); });
}
Matrix* R_Mat_ScaleP(Matrix* c, Matrix* m, Polynomial* p) {
  return mapInto<RatKind>(c, m, [p](Rational* r) { return RatScaleP(r, p); });
}
Matrix* R_Mat_ScaleR(Matrix* c, Matrix* m, Rational* q) {
  return mapInto<RatKind>(c, m, [q](Rational* r) { return RatMul(r, q); });
}
Matrix* R_Mat_Add_double(Matrix* c, Matrix* m, double x) {
  return mapInto<RatKind>(c, m, [x](Rational* r) { return RatAdd_double(r, x); });
}
Matrix* R_Mat_Sub_double(Matrix* c, Matrix* m, double x, int reversed) {
  return mapInto<RatKind>(c, m, [x, reversed](Rational* r) { return RatSub_double(r, x, reversed); });
}
Matrix* R_Mat_Add_Complex(Matrix* c, Matrix* m, Complex* z) {
  return mapInto<RatKind>(c, m, [z](Rational* r) { return RatAdd_Complex(r, z); });
}
Matrix* R_Mat_Sub_Complex(Matrix* c, Matrix* m, Complex* z, int reversed) {
  return mapInto<RatKind>(c, m, [z, reversed](Rational* r) { return RatSub_Complex(r, z, reversed); });
}
Matrix* R_Mat_Add_Polynomial(Matrix* c, Matrix* m, Polynomial* p) {
  return mapInto<RatKind>(c, m, [p](Rational* r) { return RatAdd_Polynomial(r, p); });
}
Matrix* R_Mat_Sub_Polynomial(Matrix* c, Matrix* m, Polynomial* p, int reversed) {
  return mapInto<RatKind>(c, m, [p, reversed](Rational* r) { return RatSub_Polynomial(r, p, reversed); });
}
Matrix* R_Mat_Add_Rational(Matrix* c, Matrix* m, Rational* q) {
  return mapInto<RatKind>(c, m, [q](Rational* r) { return RatAdd(r, q); });
}
Matrix* R_Mat_Sub_Rational(Matrix* c, Matrix* m, Rational* q, int reversed) {
  return mapInto<RatKind>(c, m, [q, reversed](Rational* r) { return reversed ? RatSub(q, r) : RatSub(r, q); });
}
Matrix* R_Mat_Negate(Matrix* c, Matrix* m) { return mapInto<RatKind>(c, m, RatNegate); }
Matrix* R_Mat_Conj(Matrix* c, Matrix* m) { return mapInto<RatKind>(c, m, RatConj); }
Matrix* R_Mat_Trans(Matrix* c, Matrix* m) { return transposeInto<RatKind, false>(c, m); }
Matrix* R_Mat_ConjTrans(Matrix* c, Matrix* m) { return transposeInto<RatKind, true>(c, m); }
Matrix* R_Mat_InvElem(Matrix* c, Matrix* m) { return mapInto<RatKind>(c, m, RatInv); }
Matrix* R_Mat_CatRow(Matrix* c, Matrix* a, Matrix* b) { return catInto<RatKind>(c, a, b, true); }
Matrix* R_Mat_CatColumn(Matrix* c, Matrix* a, Matrix* b) { return catInto<RatKind>(c, a, b, false); }
Matrix* R_Mat_RealToComp(Matrix* c, Matrix* m) {
  return mapInto<RatKind>(c, m, [](Rational* r) {
    return r->nume_degree == -1 || r->deno_degree == -1 ? C_RatDef("", -1, -1) : RatRealToComp(r);
  });
}
Matrix* R_Mat_RealToRat(Matrix* c, Matrix* m) {
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) put<RatKind>(c, k, ratAt(m, k));
  return c;
}
Matrix* R_Mat_CompToRat(Matrix* c, Matrix* m) { return R_Mat_RealToRat(c, m); }
Matrix* R_Mat_PolyToRat(Matrix* c, Matrix* m) { return R_Mat_RealToRat(c, m); }
Matrix* R_Mat_RoundToZero(Matrix* c, Matrix* m, double tol) {
  return mapInto<RatKind>(c, m, [tol](Rational* r) { return RatRoundToZero(r, tol); });
}
Matrix* R_Mat_NumeElem(Matrix* m) {
  checkKind<RatKind>(m, "R_Mat_NumeElem()");
  return build<PolyKind>(holdsComplex(m->class_), m->rows, m->cols, [m](size_t k) { return RatNume(MatRats(m)[k]); });
}
Matrix* R_Mat_DenoElem(Matrix* m) {
  checkKind<RatKind>(m, "R_Mat_DenoElem()");
  return build<PolyKind>(holdsComplex(m->class_), m->rows, m->cols, [m](size_t k) { return RatDeno(MatRats(m)[k]); });
}
Matrix* R_Mat_RealPart(Matrix* m) {
  checkKind<RatKind>(m, "R_Mat_RealPart()");
  return build<RatKind>(false, m->rows, m->cols, [m](size_t k) { return RatRealPart(MatRats(m)[k]); });
}
Matrix* R_Mat_ImagPart(Matrix* m) {
  checkKind<RatKind>(m, "R_Mat_ImagPart()");
  return build<RatKind>(false, m->rows, m->cols, [m](size_t k) { return RatImagPart(MatRats(m)[k]); });
}
Matrix* R_Mat_RealAndImag(Matrix* re, Matrix* im) {
  static const char* const tag = "R_Mat_RealAndImag()";
  if (re->class_ != MAT_RATIONAL || im->class_ != MAT_RATIONAL) MatError2(tag, "Not a real matrix", re, im);
  MatSameSizeCheck(re, im, tag);
  return build<RatKind>(true, re->rows, re->cols,
                        [re, im](size_t k) { return RatRealAndImag(MatRats(re)[k], MatRats(im)[k]); });
}
Matrix* R_Mat_Pow(Matrix* m, int n) {
  checkKind<RatKind>(m, "R_Mat_Pow()");
  return matrixPower<RatKind>(m, n, "R_Mat_Pow()");
}
Matrix* R_Mat_PowElem(Matrix* m, int n) {
  checkKind<RatKind>(m, "R_Mat_PowElem()");
  return mapped<RatKind>(m, [n](Rational* r) { return RatPow(r, n); });
}

Matrix* R_Mat_Eval(Matrix* m, double x) {
  checkKind<RatKind>(m, "R_Mat_Eval()");
  return evalAt<RatKind>(m, x);
}
Matrix* R_Mat_EvalC(Matrix* m, Complex* z) {
  checkKind<RatKind>(m, "R_Mat_EvalC()");
  return evalAtComplex<RatKind>(m, z);
}
Matrix* R_Mat_EvalP(Matrix* m, Polynomial* p) {
  checkKind<RatKind>(m, "R_Mat_EvalP()");
  return build<RatKind>(holdsComplex(m->class_) || p->class_ == 1, m->rows, m->cols,
                        [m, p](size_t k) { return RatEvalP(MatRats(m)[k], p); });
}
Matrix* R_Mat_EvalR(Matrix* m, Rational* r) {
  checkKind<RatKind>(m, "R_Mat_EvalR()");
  return build<RatKind>(holdsComplex(m->class_) || r->class_ == 1, m->rows, m->cols,
                        [m, r](size_t k) { return RatEvalR(MatRats(m)[k], r); });
}
Matrix* R_Mat_Derivative(Matrix* m, int n) {
  checkKind<RatKind>(m, "R_Mat_Derivative()");
  return mapped<RatKind>(m, [n](Rational* r) { return RatDerivative(r, n); });
}
Matrix* R_Mat_LowerShift(Matrix* m, int n) {
  checkKind<RatKind>(m, "R_Mat_LowerShift()");
  return mapped<RatKind>(m, [n](Rational* r) { return RatLowerShift(r, n); });
}
Matrix* R_Mat_HigherShift(Matrix* m, int n) {
  checkKind<RatKind>(m, "R_Mat_HigherShift()");
  return mapped<RatKind>(m, [n](Rational* r) { return RatHigherShift(r, n); });
}

Matrix* R_Mat_ApplyRatFunc(Matrix* m, Rational* (*f)(Rational*)) {
  checkKind<RatKind>(m, "R_Mat_ApplyRatFunc()");
  return mapped<RatKind>(m, f);
}

void R_Mat_Print(Matrix* m) {
  for (int i = 1; i <= m->rows; i++)
    for (int j = 1; j <= m->cols; j++) {
      Rational* r = MatRats(m)[offsetOf(m, i, j)];
      char* nume = nullptr;
      char* deno = nullptr;
      const char* variable = r->nume->variable != nullptr ? r->nume->variable : r->deno->variable;
      RatToString(r, &nume, &deno, 0, variable);
      printHeadOf(i, j);
      std::printf("(%s)/(%s)\n", nume, deno);
      efree(nume);
      efree(deno);
    }
}
