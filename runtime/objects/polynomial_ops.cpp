#include "runtime/objects/polynomial_ops.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/core/entry.h"
#include "runtime/core/memory.h"
#include "runtime/core/registry.h"
#include "runtime/core/report.h"
#include "runtime/core/util.h"
#include "runtime/io/textsave.h"
#include "runtime/linalg/eigen.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/polytext.h"

namespace {

using CV = ComplexValue;

const char* variableName(const Polynomial* p) { return p->variable != nullptr ? p->variable : "s"; }

void setSource(const char* format, ...) __attribute__((format(printf, 1, 2)));
void setSource(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(poly_err_src, vorn_report::kSourceSize, format, ap);
  va_end(ap);
}

inline double* realOf(Polynomial* p) { return MatReal(p->coef); }
inline CV* complexOf(Polynomial* p) { return static_cast<CV*>(p->coef->data); }
inline bool isComplex(const Polynomial* p) { return p->class_ == 1; }

// Coefficient k of p as a complex value (imaginary part 0 for a real p).
inline CV coefAt(Polynomial* p, int k) { return isComplex(p) ? complexOf(p)[k] : CV{realOf(p)[k], 0.0}; }

// The variable a result of p and q carries: p's, else q's.
const char* jointVariable(const Polynomial* p, const Polynomial* q) {
  return p->variable != nullptr ? p->variable : q->variable;
}

Polynomial* fresh(int degree, int class_, const char* variable) {
  return class_ == 1 ? C_PolyDef("", degree, variable) : PolyDef("", degree, variable);
}

Polynomial* fromReal(const std::vector<double>& c, const char* variable) {
  Polynomial* p = PolyDef("", static_cast<int>(c.size()) - 1, variable);
  if (!c.empty()) std::memcpy(realOf(p), c.data(), c.size() * sizeof(double));
  return p;
}

Polynomial* fromComplex(const std::vector<CV>& c, const char* variable) {
  Polynomial* p = C_PolyDef("", static_cast<int>(c.size()) - 1, variable);
  if (!c.empty()) std::memcpy(complexOf(p), c.data(), c.size() * sizeof(CV));
  return p;
}

// Gives p a coefficient row of the degree: the old coefficients low, new
// ones 0. The old row goes back to the Matrix registry.
void resizeRow(Polynomial* p, int degree) {
  Matrix* row = isComplex(p) ? C_MatZDef2(1, degree + 1) : MatZDef2(1, degree + 1);
  MatSetType(row, vorn_registry::kHeld2);
  const int keep = std::min(degree, p->degree) + 1;
  if (keep > 0)
    std::memcpy(row->data, p->coef->data, static_cast<size_t>(keep) * sizeof(double) * (isComplex(p) ? 2 : 1));
  std::swap(p->coef, row);
  MatUndef(row);
  p->degree = degree;
}

inline Polynomial* simplified(Polynomial* p) { return PolySimplify(p, vorn_eps); }

void checkDefined(Polynomial* p, const char* tag) { PolyUndefCheck(p, tag); }

void checkPair(Polynomial* p, Polynomial* q, const char* tag) {
  PolyUndefCheck2(p, q, tag);
  PolyVarCheck(p, q, tag);
}

// Applies f to every double of the row (both parts of a complex one).
template <class F>
Polynomial* mapParts(Polynomial* p, const char* tag, F f) {
  checkDefined(p, tag);
  Polynomial* r = PolyDup(p);
  const size_t n = static_cast<size_t>(p->degree + 1) * (isComplex(p) ? 2 : 1);
  double* const c = realOf(r);
  for (size_t k = 0; k < n; k++) c[k] = f(c[k]);
  return simplified(r);
}

// The zero constant of p's class and variable.
Polynomial* zeroLike(Polynomial* p) { return fresh(0, p->class_, p->variable); }

void checkOrder(Polynomial* p, int n, const char* tag) {
  if (n < 0) {
    setSource("%s(%s^%d)^%d", p->name, variableName(p), p->degree, n);
    PolyError(tag, "Index must be semipositive", p);
  }
}

CV mul(const CV& a, const CV& b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }

// The product's row by convolution, for each mix of real and complex rows.
Polynomial* convolve(Polynomial* p, Polynomial* q) {
  const int np = p->degree + 1;
  const int nq = q->degree + 1;
  const char* variable = jointVariable(p, q);
  if (!isComplex(p) && !isComplex(q)) {
    std::vector<double> c(static_cast<size_t>(np + nq - 1), 0.0);
    const double* a = realOf(p);
    const double* b = realOf(q);
    for (int i = 0; i < np; i++) {
      const double x = a[i];
      double* out = c.data() + i;
      for (int j = 0; j < nq; j++) out[j] += x * b[j];
    }
    return fromReal(c, variable);
  }
  std::vector<CV> c(static_cast<size_t>(np + nq - 1), CV{0.0, 0.0});
  for (int i = 0; i < np; i++) {
    for (int j = 0; j < nq; j++) {
      CV t;
      // A real factor scales both parts, as real times complex does.
      if (!isComplex(p))
        t = {realOf(p)[i] * complexOf(q)[j].re, realOf(p)[i] * complexOf(q)[j].im};
      else if (!isComplex(q))
        t = {complexOf(p)[i].re * realOf(q)[j], complexOf(p)[i].im * realOf(q)[j]};
      else
        t = mul(complexOf(p)[i], complexOf(q)[j]);
      c[static_cast<size_t>(i + j)].re += t.re;
      c[static_cast<size_t>(i + j)].im += t.im;
    }
  }
  return fromComplex(c, variable);
}

// p + sign * q, coefficient-wise over the larger degree.
Polynomial* addRows(Polynomial* p, Polynomial* q, double sign) {
  const int degree = std::max(p->degree, q->degree);
  const char* variable = jointVariable(p, q);
  if (!isComplex(p) && !isComplex(q)) {
    std::vector<double> c(static_cast<size_t>(degree + 1), 0.0);
    for (int k = 0; k <= p->degree; k++) c[static_cast<size_t>(k)] = realOf(p)[k];
    for (int k = 0; k <= q->degree; k++)
      c[static_cast<size_t>(k)] =
          sign > 0 ? c[static_cast<size_t>(k)] + realOf(q)[k] : c[static_cast<size_t>(k)] - realOf(q)[k];
    return simplified(fromReal(c, variable));
  }
  std::vector<CV> c(static_cast<size_t>(degree + 1), CV{0.0, 0.0});
  for (int k = 0; k <= p->degree; k++) c[static_cast<size_t>(k)] = coefAt(p, k);
  for (int k = 0; k <= q->degree; k++) {
    const CV y = coefAt(q, k);
    CV& x = c[static_cast<size_t>(k)];
    x = sign > 0 ? CV{x.re + y.re, x.im + y.im} : CV{x.re - y.re, x.im - y.im};
  }
  return simplified(fromComplex(c, variable));
}

// (k+1)(k+2)...(k+n) and k(k-1)...(k-n+1) as doubles.
double risingProduct(int k, int n) {
  double f = 1.0;
  for (int i = 1; i <= n; i++) f *= static_cast<double>(k + i);
  return f;
}
double fallingProduct(int k, int n) {
  double f = 1.0;
  for (int i = 0; i < n; i++) f *= static_cast<double>(k - i);
  return f;
}

}  // namespace

