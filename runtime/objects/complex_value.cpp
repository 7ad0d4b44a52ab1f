#include "runtime/objects/complex_value.h"

#include <cfloat>
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

// Squares of parts at or above 2^-968 leave the sum exact to the last bit
// even when the smaller square is subnormal or lost.
constexpr double kSafeSquareSum = 0x1p-968;

// |(x, y)|: sqrt(x^2 + y^2) wherever that sum neither overflows nor comes
// near the subnormal range, otherwise the same sum of parts scaled by a
// power of two.
double modulus(double x, double y) {
  const double s = x * x + y * y;
  if (s >= kSafeSquareSum && s <= DBL_MAX) return std::sqrt(s);
  if (std::isinf(x) || std::isinf(y)) return HUGE_VAL;
  if (std::isnan(s)) return s;
  const double big = std::fmax(std::fabs(x), std::fabs(y));
  if (big == 0.0) return 0.0;
  int e;
  std::frexp(big, &e);
  const double a = std::ldexp(x, -e);
  const double b = std::ldexp(y, -e);
  return std::ldexp(std::sqrt(a * a + b * b), e);
}

inline bool isFiniteValue(const ComplexValue& a) { return std::isfinite(a.re) && std::isfinite(a.im); }

// The principal square root of a finite (x, y) with the C99 signs: the
// imaginary part takes the sign of y, -0 included. The half of the root
// that is not a sum of like signs comes from y / 2t, not from the
// cancelling r - |x| (Kahan, "Branch cuts for complex elementary
// functions", 1987). Parts near overflow or underflow are scaled by 4^k.
ComplexValue rootOf(double x, double y) {
  if (x == 0.0 && y == 0.0) return {0.0, y};
  const double big = std::fmax(std::fabs(x), std::fabs(y));
  if (big > DBL_MAX / 4.0) {
    const ComplexValue w = rootOf(x / 4.0, y / 4.0);
    return {w.re * 2.0, w.im * 2.0};
  }
  if (big < kSafeSquareSum) {
    const ComplexValue w = rootOf(x * 0x1p108, y * 0x1p108);
    return {w.re * 0x1p-54, w.im * 0x1p-54};
  }
  const double t = std::sqrt((modulus(x, y) + std::fabs(x)) / 2.0);
  if (x >= 0.0) return {t, y / (2.0 * t)};
  return {std::fabs(y) / (2.0 * t), std::copysign(t, y)};
}

// ln |(x, y)|, finite parts: near |z| = 1 as log1p of (a - 1)(a + 1) + b^2,
// whose a - 1 is exact for a in [1/2, 2], elsewhere the log of the scaled
// modulus.
double logModulus(double x, double y) {
  const double a = std::fmax(std::fabs(x), std::fabs(y));
  const double b = std::fmin(std::fabs(x), std::fabs(y));
  if (a >= 0.5 && a <= 2.0) return 0.5 * std::log1p((a - 1.0) * (a + 1.0) + b * b);
  return std::log(modulus(x, y));
}

// The formula's angle of log: atan2 off the imaginary axis, +-pi/2 on it.
double logAngle(double x, double y) {
  if (x != 0.0) return std::atan2(y, x);
  return y < 0.0 ? -kHalfPi : kHalfPi;
}

// f cosh y and f sinh y where cosh y alone overflows but the product need
// not: past that point both are e^|y|/2, taken in two halves.
double timesCosh(double f, double y) {
  const double c = std::cosh(y);
  if (std::isfinite(c)) return f * c;
  const double h = std::exp(std::fabs(y) / 2.0);
  return f * 0.5 * h * h;
}

double timesSinh(double f, double y) {
  const double s = std::sinh(y);
  if (std::isfinite(s)) return f * s;
  const double h = std::exp(std::fabs(y) / 2.0);
  return f * std::copysign(0.5, y) * h * h;
}

