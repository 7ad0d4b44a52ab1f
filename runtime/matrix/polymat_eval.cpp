// Products of vectors, element powers with a matrix of exponents,
// evaluation at matrices and at matrices of points, and functions applied
// to coefficients, written once over the element family (PolyKind, RatKind).
#include <climits>
#include <cmath>
#include <vector>

#include "runtime/core/entry.h"
#include "runtime/core/registry.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_elementwise.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/matrix/matrix_sub.h"
#include "runtime/matrix/polymat.h"
#include "runtime/matrix/polymat_kinds.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/polynomial_ops.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/rational_ops.h"

namespace {

using vorn_polymat::PolyKind;
using vorn_polymat::RatKind;
using vorn_polymat::put;
using vorn_matrix::elementCount;
using vorn_matrix::holdsComplex;
using vorn_matrix::offsetOf;

// ---------------------------------------------------------------------------
// Element families: what the shapes below need of an element.

// A real function of the coefficients, or a complex one.
using RealFn = double (*)(double);
using ComplexFn = ComplexValue* (*)(ComplexValue*, const ComplexValue*);

// A rows x cols matrix of K's family holding the new elements v (storage
// order), complex-valued when any of them is; when there are none, as
// emptyComplex says.
template <class K>
Matrix* holding(int rows, int cols, const std::vector<typename K::E>& v, bool emptyComplex = false) {
  bool complexValue = v.empty() && emptyComplex;
  for (auto e : v) complexValue = complexValue || K::complex(e);
  Matrix* c = vorn_matrix::defineElements("", rows, cols, K::kBase + (complexValue ? 1 : 0));
  for (size_t k = 0; k < v.size(); k++) put<K>(c, k, v[k]);
  return c;
}

template <class K, class F>
Matrix* mapped(Matrix* m, F f) {
  std::vector<typename K::E> v;
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) v.push_back(f(K::of(m)[k]));
  return holding<K>(m->rows, m->cols, v, holdsComplex(m->class_));
}

template <class K>
bool inFamily(int class_) {
  return class_ == K::kBase || class_ == K::kBase + 1;
}

template <class K>
void checkFamily(Matrix* m, const char* tag) {
  if (!inFamily<K>(m->class_)) MatError(tag, K::kNotFamily, m);
}

// The joint class of two operands must lie in K's family.
template <class K>
void checkJointFamily(Matrix* a, Matrix* b, const char* tag) {
  if (!inFamily<K>(MatJointClass(a->class_, b->class_))) MatError2(tag, K::kNotFamily, a, b);
}

inline bool isVector(const Matrix* m) { return m->rows <= 1 || m->cols <= 1; }

template <class K>
typename K::E negated(typename K::E e) {
  typename K::E n = K::negate(e);
  K::release(e);
  return n;
}

// acc + term (or acc - term), both released; a null acc is term itself.
template <class K>
typename K::E accumulate(typename K::E acc, typename K::E term, bool subtract = false) {
  if (acc == nullptr) return subtract ? negated<K>(term) : term;
  typename K::E next = subtract ? K::sub(acc, term) : K::add(acc, term);
  K::release(acc);
  K::release(term);
  return next;
}

// ---------------------------------------------------------------------------
// Products of vectors. The kernels take operands of one class and answer
// with a matrix, so that mixed classes go through the joint-class
// promotion of the arithmetic.

template <class K>
Matrix* dotKernel(Matrix* a, Matrix* b) {
  const size_t n = elementCount(a);
  typename K::E acc = nullptr;
  for (size_t k = 0; k < n; k++) acc = accumulate<K>(acc, K::mul(K::of(a)[k], K::of(b)[k]));
  return holding<K>(1, 1, {acc != nullptr ? acc : K::zero(holdsComplex(a->class_))});
}

// a2 b3 - a3 b2, a3 b1 - a1 b3, a1 b2 - a2 b1.
template <class K>
Matrix* crossKernel(Matrix* a, Matrix* b) {
  std::vector<typename K::E> v;
  for (size_t i = 0; i < 3; i++) {
    const size_t j = (i + 1) % 3;
    const size_t k = (i + 2) % 3;
    typename K::E left = K::mul(K::of(a)[j], K::of(b)[k]);
    v.push_back(accumulate<K>(left, K::mul(K::of(a)[k], K::of(b)[j]), true));
  }
  return holding<K>(a->rows, a->cols, v);
}

template <class K>
Matrix* sameClassOrJoint(MatBinaryOperation kernel, Matrix* a, Matrix* b) {
  return a->class_ == b->class_ ? kernel(a, b) : MatConvertAndOperation(kernel, a, b);
}