void PolyVarCheck(Polynomial* p, Polynomial* q, const char* tag) {
  if (p->variable != nullptr && q->variable != nullptr && std::strcmp(p->variable, q->variable) != 0)
    PolyError2(tag, "Variables are distinct", p, q);
}

// ---------------------------------------------------------------------------
// Construction.

Polynomial* PolyCoefDef(Matrix* row, const char* variable) {
  static const char* const tag = "PolyCoefDef()";
  if (row->class_ != MAT_REAL && row->class_ != MAT_COMPLEX) MatError(tag, "Incorrect class matrix", row);
  if (row->rows != 1) PolyError(tag, "Not a row vector", nullptr);
  Polynomial* p = fresh(row->cols - 1, row->class_, variable);
  if (row->cols > 0)
    std::memcpy(p->coef->data, row->data,
                static_cast<size_t>(row->cols) * sizeof(double) * (row->class_ == MAT_COMPLEX ? 2 : 1));
  return p;
}

Polynomial* PolySameClassDef(Polynomial* p, int degree) { return fresh(degree, p->class_, p->variable); }
Polynomial* PolySameDef(Polynomial* p) { return PolySameClassDef(p, p->degree); }

Polynomial* PolyMulDef(Polynomial* p, Polynomial* q) {
  const int class_ = isComplex(p) || isComplex(q) ? 1 : 0;
  return fresh(p->degree + q->degree, class_, jointVariable(p, q));
}

