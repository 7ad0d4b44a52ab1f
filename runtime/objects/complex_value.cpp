#include "runtime/objects/complex_value.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/core/util.h"
#include "runtime/core/report.h"
#include "runtime/objects/complex_scalar.h"

namespace {

constexpr double kLog10E = 0.4342944819032518;
constexpr double kHalfPi = 1.57079632679489661923;

inline ComplexValue* store(ComplexValue* c, double re, double im) {
  c->re = re;
  c->im = im;
  return c;
}

inline bool isZeroDivisor(const ComplexValue* b) { return std::fabs(b->re) + std::fabs(b->im) == 0.0; }

// Smith's scaled division of (p, q) by (u, v); the divisor is not zero. The
// first branch also takes a NaN in either part of the divisor.
void smithDivide(double p, double q, double u, double v, double* re, double* im) {
  if (!(std::fabs(u) > std::fabs(v))) {
    const double r = u / v;
    const double s = u * r + v;
    *re = (p * r + q) / s;
    *im = (q * r - p) / s;
  } else {
    const double r = v / u;
    const double s = v * r + u;
    *re = (p + q * r) / s;
    *im = (q - p * r) / s;
  }
}

// a /= b inside the inverse and quotient functions, with CompDivSelf's
// fatal report for a zero divisor (both operands are unnamed there).
void divSelfChecked(ComplexValue* a, const ComplexValue* b) {
  if (isZeroDivisor(b)) {
    std::snprintf(comp_err_src, vorn_report::kSourceSize, "(%G,%G) / (%G,%G)", a->re, a->im, b->re,
                  b->im);
    CompError("CompDivSelf()", "Can't divide by zero", nullptr);
  }
  smithDivide(a->re, a->im, b->re, b->im, &a->re, &a->im);
}

// cosh x and sinh x as (e^x +- e^-x)/2, the form the circular functions
// of a complex argument use.
struct Hyperbolic {
  double cosh, sinh;
};

Hyperbolic hyperbolicOf(double x) {
  const double ep = std::exp(x);
  const double em = std::exp(-x);
  return {(ep + em) / 2.0, (ep - em) / 2.0};
}

// Multiplications by -i and by i as exact rotations, so that an infinite
// part never meets a zero factor.
inline ComplexValue timesMinusI(const ComplexValue& a) { return {a.im, -a.re}; }
inline ComplexValue timesI(const ComplexValue& a) { return {-a.im, a.re}; }

inline ComplexValue square(const ComplexValue& a) {
  ComplexValue s;
  ComplexValueMul(&s, &a, &a);
  return s;
}

// log(z + sqrt(w)), the common tail of asin, acos, asinh and acosh.
ComplexValue logOfSumWithRoot(const ComplexValue& z, ComplexValue w) {
  ComplexValueSqrt(&w, &w);
  ComplexValue s;
  ComplexValueAdd(&s, &z, &w);
  ComplexValueLog(&s, &s);
  return s;
}

using ValueFunction = ComplexValue* (*)(ComplexValue*, const ComplexValue*);

// c = f(a) / g(a), the shape of tan and tanh; a zero g(a) is the quotient's
// fatal report.
ComplexValue* ratioOf(ComplexValue* c, const ComplexValue* a, ValueFunction f, ValueFunction g) {
  ComplexValue s, k;
  f(&s, a);
  g(&k, a);
  divSelfChecked(&s, &k);
  return ComplexValueCopy(c, &s);
}

}  // namespace

ComplexValue* ComplexValueDef(double re, double im) {
  ComplexValue* v = static_cast<ComplexValue*>(emalloc(sizeof(ComplexValue)));
  return store(v, re, im);
}

void ComplexValueDestroy(ComplexValue* v) { efree(v); }

ComplexValue* ComplexValueDup(const ComplexValue* v) { return ComplexValueDef(v->re, v->im); }

ComplexValue* ComplexValueCopy(ComplexValue* dst, const ComplexValue* src) {
  return store(dst, src->re, src->im);
}

void ComplexValueSwap(ComplexValue* a, ComplexValue* b) {
  const ComplexValue t = *a;
  *a = *b;
  *b = t;
}

ComplexValue* ComplexValueSetRe(ComplexValue* v, double re) {
  v->re = re;
  return v;
}

ComplexValue* ComplexValueSetIm(ComplexValue* v, double im) {
  v->im = im;
  return v;
}