template <class K>
typename K::E scalarProduct(Matrix* a, Matrix* b, const char* tag) {
  checkJointFamily<K>(a, b, tag);
  if (!isVector(a) || !isVector(b) || elementCount(a) != elementCount(b)) MatError2(tag, "Inconsistent size", a, b);
  Matrix* r = sameClassOrJoint<K>(dotKernel<K>, a, b);
  typename K::E e = K::dup(K::of(r)[0]);
  MatUndef(r);
  return e;
}

const char kNot3Vector[] = "Not a 3-dimensional vector";

template <class K>
Matrix* vectorProduct(Matrix* a, Matrix* b, const char* tag) {
  checkJointFamily<K>(a, b, tag);
  if (!isVector(a) || !isVector(b) || elementCount(a) != 3 || elementCount(b) != 3)
    MatError2(tag, kNot3Vector, a, b);
  return sameClassOrJoint<K>(crossKernel<K>, a, b);
}

// [[0, -v3, v2], [v3, 0, -v1], [-v2, v1, 0]].
template <class K>
Matrix* vectorSquare(Matrix* v, const char* tag) {
  checkFamily<K>(v, tag);
  if (!isVector(v) || elementCount(v) != 3) MatError(tag, kNot3Vector, v);
  // Entry (i, j) off the diagonal is the sign times element `which`.
  static const int which[3][3] = {{-1, 2, 1}, {2, -1, 0}, {1, 0, -1}};
  static const bool minus[3][3] = {{false, true, false}, {false, false, true}, {true, false, false}};
  std::vector<typename K::E> s;
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) {
      if (which[i][j] < 0) {
        s.push_back(K::zero(holdsComplex(v->class_)));
        continue;
      }
      typename K::E e = K::of(v)[which[i][j]];
      s.push_back(minus[i][j] ? K::negate(e) : K::dup(e));
    }
  return holding<K>(3, 3, s);
}

// ---------------------------------------------------------------------------
// Element powers with a matrix of exponents.

template <class K>
Matrix* powElemEach(Matrix* m, Matrix* n, const char* tag) {
  checkFamily<K>(m, tag);
  if (n->class_ != MAT_REAL) MatError2(tag, "Not a real matrix", m, n);
  MatSameSizeCheck(m, n, tag);
  const size_t count = elementCount(m);
  for (size_t k = 0; k < count; k++) {
    const double e = MatReal(n)[k];
    if (!(e == std::floor(e) && e >= INT_MIN && e <= INT_MAX)) MatError2(tag, "Index must be integer", m, n);
  }
  std::vector<typename K::E> v;
  for (size_t k = 0; k < count; k++) v.push_back(K::pow(K::of(m)[k], static_cast<int>(MatReal(n)[k])));
  return holding<K>(m->rows, m->cols, v, holdsComplex(m->class_));
}

// ---------------------------------------------------------------------------
// Evaluation at a matrix, and at a matrix of points.

template <class K>
Matrix* evalM(Matrix* m, Matrix* a, const char* tag) {
  checkFamily<K>(m, tag);
  MatNotRealNorComplexCheck(a, tag);
  MatNonSquareCheck(a, tag);
  const long long n = a->rows;
  if (m->rows * n > INT_MAX || m->cols * n > INT_MAX)
    MatError2(tag, "Not appropriate column or row number", m, a);
  const int rows = static_cast<int>(m->rows * n);
  const int cols = static_cast<int>(m->cols * n);
  const bool complexValue = holdsComplex(m->class_) || a->class_ == MAT_COMPLEX;
  Matrix* c = complexValue ? C_MatZDef2(rows, cols) : MatZDef2(rows, cols);
  if (n == 0) return c;
  for (int i = 1; i <= m->rows; i++)
    for (int j = 1; j <= m->cols; j++) {
      Matrix* block = K::evalM(K::of(m)[offsetOf(m, i, j)], a);
      MatPut(c, static_cast<int>((i - 1) * n + 1), static_cast<int>((j - 1) * n + 1), block);
      MatUndef(block);
    }
  return c;
}

