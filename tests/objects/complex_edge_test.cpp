// The complex elementary functions where textbook formulas overflow, cancel
// or leave the principal branch: a grid against the standard library (C99
// branch cuts and signed zeros), and the bits of ordinary results.
#include <complex>

#include "support/vorn_test.h"

namespace {

using Std = std::complex<double>;

constexpr double kEps = std::numeric_limits<double>::epsilon();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Every value function in one shape: real results (abs, arg) as (value, 0).
using Function = Std (*)(Std);

template <ComplexValue* (*F)(ComplexValue*, const ComplexValue*)>
Std Value(Std z) {
  const ComplexValue a{z.real(), z.imag()};
  ComplexValue c;
  F(&c, &a);
  return {c.re, c.im};
}

Std Abs(Std z) { return {CompAbs(CompDef("", z.real(), z.imag())), 0.0}; }
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
  double ulps;   // error allowed, as measured by ErrorUlps
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

void PrintTo(const Family& f, std::ostream* os) { *os << f.name; }

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
  return (zero && (f == "log" || f == "log10" || f == "pow")) || (f == "atanh" && z == Std(1.0, 0.0)) ||
         (f == "atan" && z == Std(0.0, -1.0));
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
      const Std got = f.ours(z), want = f.reference(z);
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

// The formulas' own results at ordinary arguments (within two ulp): the bits
// programs written against the formulas have always seen. Two points pin
// every function; the grid above covers the quadrants and magnitudes.
struct Recorded {
  const char* function;
  double want_re, want_im;
};
const struct {
  double re, im;
  std::vector<Recorded> results;
} kRecorded[] = {
    {0.3, 0.2, {
        {"abs", 0x1.71355d04de19p-2, 0}, {"arg", 0x1.2d0ead6066396p-1, 0},
        {"sqrt", 0x1.263eca5276c5dp-1, 0x1.645c77c8ff853p-3}, {"exp", 0x1.52acf31bc187cp+0, 0x1.129c9c3e181fcp-2},
        {"log", -0x1.0525f4c391ddap+0, 0x1.2d0ead6066396p-1}, {"log10", -0x1.c5a937887db61p-2, 0x1.057ebd5c9bc19p-2},
        {"pow", 0x1.2fc8483b1c6b6p-1, 0x1.73b095dc07312p-2}, {"sin", 0x1.34af65c3ae64ep-2, 0x1.89eb74fcc13a3p-3},
        {"cos", 0x1.f2f294a134306p-1, -0x1.e76a25a9c2c0ap-5}, {"tan", 0x1.2f4a294f98a8bp-2, 0x1.b94272ffe7cf1p-3},
        {"sinh", 0x1.319ceb5313578p-2, 0x1.a952673e248bbp-3}, {"cosh", 0x1.0645b846fcb1dp+0, 0x1.ef9b44f82eceep-5},
        {"tanh", 0x1.357b8d823ad42p-2, 0x1.7a99598ba2a0ep-3}, {"asin", 0x1.312fee01a3294p-2, 0x1.a96c724404ab8p-3},
        {"acos", 0x1.45d3b9c3da073p+0, -0x1.a96c724404ab7p-3}, {"atan", 0x1.351ea1f3d8fbp-2, 0x1.7ade7598c8addp-3},
        {"acosh", 0x1.a96c724404ab7p-3, 0x1.45d3b9c3da073p+0}, {"atanh", 0x1.2ed9112cd70c6p-2, 0x1.b94ab0fc84072p-3},
    }},
    {0.6, -0.8, {
        {"abs", 0x1p+0, 0}, {"arg", -0x1.dac670561bb5p-1, 0}, {"sqrt", 0x1.c9f25c5bfedd9p-1, -0x1.c9f25c5bfedd9p-2},
        {"exp", 0x1.44fccc52c1d22p+0, -0x1.4e9ea195644a5p+0}, {"log", 0, -0x1.dac670561bb5p-1},
        {"log10", 0, -0x1.9c626bc5dcb74p-2}, {"pow", 0x1.6b30e99e12c81p-1, -0x1.6b30e99e12c82p-2},
        {"sin", 0x1.82a5fada4160dp-1, -0x1.7749e0035fc0fp-1}, {"cos", 0x1.1a94c7882b9f3p+0, 0x1.00bfac9b2c188p-1},
        {"tan", 0x1.44a5f11b73ab7p-2, -0x1.9dbab7dfc8bfap-1}, {"sinh", 0x1.c634cee4c27cbp-2, -0x1.b367b849cd183p-1},
        {"cosh", 0x1.a6df31332265ep-1, -0x1.d3ab15c1f6f8fp-2}, {"tanh", 0x1.b1d3c8040a592p-1, -0x1.1f4865bafa606p-1},
        {"asin", 0x1.dac670561bb4fp-2, -0x1.9c041f7ed8d34p-1}, {"atan", 0x1.921fb54442d19p-1, -0x1.193ea7aad030bp-1},
        {"asinh", 0x1.6ce81ff1a70f2p-1, -0x1.5e9383efad0d2p-1}, {"acosh", 0x1.9c041f7ed8d34p-1, -0x1.1b6e192ebbe45p+0},
        {"atanh", 0x1.62e42fefa39efp-2, -0x1.921fb54442d18p-1},
    }},
};

const Family& FamilyNamed(const std::string& name) {
  for (const Family& f : kFamilies)
    if (name == f.name) return f;
  ADD_FAILURE() << "no family " << name;
  return kFamilies[0];
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

using ComplexEdgeTest = VornTest;

TEST_F(ComplexEdgeTest, OrdinaryResultsKeepTheirBits) {
  for (const auto& at : kRecorded) {
    for (const Recorded& r : at.results) {
      const Std got = FamilyNamed(r.function).ours(Std(at.re, at.im));
      EXPECT_TRUE(SameBits(got.real(), r.want_re) && SameBits(got.imag(), r.want_im))
          << r.function << Show(Std(at.re, at.im)) << " = " << Show(got) << ", recorded "
          << Show(Std(r.want_re, r.want_im));
    }
  }
}

// The cases of the fault report, through the Complex operations.
TEST_F(ComplexEdgeTest, ReportedCases) {
  auto C = [](double re, double im) { return CompDef("", re, im); };
  auto near = [](const Complex* z, Std want) { return ErrorUlps(Std(z->re, z->im), want) <= 2.0; };
  EXPECT_EQ(CompAbs(C(1e300, 1e300)), std::hypot(1e300, 1e300));
  EXPECT_DOUBLE_EQ(CompAbs(C(3e-300, -4e-300)), 5e-300);
  const Complex* e = CompExp(C(1e10, 0.0));
  EXPECT_TRUE(e->re == kInf && SameBits(e->im, 0.0));
  EXPECT_DOUBLE_EQ(CompSin(C(0.0, 1e-10))->im, std::sinh(1e-10));
  EXPECT_DOUBLE_EQ(CompLog(C(1.0, 1e-10))->re, 5e-21);
  EXPECT_TRUE(near(CompAtan(C(1e-10, 1e-10)), std::atan(Std(1e-10, 1e-10))));
  EXPECT_TRUE(near(CompAtanh(C(1e-10, -1e-10)), std::atanh(Std(1e-10, -1e-10))));
  // Principal values: acos has a real part in [0, pi], acosh a real part
  // >= 0, and atan(i) is 0 + i inf.
  EXPECT_TRUE(near(CompAcos(C(-10.0, 0.5)), std::acos(Std(-10.0, 0.5))));
  EXPECT_TRUE(near(CompAcosh(C(-10.0, 0.5)), std::acosh(Std(-10.0, 0.5))));
  const Complex* t = CompAtan(C(0.0, 1.0));
  EXPECT_TRUE(SameBits(t->re, 0.0) && t->im == kInf);
  EXPECT_TRUE(near(CompTan(C(0.5, 1e10)), Std(0.0, 1.0)));
}

}  // namespace