// tanh of finite (x, y) (Kahan 1987): with t = tan y, beta = 1 + t^2,
// s = sinh x, rho = sqrt(1 + s^2), tanh = (beta rho s, t) / (1 + beta s^2).
// Past |x| = 22 tanh x is 1 to double precision and the imaginary part is
// 4 sin y cos y e^-2|x|.
ComplexValue tanhOf(double x, double y) {
  if (std::fabs(x) > 22.0) {
    const double e = std::exp(-2.0 * std::fabs(x));
    return {std::copysign(1.0, x), 4.0 * std::sin(y) * std::cos(y) * e};
  }
  const double t = std::tan(y);
  const double beta = 1.0 + t * t;
  const double s = std::sinh(x);
  const double rho = std::sqrt(1.0 + s * s);
  const double d = 1.0 + beta * s * s;
  return {beta * rho * s / d, t / d};
}

// atanh of finite (x, y) other than +-1 (Kahan 1987): the real part
// log1p(4|x| / ((1 - |x|)^2 + y^2)) / 4 with the sign of x, the imaginary
// part atan2(2y, (1 - |x|)(1 + |x|) - y^2) / 2; far from the origin, where
// the squares would overflow, x/|z|^2 and +-pi/2.
ComplexValue atanhOf(double x, double y) {
  const double ax = std::fabs(x);
  if (ax > 1e150 || std::fabs(y) > 1e150) {
    const double r = modulus(x, y);
    return {x / r / r, std::copysign(kHalfPi, y)};
  }
  const double u = 1.0 - ax;
  const double d = u * u + y * y;
  // Next to +-1 the denominator d is too small to square: log1p of the
  // huge quotient is its log, taken apart.
  const double re = d >= kSafeSquareSum ? 0.25 * std::log1p(4.0 * ax / d)
                                        : 0.25 * (std::log(4.0 * ax) - 2.0 * std::log(modulus(u, y)));
  const double im = 0.5 * std::atan2(2.0 * y, u * (1.0 + ax) - y * y);
  return {std::copysign(re, x), im};
}

// asin of finite (x, y) (Kahan 1987): with s1 = sqrt(1 - z) and
// s2 = sqrt(1 + z), asin z = (atan2(x, Re(s1 s2)), asinh(Im(conj(s1) s2)));
// each sum there adds terms of one sign.
ComplexValue asinOf(double x, double y) {
  const ComplexValue s1 = rootOf(1.0 - x, -y);
  const ComplexValue s2 = rootOf(1.0 + x, y);
  return {std::atan2(x, s1.re * s2.re - s1.im * s2.im), std::asinh(s1.re * s2.im - s1.im * s2.re)};
}

// acos z = (2 atan2(Re s1, Re s2), asinh(Im(conj(s2) s1))), s1 and s2 as
// for asin.
ComplexValue acosOf(double x, double y) {
  const ComplexValue s1 = rootOf(1.0 - x, -y);
  const ComplexValue s2 = rootOf(1.0 + x, y);
  return {2.0 * std::atan2(s1.re, s2.re), std::asinh(s2.re * s1.im - s2.im * s1.re)};
}

// acosh z = (asinh(Re(conj(s1) s2)), 2 atan2(Im s1, Re s2)) with
// s1 = sqrt(z - 1) and s2 = sqrt(z + 1).
ComplexValue acoshOf(double x, double y) {
  const ComplexValue s1 = rootOf(x - 1.0, y);
  const ComplexValue s2 = rootOf(x + 1.0, y);
  return {std::asinh(s1.re * s2.re + s1.im * s2.im), 2.0 * std::atan2(s1.im, s2.re)};
}

// The formula's value stands wherever it is within kKeepUlps of the
// careful one, measured against the larger part, with zeros of the same
// sign; elsewhere (overflow, cancellation, the other branch) the careful
// value replaces it. Arguments with an infinite or NaN part keep the
// formula's value: the careful forms are for finite parts only.
constexpr double kKeepUlps = 4.0;

inline bool sameZero(double f, double g) {
  return !(f == 0.0 && g == 0.0 && std::signbit(f) != std::signbit(g));
}