Polynomial* PolyIDef(int n, const char* variable) {
  Polynomial* p = PolyDef("", n, variable);
  for (int k = 0; k <= n; k++) realOf(p)[k] = 1.0;
  return p;
}

Polynomial* C_PolyIDef(int n, const char* variable) {
  Polynomial* p = C_PolyDef("", n, variable);
  for (int k = 0; k <= n; k++) complexOf(p)[k] = {1.0, 0.0};
  return p;
}

Polynomial* PolyConst(double x) {
  Polynomial* p = PolyDef("", 0, nullptr);
  realOf(p)[0] = x;
  return p;
}

Polynomial* C_PolyConst(Complex* z) {
  Polynomial* p = C_PolyDef("", 0, nullptr);
  complexOf(p)[0] = {z->re, z->im};
  return p;
}

Polynomial* PolyFirst(double x, const char* variable) {
  Polynomial* p = PolyDef("", 1, variable);
  realOf(p)[1] = x;
  return p;
}

Polynomial* C_PolyFirst(Complex* z, const char* variable) {
  Polynomial* p = C_PolyDef("", 1, variable);
  complexOf(p)[1] = {z->re, z->im};
  return p;
}

Polynomial* PolySetCoef(Polynomial* p, Matrix* row) {
  static const char* const tag = "PolySetCoef()";
  if (row->class_ != MAT_REAL && row->class_ != MAT_COMPLEX) MatError(tag, "Incorrect class matrix", row);
  if (row->rows != 1) PolyError(tag, "Not a row vector", p);
  Matrix* copy = MatSetType(MatDup(row), vorn_registry::kHeld2);
  std::swap(p->coef, copy);
  MatUndef(copy);
  p->class_ = row->class_;
  p->degree = row->cols - 1;
  return p;
}

// ---------------------------------------------------------------------------
// Coefficients.

Polynomial* PolySetValue(Polynomial* p, int k, double x) {
  static const char* const tag = "PolySetValue()";
  if (isComplex(p) || k < 0) {
    setSource("%s(%s^%d)(%d) = %g", p->name, variableName(p), p->degree, k, x);
    PolyError(tag, isComplex(p) ? "Not a real polynomial" : "Index is not appropriate", p);
  }
  if (k > p->degree) resizeRow(p, k);
  realOf(p)[k] = x;
  if (k == p->degree && std::fabs(x) < vorn_eps) PolySimplify(p, vorn_eps);
  return p;
}

Polynomial* C_PolySetValue(Polynomial* p, int k, Complex* z) {
  static const char* const tag = "C_PolySetValue()";
  if (!isComplex(p) || k < 0) {
    setSource("%s(%s^%d)(%d) = (%g,%g)", p->name, variableName(p), p->degree, k, z->re, z->im);
    PolyError(tag, !isComplex(p) ? "Not a complex polynomial" : "Index is not appropriate", p);
  }
  if (k > p->degree) resizeRow(p, k);
  complexOf(p)[k] = {z->re, z->im};
  if (k == p->degree && std::fabs(z->re) < vorn_eps && std::fabs(z->im) < vorn_eps) PolySimplify(p, vorn_eps);
  return p;
}

namespace {

void checkIndex(Polynomial* p, int k, bool complex, const char* tag) {
  if (isComplex(p) != complex) {
    setSource("%s(%s^%d)(%d)", p->name, variableName(p), p->degree, k);
    PolyError(tag, complex ? "Not a complex polynomial" : "Not a real polynomial", p);
  }
  if (k < 0 || k > p->degree) {
    setSource("%s(%s^%d)(%d)", p->name, variableName(p), p->degree, k);
    PolyError(tag, "Not a suitable index", p);
  }
}

}  // namespace

double* PolyGetPtr(Polynomial* p, int k) {
  checkIndex(p, k, false, "PolyGetPtr()");
  return realOf(p) + k;
}

double PolyGetValue(Polynomial* p, int k) {
  checkIndex(p, k, false, "PolyGetValue()");
  return realOf(p)[k];
}

double* C_PolyGetPtr(Polynomial* p, int k) {
  checkIndex(p, k, true, "C_PolyGetPtr()");
  return &complexOf(p)[k].re;
}

Complex* C_PolyGetValue(Polynomial* p, int k) {
  checkIndex(p, k, true, "C_PolyGetValue()");
  return CompDef("", complexOf(p)[k].re, complexOf(p)[k].im);
}

Matrix* PolyCoef(Polynomial* p) { return MatSetName(MatDup(p->coef), ""); }