ComplexValue* ComplexValueSetValue(ComplexValue* v, double re, double im) { return store(v, re, im); }
ComplexValue* ComplexValueSetZero(ComplexValue* v) { return store(v, 0.0, 0.0); }
ComplexValue* ComplexValueSetOne(ComplexValue* v) { return store(v, 1.0, 0.0); }
ComplexValue* ComplexValueSetInf(ComplexValue* v) { return store(v, get_infinity(), get_infinity()); }
ComplexValue* ComplexValueSetNaN(ComplexValue* v) { return store(v, get_nan(), get_nan()); }

ComplexValue* ComplexValueAdd(ComplexValue* c, const ComplexValue* a, const ComplexValue* b) {
  return store(c, a->re + b->re, a->im + b->im);
}

ComplexValue* ComplexValueSub(ComplexValue* c, const ComplexValue* a, const ComplexValue* b) {
  return store(c, a->re - b->re, a->im - b->im);
}

ComplexValue* ComplexValueMul(ComplexValue* c, const ComplexValue* a, const ComplexValue* b) {
  return store(c, a->re * b->re - a->im * b->im, a->re * b->im + a->im * b->re);
}

ComplexValue* ComplexValueMul1(ComplexValue* c, double x, const ComplexValue* b) {
  return store(c, x * b->re, x * b->im);
}

ComplexValue* ComplexValueMul2(ComplexValue* c, const ComplexValue* a, double x) {
  return store(c, a->re * x, a->im * x);
}

ComplexValue* ComplexValueDiv(ComplexValue* c, const ComplexValue* a, const ComplexValue* b) {
  if (isZeroDivisor(b)) {
    std::fprintf(stderr, "ComplexValueDiv(): Can't divide by zero.\n");
    return nullptr;
  }
  double re, im;
  smithDivide(a->re, a->im, b->re, b->im, &re, &im);
  return store(c, re, im);
}

ComplexValue* ComplexValueNegate(ComplexValue* c, const ComplexValue* a) { return store(c, -a->re, -a->im); }
ComplexValue* ComplexValueConj(ComplexValue* c, const ComplexValue* a) { return store(c, a->re, -a->im); }

ComplexValue* ComplexValueInv(ComplexValue* c, const ComplexValue* a) {
  if (isZeroDivisor(a)) {
    std::fprintf(stderr, "ComplexValueInv(): Can't divide by zero.\n");
    return nullptr;
  }
  const double e = a->re * a->re + a->im * a->im;
  return store(c, a->re / e, -a->im / e);
}

ComplexValue* ComplexValueAddSelf(ComplexValue* a, const ComplexValue* b) { return ComplexValueAdd(a, a, b); }
ComplexValue* ComplexValueSubSelf(ComplexValue* a, const ComplexValue* b) { return ComplexValueSub(a, a, b); }
ComplexValue* ComplexValueMulSelf(ComplexValue* a, const ComplexValue* b) { return ComplexValueMul(a, a, b); }
ComplexValue* ComplexValueMulSelf2(ComplexValue* a, double x) { return ComplexValueMul2(a, a, x); }
ComplexValue* ComplexValueDivSelf(ComplexValue* a, const ComplexValue* b) { return ComplexValueDiv(a, a, b); }
ComplexValue* ComplexValueNegateSelf(ComplexValue* a) { return ComplexValueNegate(a, a); }
ComplexValue* ComplexValueConjSelf(ComplexValue* a) { return ComplexValueConj(a, a); }

double ComplexValueAbs(const ComplexValue* a) { return std::sqrt(a->re * a->re + a->im * a->im); }
double ComplexValueArg(const ComplexValue* a) { return std::atan2(a->im, a->re); }
int ComplexValueIsZero(const ComplexValue* a) { return a->re == 0.0 && a->im == 0.0; }
int ComplexValueIsFinite(const ComplexValue* a) { return isFinite(a->re) && isFinite(a->im); }
int ComplexValueIsNaN(const ComplexValue* a) { return isNaN(a->re) || isNaN(a->im); }
int ComplexValueIsInf(const ComplexValue* a) { return isInf(a->re) || isInf(a->im); }

ComplexValue* ComplexValueSqrt(ComplexValue* c, const ComplexValue* a) {
  const double r = ComplexValueAbs(a);
  const double re = std::sqrt(std::fabs((r + a->re) / 2.0));
  double im = std::sqrt(std::fabs((r - a->re) / 2.0));
  if (a->im < 0.0) im = -im;
  return store(c, re, im);
}

ComplexValue* ComplexValueLog(ComplexValue* c, const ComplexValue* a) {
  double theta;
  if (a->re != 0.0) theta = std::atan2(a->im, a->re);
  else theta = a->im < 0.0 ? -kHalfPi : kHalfPi;
  return store(c, std::log(std::sqrt(a->re * a->re + a->im * a->im)), theta);
}

