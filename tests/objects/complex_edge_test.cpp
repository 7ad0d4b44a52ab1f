// The complex elementary functions where their textbook formulas overflow,
// underflow, cancel or leave the principal branch: a grid of extreme and
// ordinary parts against the standard library's functions (which follow
// the C99 conventions for branch cuts and signed zeros), and the bits of
// ordinary results, which must not move.
#include <cmath>
#include <complex>
#include <cstdio>
#include <limits>
#include <string>

#include "support/vorn_test.h"

namespace {

using Std = std::complex<double>;

constexpr double kEps = std::numeric_limits<double>::epsilon();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.14159265358979323846;

// Every value function in one shape: real results (abs, arg) as (value, 0).
using Function = Std (*)(Std);

template <ComplexValue* (*F)(ComplexValue*, const ComplexValue*)>
Std Value(Std z) {
  const ComplexValue a{z.real(), z.imag()};
  ComplexValue c;
  F(&c, &a);
  return {c.re, c.im};
}

Std Abs(Std z) {
  Complex* const c = CompDef("", z.real(), z.imag());
  return {CompAbs(c), 0.0};
}
Std Arg(Std z) {
  const ComplexValue a{z.real(), z.imag()};
  return {ComplexValueArg(&a), 0.0};
}
// z to the power 1/2 - i/4 by exp(b log z).
const ComplexValue kExponent{0.5, -0.25};
Std Pow(Std z) {
  const ComplexValue a{z.real(), z.imag()};
  ComplexValue c;
  ComplexValuePow2(&c, &a, &kExponent);
  return {c.re, c.im};
}

Std RefAbs(Std z) { return {std::abs(z), 0.0}; }
Std RefArg(Std z) { return {std::arg(z), 0.0}; }
// The root's imaginary part is negated only for im < 0, so -0 counts as +0.
Std RefSqrt(Std z) { return std::sqrt(Std(z.real(), z.imag() + 0.0)); }
Std RefPow(Std z) { return std::pow(z, Std(kExponent.re, kExponent.im)); }

struct Family {
  const char* name;
  Function ours;
  Function reference;
  // Error allowed, in units of eps·|result|, beyond the rounding of the
  // comparison itself.
  double ulps;
};

// The standard library function as a plain function of the value.
template <Std (*F)(const Std&)>
Std Ref(Std z) {
  return F(z);
}

const Family kFamilies[] = {
    {"abs", Abs, RefAbs, 2},
    {"arg", Arg, RefArg, 0},
    {"sqrt", Value<ComplexValueSqrt>, RefSqrt, 4},
    {"exp", Value<ComplexValueExp>, Ref<std::exp<double>>, 4},
    {"log", Value<ComplexValueLog>, Ref<std::log<double>>, 4},
    {"log10", Value<ComplexValueLog10>, Ref<std::log10<double>>, 4},
    {"pow", Pow, RefPow, 4},
    {"sin", Value<ComplexValueSin>, Ref<std::sin<double>>, 4},
    {"cos", Value<ComplexValueCos>, Ref<std::cos<double>>, 4},
    {"tan", Value<ComplexValueTan>, Ref<std::tan<double>>, 4},
    {"sinh", Value<ComplexValueSinh>, Ref<std::sinh<double>>, 4},
    {"cosh", Value<ComplexValueCosh>, Ref<std::cosh<double>>, 4},
    {"tanh", Value<ComplexValueTanh>, Ref<std::tanh<double>>, 4},
    {"asin", Value<ComplexValueAsin>, Ref<std::asin<double>>, 4},
    {"acos", Value<ComplexValueAcos>, Ref<std::acos<double>>, 4},
    {"atan", Value<ComplexValueAtan>, Ref<std::atan<double>>, 4},
    {"asinh", Value<ComplexValueAsinh>, Ref<std::asinh<double>>, 4},
    {"acosh", Value<ComplexValueAcosh>, Ref<std::acosh<double>>, 4},
    {"atanh", Value<ComplexValueAtanh>, Ref<std::atanh<double>>, 4},
};

const double kParts[] = {0.0,    -0.0,  1e-300, -1e-300, 1e-10, -1e-10, 0.5,  -0.5,  1.0,
                         -1.0,   2.0,   -2.0,   10.0,    -10.0, 1e10,   -1e10, 1e300, -1e300};

// Points the grid leaves out, each for a reason of the contract:
// - log, log10 and pow of a zero: the angle of 0 is pi/2 by definition,
//   where C99 takes atan2 of the signed zeros; pow of 0 is then NaN;
// - atanh(1 +- 0i) and atan(+-0 - i): the quotient inside is a division
//   by zero, a fatal report;
// - infinite and NaN parts are not on the grid: C99 has rules of its own
//   for them, and the formulas keep their own results.
bool LeftOut(const std::string& f, Std z) {
  const bool zero = z.real() == 0.0 && z.imag() == 0.0;
  if (zero && (f == "log" || f == "log10" || f == "pow")) return true;
  if (f == "atanh" && z.real() == 1.0 && z.imag() == 0.0) return true;
  if (f == "atan" && z.real() == 0.0 && z.imag() == -1.0) return true;
  return false;
}

// Distance of one part from the true one in units of eps·|want| (the whole
// value's magnitude, not the part's: a part tiny next to the other is only
// as good as the rounding of the larger). Magnitudes below the smallest
// normal number are measured in subnormal steps. Infinities and NaNs must
// match exactly, as must the sign of an expected zero.
double PartError(double got, double want, double scale) {
  if (std::isnan(want)) return std::isnan(got) ? 0.0 : kInf;
  if (std::isinf(want) || std::isinf(got) || std::isnan(got)) return got == want ? 0.0 : kInf;
  if (want == 0.0 && got == 0.0 && std::signbit(want) != std::signbit(got)) return kInf;
  return std::fabs(got - want) / (kEps * scale);
}

double ErrorUlps(Std got, Std want) {
  double scale = std::fmax(std::fabs(want.real()), std::fabs(want.imag()));
  if (std::isinf(scale) || std::isnan(scale)) scale = 1.0;
  scale = std::fmax(scale, std::numeric_limits<double>::min());
  return std::fmax(PartError(got.real(), want.real(), scale), PartError(got.imag(), want.imag(), scale));
}

std::string Show(Std z) {
  char text[96];
  std::snprintf(text, sizeof text, "(%.17g, %.17g)", z.real(), z.imag());
  return text;
}

class ComplexGridTest : public VornTest, public ::testing::WithParamInterface<Family> {};

TEST_P(ComplexGridTest, AgreesWithStandardLibrary) {
  const Family& f = GetParam();
  int failures = 0;
  for (const double re : kParts) {
    for (const double im : kParts) {
      const Std z(re, im);
      if (LeftOut(f.name, z)) continue;
      const Std got = f.ours(z);
      const Std want = f.reference(z);
      const double ulps = ErrorUlps(got, want);
      if (ulps > f.ulps) {
        failures++;
        ADD_FAILURE() << f.name << Show(z) << " = " << Show(got) << ", want " << Show(want) << " ("
                      << ulps << " ulp)";
      }
    }
    CompTmpUndef();
  }
  EXPECT_EQ(failures, 0);
}

INSTANTIATE_TEST_SUITE_P(Grid, ComplexGridTest, ::testing::ValuesIn(kFamilies),
                         [](const ::testing::TestParamInfo<Family>& p) { return std::string(p.param.name); });

}  // namespace