Polynomial* PolySetZero(Polynomial* p) {
  if (p->degree >= 0) MatSetZero(p->coef);
  return p;
}

int PolyIsZero(Polynomial* p) {
  if (p->degree != 0) return 0;
  const CV c = coefAt(p, 0);
  return c.re == 0.0 && c.im == 0.0;
}

Polynomial* PolyPartCopy(Polynomial* dst, int d1, int d2, Polynomial* src, int s1, int s2) {
  static const char* const tag = "PolyPartCopy()";
  if (dst->class_ != src->class_) PolyError2(tag, "Confliction of class", src, dst);
  if (d1 < 0 || s1 < 0 || d2 > dst->degree || s2 > src->degree || d2 - d1 != s2 - s1 || d2 < d1)
    PolyError2(tag, "Size Error", src, dst);
  const size_t width = isComplex(src) ? 2 : 1;
  std::memmove(realOf(dst) + width * static_cast<size_t>(d1), realOf(src) + width * static_cast<size_t>(s1),
               width * static_cast<size_t>(s2 - s1 + 1) * sizeof(double));
  return dst;
}

Polynomial* PolyExpand(Polynomial* p, int n) {
  static const char* const tag = "PolyExpand()";
  checkDefined(p, tag);
  if (n < p->degree) PolyError(tag, "Size Error", p);
  Polynomial* r = PolyDup(p);
  resizeRow(r, n);
  return r;
}

Polynomial* PolyEnlarge(Polynomial* p, int n) {
  static const char* const tag = "PolyEnlarge()";
  if (n < p->degree) PolyError(tag, "Size Error", p);
  if (n > p->degree) resizeRow(p, n);
  return p;
}

// ---------------------------------------------------------------------------
// Arithmetic.

Polynomial* PolyAdd(Polynomial* p, Polynomial* q) {
  checkPair(p, q, "PolyAdd()");
  return addRows(p, q, 1.0);
}

Polynomial* PolySub(Polynomial* p, Polynomial* q) {
  checkPair(p, q, "PolySub()");
  return addRows(p, q, -1.0);
}

Polynomial* PolyAdd_double(Polynomial* p, double x) {
  checkDefined(p, "PolyAdd_double()");
  Polynomial* r = PolyDup(p);
  if (isComplex(r))
    complexOf(r)[0].re += x;
  else
    realOf(r)[0] += x;
  return simplified(r);
}

Polynomial* PolySub_double(Polynomial* p, double x, int reversed) {
  checkDefined(p, "PolySub_double()");
  Polynomial* r = reversed ? PolyNegate(p) : PolyDup(p);
  double* c0 = isComplex(r) ? &complexOf(r)[0].re : realOf(r);
  *c0 = reversed ? x - realOf(p)[0] : *c0 - x;
  return simplified(r);
}

Polynomial* PolyAdd_Complex(Polynomial* p, Complex* z) {
  checkDefined(p, "PolyAdd_Complex()");
  Polynomial* r = PolyRealToComp(p);
  complexOf(r)[0].re += z->re;
  complexOf(r)[0].im += z->im;
  return simplified(r);
}

Polynomial* PolySub_Complex(Polynomial* p, Complex* z, int reversed) {
  checkDefined(p, "PolySub_Complex()");
  Polynomial* r = PolyRealToComp(p);
  CV& c = complexOf(r)[0];
  if (reversed) {
    for (int k = 1; k <= r->degree; k++) complexOf(r)[k] = {-complexOf(r)[k].re, -complexOf(r)[k].im};
    c = {z->re - c.re, z->im - c.im};
  } else {
    c = {c.re - z->re, c.im - z->im};
  }
  return simplified(r);
}

Polynomial* PolyMul(Polynomial* p, Polynomial* q) {
  checkPair(p, q, "PolyMul()");
  return simplified(convolve(p, q));
}

Polynomial* PolyScale(Polynomial* p, double x) {
  checkDefined(p, "PolyScale()");
  if (x == 0.0) return fresh(0, p->class_, nullptr);
  if (x == 1.0) return PolyDup(p);
  if (x == -1.0) return PolyNegate(p);
  Polynomial* r = PolyDup(p);
  const size_t n = static_cast<size_t>(p->degree + 1) * (isComplex(p) ? 2 : 1);
  for (size_t k = 0; k < n; k++) realOf(r)[k] *= x;
  return simplified(r);
}