template <class K>
Matrix* evalMElem(Matrix* m, Matrix* a, const char* tag) {
  checkFamily<K>(m, tag);
  MatNotRealNorComplexCheck(a, tag);
  MatSameSizeCheck(m, a, tag);
  const size_t n = elementCount(m);
  const bool complexPoints = a->class_ == MAT_COMPLEX;
  if (!holdsComplex(m->class_) && !complexPoints) {
    Matrix* c = MatDef("", m->rows, m->cols);
    for (size_t k = 0; k < n; k++) MatReal(c)[k] = K::eval(K::of(m)[k], MatReal(a)[k]);
    return c;
  }
  Matrix* c = C_MatDef("", m->rows, m->cols);
  double* const out = MatReal(c);
  const double* const x = MatReal(a);
  for (size_t k = 0; k < n; k++) {
    Complex* w;
    if (complexPoints) {
      Complex* z = CompDef("", x[2 * k], x[2 * k + 1]);
      w = K::evalC(K::of(m)[k], z);
      CompUndef(z);
    } else {
      w = K::evalComplexAt(K::of(m)[k], x[k]);
    }
    out[2 * k] = w->re;
    out[2 * k + 1] = w->im;
    CompUndef(w);
  }
  return c;
}

// ---------------------------------------------------------------------------
// Functions of the coefficients.

template <class K>
Matrix* applyReal(Matrix* m, RealFn f, const char* tag) {
  checkFamily<K>(m, tag);
  // A real function has no form for complex coefficients.
  if (holdsComplex(m->class_)) MatError(tag, "Not a real matrix", m);
  return mapped<K>(m, [f, tag](typename K::E e) { return K::mapCoefficients(e, f, tag); });
}

template <class K>
Matrix* applyComplex(Matrix* m, ComplexFn f, const char* tag) {
  checkFamily<K>(m, tag);
  return mapped<K>(m, [f, tag](typename K::E e) { return K::mapCoefficients(e, f, tag); });
}

}  // namespace

Polynomial* P_MatScalarProduct(Matrix* a, Matrix* b) {
  return scalarProduct<PolyKind>(a, b, "P_MatScalarProduct()");
}
Rational* R_MatScalarProduct(Matrix* a, Matrix* b) {
  return scalarProduct<RatKind>(a, b, "R_MatScalarProduct()");
}
Matrix* P_Mat_VectorProduct(Matrix* a, Matrix* b) {
  return vectorProduct<PolyKind>(a, b, "P_Mat_VectorProduct()");
}
Matrix* R_Mat_VectorProduct(Matrix* a, Matrix* b) {
  return vectorProduct<RatKind>(a, b, "R_Mat_VectorProduct()");
}
Matrix* P_Mat_VectorSquare(Matrix* v) { return vectorSquare<PolyKind>(v, "P_Mat_VectorSquare()"); }
Matrix* R_Mat_VectorSquare(Matrix* v) { return vectorSquare<RatKind>(v, "R_Mat_VectorSquare()"); }

Matrix* P_Mat_PowElemEach(Matrix* m, Matrix* n) { return powElemEach<PolyKind>(m, n, "P_Mat_PowElemEach()"); }
Matrix* R_Mat_PowElemEach(Matrix* m, Matrix* n) { return powElemEach<RatKind>(m, n, "R_Mat_PowElemEach()"); }

Matrix* P_Mat_EvalM(Matrix* m, Matrix* a) { return evalM<PolyKind>(m, a, "P_Mat_EvalM()"); }
Matrix* R_Mat_EvalM(Matrix* m, Matrix* a) { return evalM<RatKind>(m, a, "R_Mat_EvalM()"); }
Matrix* P_Mat_EvalMElem(Matrix* m, Matrix* a) { return evalMElem<PolyKind>(m, a, "P_Mat_EvalMElem()"); }
Matrix* R_Mat_EvalMElem(Matrix* m, Matrix* a) { return evalMElem<RatKind>(m, a, "R_Mat_EvalMElem()"); }

Matrix* P_Mat_Apply(Matrix* m, RealFn f) { return applyReal<PolyKind>(m, f, "P_Mat_Apply()"); }
Matrix* P_Mat_Apply(Matrix* m, ComplexFn f) { return applyComplex<PolyKind>(m, f, "P_Mat_Apply()"); }
Matrix* R_Mat_Apply(Matrix* m, RealFn f) { return applyReal<RatKind>(m, f, "R_Mat_Apply()"); }
Matrix* R_Mat_Apply(Matrix* m, ComplexFn f) { return applyComplex<RatKind>(m, f, "R_Mat_Apply()"); }

Matrix* R_Mat_ApplyPolyFunc(Matrix* m, Polynomial* (*f)(Polynomial*)) {
  static const char tag[] = "R_Mat_ApplyPolyFunc()";
  checkFamily<RatKind>(m, tag);
  return mapped<RatKind>(m, [f](Rational* r) {
    RatUndefCheck(r, tag);
    return RatKind::pairMapped(r, f);
  });
}