ComplexValue* ComplexValueLog10(ComplexValue* c, const ComplexValue* a) {
  ComplexValueLog(c, a);
  return store(c, c->re * kLog10E, c->im * kLog10E);
}

ComplexValue* ComplexValueExp(ComplexValue* c, const ComplexValue* a) {
  const double e = std::exp(a->re);
  return store(c, e * std::cos(a->im), e * std::sin(a->im));
}

ComplexValue* ComplexValueExpSelf(ComplexValue* a) { return ComplexValueExp(a, a); }

ComplexValue* ComplexValuePow2(ComplexValue* c, const ComplexValue* a, const ComplexValue* b) {
  ComplexValue l;
  ComplexValueLog(&l, a);
  ComplexValueMulSelf(&l, b);
  return ComplexValueExp(c, &l);
}

ComplexValue* ComplexValueSin(ComplexValue* c, const ComplexValue* a) {
  const Hyperbolic h = hyperbolicOf(a->im);
  return store(c, std::sin(a->re) * h.cosh, std::cos(a->re) * h.sinh);
}

ComplexValue* ComplexValueCos(ComplexValue* c, const ComplexValue* a) {
  const Hyperbolic h = hyperbolicOf(a->im);
  return store(c, std::cos(a->re) * h.cosh, -std::sin(a->re) * h.sinh);
}

ComplexValue* ComplexValueTan(ComplexValue* c, const ComplexValue* a) {
  return ratioOf(c, a, ComplexValueSin, ComplexValueCos);
}

ComplexValue* ComplexValueSinh(ComplexValue* c, const ComplexValue* a) {
  return store(c, std::cos(a->im) * std::sinh(a->re), std::sin(a->im) * std::cosh(a->re));
}

ComplexValue* ComplexValueCosh(ComplexValue* c, const ComplexValue* a) {
  return store(c, std::cos(a->im) * std::cosh(a->re), std::sin(a->im) * std::sinh(a->re));
}

ComplexValue* ComplexValueTanh(ComplexValue* c, const ComplexValue* a) {
  return ratioOf(c, a, ComplexValueSinh, ComplexValueCosh);
}

// asin z = -i log(i z + sqrt(1 - z^2))
ComplexValue* ComplexValueAsin(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z2 = square(*a);
  const ComplexValue l = logOfSumWithRoot(timesI(*a), {1.0 - z2.re, -z2.im});
  *c = timesMinusI(l);
  return c;
}

// acos z = -i log(z + sqrt(z^2 - 1))
ComplexValue* ComplexValueAcos(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z2 = square(*a);
  const ComplexValue l = logOfSumWithRoot(*a, {z2.re - 1.0, z2.im});
  *c = timesMinusI(l);
  return c;
}

// atan z = (-i/2) log((1 + i z) / (1 - i z))
ComplexValue* ComplexValueAtan(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue iz = timesI(*a);
  ComplexValue q{1.0 + iz.re, iz.im};
  const ComplexValue d{1.0 - iz.re, -iz.im};
  divSelfChecked(&q, &d);
  ComplexValueLog(&q, &q);
  return store(c, 0.5 * q.im, -(0.5 * q.re));
}

// asinh z = log(z + sqrt(z^2 + 1))
ComplexValue* ComplexValueAsinh(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z2 = square(*a);
  *c = logOfSumWithRoot(*a, {z2.re + 1.0, z2.im});
  return c;
}

// acosh z = log(z + sqrt(z^2 - 1))
ComplexValue* ComplexValueAcosh(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z2 = square(*a);
  *c = logOfSumWithRoot(*a, {z2.re - 1.0, z2.im});
  return c;
}

// atanh z = (1/2) log((1 + z) / (1 - z))
ComplexValue* ComplexValueAtanh(ComplexValue* c, const ComplexValue* a) {
  ComplexValue q{1.0 + a->re, a->im};
  const ComplexValue d{1.0 - a->re, -a->im};
  divSelfChecked(&q, &d);
  ComplexValueLog(&q, &q);
  return ComplexValueMul1(c, 0.5, &q);
}

char* ComplexValueToString(const ComplexValue* a, char* buffer, const char* format) {
  char* const re = RealToString(a->re, nullptr, format);
  char* const im = RealToString(a->im, nullptr, format);
  const size_t length = std::strlen(re) + std::strlen(im) + 3;
  if (buffer == nullptr) buffer = static_cast<char*>(emalloc(length + 1 > 64 ? length + 1 : 64));
  std::snprintf(buffer, length + 1, "(%s,%s)", re, im);
  efree(re);
  efree(im);
  return buffer;
}