Polynomial* PolyScaleC(Polynomial* p, Complex* z) {
  static const char* const tag = "PolyScaleC()";
  if (z == nullptr) {
    setSource("%s(%s^%d) * (NULL,NULL)", p->name, variableName(p), p->degree);
    PolyError(tag, "scale is NULL complex", p);
  }
  checkDefined(p, tag);
  if (z->re == 0.0 && z->im == 0.0) return fresh(0, 1, nullptr);
  if (z->re == 1.0 && z->im == 0.0) return PolyDup(p);
  if (z->re == -1.0 && z->im == 0.0) return PolyNegate(p);
  Polynomial* r = C_PolyDef("", p->degree, p->variable);
  const CV w{z->re, z->im};
  for (int k = 0; k <= p->degree; k++)
    complexOf(r)[k] = isComplex(p) ? mul(complexOf(p)[k], w) : CV{realOf(p)[k] * w.re, realOf(p)[k] * w.im};
  return simplified(r);
}

Polynomial* PolyScaleSelf(Polynomial* p, double x) {
  checkDefined(p, "PolyScaleSelf()");
  const size_t n = static_cast<size_t>(p->degree + 1) * (isComplex(p) ? 2 : 1);
  for (size_t k = 0; k < n; k++) realOf(p)[k] *= x;
  return p;
}

Polynomial* PolyPow(Polynomial* p, int n) {
  static const char* const tag = "PolyPow()";
  checkDefined(p, tag);
  checkOrder(p, n, tag);
  if (n == 0) {
    Polynomial* one = fresh(0, p->class_, p->variable);
    realOf(one)[0] = 1.0;
    return one;
  }
  if (n == 1) return PolyDup(p);
  // Intermediate squares and products are released as soon as they are
  // replaced, so a long walk leaves one temporary.
  Polynomial* result = nullptr;
  Polynomial* square = PolyDup(p);
  for (unsigned bits = static_cast<unsigned>(n); bits != 0; bits >>= 1) {
    if (bits & 1u) {
      Polynomial* next = result == nullptr ? PolyDup(square) : PolyMul(result, square);
      if (result != nullptr) PolyUndef(result);
      result = next;
    }
    if (bits > 1) {
      Polynomial* next = PolyMul(square, square);
      PolyUndef(square);
      square = next;
    }
  }
  PolyUndef(square);
  return result;
}

Polynomial* PolyNegate(Polynomial* p) {
  checkDefined(p, "PolyNegate()");
  Polynomial* r = PolyDup(p);
  const size_t n = static_cast<size_t>(p->degree + 1) * (isComplex(p) ? 2 : 1);
  for (size_t k = 0; k < n; k++) realOf(r)[k] = -realOf(r)[k];
  return r;
}

Polynomial* PolyConj(Polynomial* p) {
  checkDefined(p, "PolyConj()");
  Polynomial* r = PolyDup(p);
  if (isComplex(r))
    for (int k = 0; k <= r->degree; k++) complexOf(r)[k].im = -complexOf(r)[k].im;
  return simplified(r);
}

Polynomial* PolyRealPart(Polynomial* p) {
  checkDefined(p, "PolyRealPart()");
  if (!isComplex(p)) return simplified(PolyDup(p));
  Polynomial* r = PolyDef("", p->degree, p->variable);
  for (int k = 0; k <= p->degree; k++) realOf(r)[k] = complexOf(p)[k].re;
  return simplified(r);
}

Polynomial* PolyImagPart(Polynomial* p) {
  checkDefined(p, "PolyImagPart()");
  Polynomial* r = PolyDef("", p->degree, p->variable);
  if (isComplex(p))
    for (int k = 0; k <= p->degree; k++) realOf(r)[k] = complexOf(p)[k].im;
  return simplified(r);
}

Polynomial* PolyRealToComp(Polynomial* p) {
  checkDefined(p, "PolyRealToComp()");
  if (isComplex(p)) return PolyDup(p);
  Polynomial* r = C_PolyDef("", p->degree, p->variable);
  for (int k = 0; k <= p->degree; k++) complexOf(r)[k] = {realOf(p)[k], 0.0};
  return r;
}