template <class Careful>
ComplexValue* settle(ComplexValue* c, const ComplexValue& z, const ComplexValue& formula,
                     Careful careful) {
  if (!isFiniteValue(z)) return store(c, formula.re, formula.im);
  const ComplexValue k = careful();
  if (isFiniteValue(formula) && isFiniteValue(k)) {
    const double tol = kKeepUlps * DBL_EPSILON * std::fmax(std::fabs(k.re), std::fabs(k.im));
    if (std::fabs(formula.re - k.re) <= tol && std::fabs(formula.im - k.im) <= tol &&
        sameZero(formula.re, k.re) && sameZero(formula.im, k.im))
      return store(c, formula.re, formula.im);
  }
  return store(c, k.re, k.im);
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

double ComplexValueAbs(const ComplexValue* a) { return modulus(a->re, a->im); }
double ComplexValueArg(const ComplexValue* a) { return std::atan2(a->im, a->re); }
int ComplexValueIsZero(const ComplexValue* a) { return a->re == 0.0 && a->im == 0.0; }
int ComplexValueIsFinite(const ComplexValue* a) { return isFinite(a->re) && isFinite(a->im); }
int ComplexValueIsNaN(const ComplexValue* a) { return isNaN(a->re) || isNaN(a->im); }
int ComplexValueIsInf(const ComplexValue* a) { return isInf(a->re) || isInf(a->im); }

// A -0 imaginary part counts as +0, so the root of a negative real is +i.
ComplexValue* ComplexValueSqrt(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  const double r = ComplexValueAbs(&z);
  const double re = std::sqrt(std::fabs((r + z.re) / 2.0));
  double im = std::sqrt(std::fabs((r - z.re) / 2.0));
  if (z.im < 0.0) im = -im;
  return settle(c, z, {re, im}, [&] { return rootOf(z.re, z.im + 0.0); });
}

ComplexValue* ComplexValueLog(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  const double theta = logAngle(z.re, z.im);
  const ComplexValue formula{std::log(std::sqrt(z.re * z.re + z.im * z.im)), theta};
  return settle(c, z, formula, [&] { return ComplexValue{logModulus(z.re, z.im), theta}; });
}

ComplexValue* ComplexValueLog10(ComplexValue* c, const ComplexValue* a) {
  ComplexValueLog(c, a);
  return store(c, c->re * kLog10E, c->im * kLog10E);
}

// A real argument keeps its zero imaginary part even where e^re overflows;
// where only e^re overflows, the two halves e^(re/2) go in one at a time.
ComplexValue* ComplexValueExp(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  const double e = std::exp(z.re);
  if (!std::isfinite(z.re) || std::isnan(z.im)) return store(c, e * std::cos(z.im), e * std::sin(z.im));
  if (z.im == 0.0) return store(c, e, z.im);
  if (std::isinf(e)) {
    const double h = std::exp(z.re / 2.0);
    return store(c, h * std::cos(z.im) * h, h * std::sin(z.im) * h);
  }
  return store(c, e * std::cos(z.im), e * std::sin(z.im));
}

ComplexValue* ComplexValueExpSelf(ComplexValue* a) { return ComplexValueExp(a, a); }

ComplexValue* ComplexValuePow2(ComplexValue* c, const ComplexValue* a, const ComplexValue* b) {
  ComplexValue l;
  ComplexValueLog(&l, a);
  ComplexValueMulSelf(&l, b);
  return ComplexValueExp(c, &l);
}

// The careful sine and cosine take the library's sinh and cosh, which do
// not cancel for a small imaginary part; a zero sine part stays a signed
// zero next to an infinite hyperbolic one.
ComplexValue* ComplexValueSin(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  const Hyperbolic h = hyperbolicOf(z.im);
  const ComplexValue formula{std::sin(z.re) * h.cosh, std::cos(z.re) * h.sinh};
  return settle(c, z, formula, [&] {
    const double re = z.re == 0.0 ? z.re : timesCosh(std::sin(z.re), z.im);
    return ComplexValue{re, timesSinh(std::cos(z.re), z.im)};
  });
}

ComplexValue* ComplexValueCos(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  const Hyperbolic h = hyperbolicOf(z.im);
  const ComplexValue formula{std::cos(z.re) * h.cosh, -std::sin(z.re) * h.sinh};
  return settle(c, z, formula, [&] {
    const double im = z.re == 0.0 ? -z.re * std::copysign(1.0, z.im) : timesSinh(-std::sin(z.re), z.im);
    return ComplexValue{timesCosh(std::cos(z.re), z.im), im};
  });
}

// tan z = -i tanh(iz)
ComplexValue* ComplexValueTan(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  ComplexValue formula;
  ratioOf(&formula, &z, ComplexValueSin, ComplexValueCos);
  return settle(c, z, formula, [&] {
    const ComplexValue t = tanhOf(-z.im, z.re);
    return ComplexValue{t.im, -t.re};
  });
}

// On the real axis the imaginary part is the signed zero itself, not
// 0 * cosh re, which is NaN where cosh re overflows; off it, a product
// with an overflowing cosh or sinh is formed in halves.
ComplexValue* ComplexValueSinh(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  if (z.im == 0.0 && std::isfinite(z.re)) return store(c, std::sinh(z.re), z.im);
  if (!isFiniteValue(z)) return store(c, std::cos(z.im) * std::sinh(z.re), std::sin(z.im) * std::cosh(z.re));
  return store(c, timesSinh(std::cos(z.im), z.re), timesCosh(std::sin(z.im), z.re));
}

ComplexValue* ComplexValueCosh(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  if (z.im == 0.0 && std::isfinite(z.re)) return store(c, std::cosh(z.re), z.im * std::copysign(1.0, z.re));
  if (!isFiniteValue(z)) return store(c, std::cos(z.im) * std::cosh(z.re), std::sin(z.im) * std::sinh(z.re));
  return store(c, timesCosh(std::cos(z.im), z.re), timesSinh(std::sin(z.im), z.re));
}

ComplexValue* ComplexValueTanh(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  ComplexValue formula;
  ratioOf(&formula, &z, ComplexValueSinh, ComplexValueCosh);
  return settle(c, z, formula, [&] { return tanhOf(z.re, z.im); });
}

// asin z = -i log(i z + sqrt(1 - z^2))
ComplexValue* ComplexValueAsin(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  const ComplexValue z2 = square(z);
  const ComplexValue formula = timesMinusI(logOfSumWithRoot(timesI(z), {1.0 - z2.re, -z2.im}));
  return settle(c, z, formula, [&] { return asinOf(z.re, z.im); });
}

// acos z = -i log(z + sqrt(z^2 - 1))
ComplexValue* ComplexValueAcos(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  const ComplexValue z2 = square(z);
  const ComplexValue formula = timesMinusI(logOfSumWithRoot(z, {z2.re - 1.0, z2.im}));
  return settle(c, z, formula, [&] { return acosOf(z.re, z.im); });
}

// atan z = (-i/2) log((1 + i z) / (1 - i z)); carefully -i atanh(i z).
ComplexValue* ComplexValueAtan(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  const ComplexValue iz = timesI(z);
  ComplexValue q{1.0 + iz.re, iz.im};
  const ComplexValue d{1.0 - iz.re, -iz.im};
  divSelfChecked(&q, &d);
  ComplexValueLog(&q, &q);
  return settle(c, z, {0.5 * q.im, -(0.5 * q.re)}, [&] {
    const ComplexValue t = atanhOf(iz.re, iz.im);
    return ComplexValue{t.im, -t.re};
  });
}

// asinh z = log(z + sqrt(z^2 + 1)); carefully -i asin(i z).
ComplexValue* ComplexValueAsinh(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  const ComplexValue z2 = square(z);
  const ComplexValue formula = logOfSumWithRoot(z, {z2.re + 1.0, z2.im});
  return settle(c, z, formula, [&] { return timesMinusI(asinOf(-z.im, z.re)); });
}

// acosh z = log(z + sqrt(z^2 - 1))
ComplexValue* ComplexValueAcosh(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  const ComplexValue z2 = square(z);
  const ComplexValue formula = logOfSumWithRoot(z, {z2.re - 1.0, z2.im});
  return settle(c, z, formula, [&] { return acoshOf(z.re, z.im); });
}

// atanh z = (1/2) log((1 + z) / (1 - z))
ComplexValue* ComplexValueAtanh(ComplexValue* c, const ComplexValue* a) {
  const ComplexValue z = *a;
  ComplexValue q{1.0 + z.re, z.im};
  const ComplexValue d{1.0 - z.re, -z.im};
  divSelfChecked(&q, &d);
  ComplexValueLog(&q, &q);
  ComplexValue formula;
  ComplexValueMul1(&formula, 0.5, &q);
  return settle(c, z, formula, [&] { return atanhOf(z.re, z.im); });
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