Polynomial* PolyRealAndImag(Polynomial* re, Polynomial* im) {
  static const char* const tag = "PolyRealAndImag()";
  PolyUndefCheck2(re, im, tag);
  if (isComplex(re) || isComplex(im)) {
    setSource("(%s(%s^%d), %s(%s^%d))", re->name, variableName(re), re->degree, im->name, variableName(im), im->degree);
    PolyError2(tag, "Not a real Polynomial", re, im);
  }
  PolyVarCheck(re, im, tag);
  const int degree = std::max(re->degree, im->degree);
  Polynomial* r = C_PolyDef("", degree, jointVariable(re, im));
  for (int k = 0; k <= re->degree; k++) complexOf(r)[k].re = realOf(re)[k];
  for (int k = 0; k <= im->degree; k++) complexOf(r)[k].im = realOf(im)[k];
  return simplified(r);
}

Polynomial* PolyCeil(Polynomial* p) {
  return mapParts(p, "PolyCeil()", [](double x) { return std::ceil(x); });
}
Polynomial* PolyFloor(Polynomial* p) {
  return mapParts(p, "PolyFloor()", [](double x) { return std::floor(x); });
}
Polynomial* PolyFixToZero(Polynomial* p) { return mapParts(p, "PolyFixToZero()", fix_to_zero); }
Polynomial* PolyRint(Polynomial* p) {
  return mapParts(p, "PolyRint()", [](double x) { return std::nearbyint(x); });
}

Polynomial* PolyRoundToZero(Polynomial* p, double tol) {
  static const char* const tag = "PolyRoundToZero()";
  checkDefined(p, tag);
  if (tol < 0) {
    const size_t n = static_cast<size_t>(p->degree + 1) * (isComplex(p) ? 2 : 1);
    long double sum = 0.0L;
    for (size_t k = 0; k < n; k++) sum += static_cast<long double>(realOf(p)[k]) * realOf(p)[k];
    tol = static_cast<double>(std::sqrt(sum)) * vorn_eps;
  }
  Polynomial* r = PolyDup(p);
  const size_t n = static_cast<size_t>(p->degree + 1) * (isComplex(p) ? 2 : 1);
  for (size_t k = 0; k < n; k++) realOf(r)[k] = round_to_zero(realOf(r)[k], tol);
  return PolySimplify(r, tol);
}

Polynomial* PolyCut(Polynomial* p, int lo, int hi) {
  static const char* const tag = "PolyCut()";
  checkDefined(p, tag);
  if (lo < 0 || lo > hi || hi > p->degree) {
    setSource("%s(%s^%d)(%d:%d)", p->name, variableName(p), p->degree, hi, lo);
    PolyError(tag, "Size Error", p);
  }
  Polynomial* r = fresh(hi, p->class_, p->variable);
  const size_t width = isComplex(p) ? 2 : 1;
  std::memcpy(realOf(r) + width * static_cast<size_t>(lo), realOf(p) + width * static_cast<size_t>(lo),
              width * static_cast<size_t>(hi - lo + 1) * sizeof(double));
  return simplified(r);
}

// ---------------------------------------------------------------------------
// Calculus and shifts.

Polynomial* PolyDerivative(Polynomial* p, int n) {
  static const char* const tag = "PolyDerivative()";
  checkDefined(p, tag);
  checkOrder(p, n, tag);
  if (n > p->degree) return zeroLike(p);
  Polynomial* r = fresh(p->degree - n, p->class_, p->variable);
  for (int k = 0; k <= p->degree - n; k++) {
    const double f = risingProduct(k, n);
    if (isComplex(p))
      complexOf(r)[k] = {complexOf(p)[k + n].re * f, complexOf(p)[k + n].im * f};
    else
      realOf(r)[k] = realOf(p)[k + n] * f;
  }
  return simplified(r);
}

Polynomial* PolyIntegral(Polynomial* p, int n) {
  static const char* const tag = "PolyIntegral()";
  checkDefined(p, tag);
  checkOrder(p, n, tag);
  Polynomial* r = fresh(p->degree + n, p->class_, p->variable);
  for (int k = n; k <= p->degree + n; k++) {
    const double f = fallingProduct(k, n);
    if (isComplex(p))
      complexOf(r)[k] = {complexOf(p)[k - n].re / f, complexOf(p)[k - n].im / f};
    else
      realOf(r)[k] = realOf(p)[k - n] / f;
  }
  return simplified(r);
}

Polynomial* PolyLowerShift(Polynomial* p, int n) {
  static const char* const tag = "PolyLowerShift()";
  checkDefined(p, tag);
  checkOrder(p, n, tag);
  if (n > p->degree) return zeroLike(p);
  Polynomial* r = fresh(p->degree - n, p->class_, p->variable);
  const size_t width = isComplex(p) ? 2 : 1;
  std::memcpy(realOf(r), realOf(p) + width * static_cast<size_t>(n),
              width * static_cast<size_t>(p->degree - n + 1) * sizeof(double));
  return simplified(r);
}

Polynomial* PolyHigherShift(Polynomial* p, int n) {
  static const char* const tag = "PolyHigherShift()";
  checkDefined(p, tag);
  checkOrder(p, n, tag);
  Polynomial* r = fresh(p->degree + n, p->class_, p->variable);
  const size_t width = isComplex(p) ? 2 : 1;
  std::memcpy(realOf(r) + width * static_cast<size_t>(n), realOf(p),
              width * static_cast<size_t>(p->degree + 1) * sizeof(double));
  return simplified(r);
}

// ---------------------------------------------------------------------------
// Evaluation.

namespace {

void checkEvalClass(Polynomial* p, bool complex, const char* message, const CV* z, double x) {
  checkDefined(p, "PolyEval()");
  if (isComplex(p) == complex) return;
  if (z != nullptr)
    setSource("eval(%s(%s^%d), (%g,%g))", p->name, variableName(p), p->degree, z->re, z->im);
  else
    setSource("eval(%s(%s^%d), %g)", p->name, variableName(p), p->degree, x);
  PolyError("PolyEval()", message, p);
}

// Horner's rule at a complex point, for either class of coefficients.
CV hornerComplex(Polynomial* p, const CV& z) {
  CV acc = coefAt(p, p->degree);
  for (int k = p->degree - 1; k >= 0; k--) {
    const CV c = coefAt(p, k);
    acc = mul(acc, z);
    acc = {acc.re + c.re, acc.im + c.im};
  }
  return acc;
}

}  // namespace

double PolyEval(Polynomial* p, double x) {
  checkEvalClass(p, false, "Argument must be a real polynomial", nullptr, x);
  const double* c = realOf(p);
  double acc = c[p->degree];
  for (int k = p->degree - 1; k >= 0; k--) acc = acc * x + c[k];
  return acc;
}

Complex* PolyEvalC(Polynomial* p, Complex* z) {
  const CV w{z->re, z->im};
  checkEvalClass(p, false, "Argument must be a real polynomial", &w, 0.0);
  const CV v = hornerComplex(p, w);
  return CompDef("", v.re, v.im);
}

Complex* C_PolyEval(Polynomial* p, double x) {
  checkEvalClass(p, true, "Arg must be complex polynomial", nullptr, x);
  // A real point scales both parts: they follow the same index.
  const CV* c = complexOf(p);
  CV acc = c[p->degree];
  for (int k = p->degree - 1; k >= 0; k--) acc = {acc.re * x + c[k].re, acc.im * x + c[k].im};
  return CompDef("", acc.re, acc.im);
}

Complex* C_PolyEvalC(Polynomial* p, Complex* z) {
  const CV w{z->re, z->im};
  checkEvalClass(p, true, "Arg must be complex polynomial", &w, 0.0);
  const CV v = hornerComplex(p, w);
  return CompDef("", v.re, v.im);
}

Polynomial* PolyEvalP(Polynomial* p, Polynomial* q) {
  PolyUndefCheck2(p, q, "PolyEvalP()");
  // Horner's rule in polynomial arithmetic; each step's temporaries are
  // released once used.
  Polynomial* acc = fresh(0, p->class_, nullptr);
  std::memcpy(realOf(acc), realOf(p) + (isComplex(p) ? 2 : 1) * static_cast<size_t>(p->degree),
              (isComplex(p) ? 2 : 1) * sizeof(double));
  for (int k = p->degree - 1; k >= 0; k--) {
    Polynomial* product = PolyMul(acc, q);
    PolyUndef(acc);
    Polynomial* constant = fresh(0, p->class_, nullptr);
    std::memcpy(realOf(constant), realOf(p) + (isComplex(p) ? 2 : 1) * static_cast<size_t>(k),
                (isComplex(p) ? 2 : 1) * sizeof(double));
    acc = PolyAdd(product, constant);
    PolyUndef(product);
    PolyUndef(constant);
  }
  if (acc->variable == nullptr && q->variable != nullptr) PolySetVar(acc, q->variable);
  return acc;
}

Matrix* PolyEvalM(Polynomial* p, Matrix* a) {
  checkDefined(p, "PolyEvalM()");
  // c_k I, a new temporary.
  auto scaledIdentity = [&](int k) {
    Matrix* identity = MatIDef(a->cols);
    const CV c = coefAt(p, k);
    if (!isComplex(p)) {
      Matrix* r = MatScale(identity, c.re);
      MatUndef(identity);
      return r;
    }
    Complex* z = CompDef("", c.re, c.im);
    Matrix* r = MatScaleC(identity, z);
    CompUndef(z);
    MatUndef(identity);
    return r;
  };
  Matrix* acc = scaledIdentity(p->degree);
  for (int k = p->degree - 1; k >= 0; k--) {
    Matrix* product = MatMul(acc, a);
    MatUndef(acc);
    Matrix* term = scaledIdentity(k);
    acc = MatAdd(product, term);
    MatUndef(product);
    MatUndef(term);
  }
  return acc;
}

Matrix* PolyRoots(Polynomial* p) {
  static const char* const tag = "PolyRoots()";
  checkDefined(p, tag);
  int n = p->degree + 1;
  while (n > 0) {
    const CV c = coefAt(p, n - 1);
    if (c.re != 0.0 || c.im != 0.0) break;
    n--;
  }
  if (n == 0) {
    setSource("roots(%s(%s^%d))", p->name, variableName(p), p->degree);
    PolyError(tag, "Arg is a zero polynomial", p);
  }
  // The eigenvalue routine refuses an empty matrix.
  if (n == 1) return C_MatNonNameDef(0, 1);
  const int k = n - 1;
  Matrix* row;
  if (!isComplex(p)) {
    row = MatNonNameDef(1, k);
    const double* c = realOf(p);
    // A leading 1 gives s = 1, which leaves the row as it was.
    const double s = 1.0 / c[k];
    for (int j = 0; j < k; j++) MatReal(row)[j] = -(c[j] * s);
  } else {
    row = C_MatNonNameDef(1, k);
    const CV* c = complexOf(p);
    CV* out = static_cast<CV*>(row->data);
    const CV a = c[k];
    if (a.im == 0.0) {
      const double s = 1.0 / a.re;
      for (int j = 0; j < k; j++) out[j] = {-(c[j].re * s), -(c[j].im * s)};
    } else {
      CV s;
      ComplexValueInv(&s, &a);
      for (int j = 0; j < k; j++) {
        const CV v = mul(c[j], s);
        out[j] = {-v.re, -v.im};
      }
    }
  }
  Matrix* companion = MatCompanion(row);
  MatUndef(row);
  Matrix* roots = MatEigVal(companion);
  MatUndef(companion);
  return roots;
}

Polynomial* PolySimplify(Polynomial* p, double tol) {
  if (p->degree <= 0) return p;
  int k = p->degree;
  if (isComplex(p)) {
    const CV* c = complexOf(p);
    while (k >= 0 && !std::isnan(c[k].re) && !std::isnan(c[k].im) && std::fabs(c[k].re) <= tol &&
           std::fabs(c[k].im) <= tol)
      k--;
  } else {
    const double* c = realOf(p);
    while (k >= 0 && !std::isnan(c[k]) && std::fabs(c[k]) <= tol) k--;
  }
  if (k < p->degree) resizeRow(p, std::max(k, 0));
  return p;
}

// ---------------------------------------------------------------------------
// Printing and files.

Polynomial* PolyPrint(Polynomial* p) {
  const bool named = p->name != nullptr && p->name[0] != '\0';
  const int indent = named ? static_cast<int>(std::strlen(p->name)) + 3 : 6;
  char* text = PolyStringWrap(PolyToString(p, nullptr, 0, p->variable), indent, 79, "\n");
  std::printf("%s = %s\n", named ? p->name : "ans", text);
  std::fflush(stdout);
  efree(text);
  return p;
}

void PolyAllPrint() {
  for (Polynomial* p = toppoly->next; p != nullptr; p = p->next) PolyPrint(p);
}

Polynomial* PolyFileWrite(Polynomial* p, const char* file) {
  checkDefined(p, "PolyFileWrite()");
  MatFileWrite(p->coef, file);
  return p;
}

Polynomial* PolyFileRead(const char* file) {
  Matrix* m = MatFileRead(file);
  const int n = m->rows * m->cols;
  Polynomial* p = fresh(n - 1, m->class_ == MAT_COMPLEX ? 1 : 0, nullptr);
  if (n > 0)
    std::memcpy(p->coef->data, m->data, static_cast<size_t>(n) * sizeof(double) * (m->class_ == MAT_COMPLEX ? 2 : 1));
  MatUndef(m);
  return p;
}
