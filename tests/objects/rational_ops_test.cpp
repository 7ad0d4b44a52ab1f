// Rational operations: the arithmetic without cancellation, its zero
// cases, evaluation, calculus, the fraction display and the reports.
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "objects/exact_poly.h"
#include "support/values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using RatOpsTest = VornTest;
using RatOpsDeathTest = VornTest;

Rational* RatOf(const V& n, const V& d, int class_ = 0) { return RatNumeDenoDef(PolyOf(class_, n), PolyOf(class_, d)); }

// Numerator and denominator coefficients, and the degrees kept in step.
void ExpectRat(Rational* r, const V& n, const V& d) {
  EXPECT_EQ(valuesOf(r->nume->coef), n);
  EXPECT_EQ(valuesOf(r->deno->coef), d);
  EXPECT_EQ(r->nume_degree, r->nume->degree);
  EXPECT_EQ(r->deno_degree, r->deno->degree);
  EXPECT_EQ(r->nume->type, 2);
  EXPECT_EQ(r->deno->type, 2);
}

struct RatCase {
  const char* what;
  std::function<Rational*()> make;
  V nume, deno;
};
void PrintTo(const RatCase& c, std::ostream* os) { *os << c.what; }

class RatArithmetic : public VornTest, public ::testing::WithParamInterface<RatCase> {};

TEST_P(RatArithmetic, GivesTheStatedFraction) { ExpectRat(GetParam().make(), GetParam().nume, GetParam().deno); }

// Sums, products, quotients, first derivatives and p(r) in general are
// checked against exact arithmetic below; these are the zero, power, shift,
// mixed-operand and part cases.
const RatCase kRatCases[] = {
    {"difference of equals", [] { return RatSub(RatOf({1}, {1, 1}), RatOf({1}, {1, 1})); }, {0}, {1, 2, 1}},
    {"sum of zeros", [] { return RatAdd(RatOf({0}, {1, 1}), RatOf({0}, {2, 1})); }, {0}, {1}},
    {"zero minus 2, reversed", [] { return RatSub_double(RatOf({0}, {1, 1}), 2.0, 1); }, {2}, {1}},
    {"zero minus 2", [] { return RatSub_double(RatOf({0}, {1, 1}), 2.0, 0); }, {-2}, {1}},
    {"plus a double", [] { return RatAdd_double(RatOf({1}, {1, 1}), 2.0); }, {3, 2}, {1, 1}},
    {"polynomial minus", [] { return RatSub_Polynomial(RatOf({1}, {0, 1}), PolyOf(0, {0, 1}), 1); }, {-1, 0, 1},
     {0, 1}},
    {"power -2", [] { return RatPow(RatOf({1, 1}, {0, 1}), -2); }, {0, 0, 1}, {1, 2, 1}},
    {"power 0", [] { return RatPow(RatOf({1, 1}, {0, 1}), 0); }, {1}, {1}},
    {"product with zero", [] { return RatMul(RatOf({0}, {1, 1}), RatOf({1}, {0, 1})); }, {0}, {1}},
    {"second derivative of 1/s", [] { return RatDerivative(RatOf({1}, {0, 1}), 2); }, {2}, {0, 0, 0, 1}},
    {"lower shift past the top", [] { return RatLowerShift(RatOf({0, 1}, {1, 1}), 2); }, {0}, {1}},
    {"higher shift", [] { return RatHigherShift(RatOf({1}, {1, 1}), 1); }, {0, 1}, {0, 1, 1}},
    {"r(p)", [] { return RatEvalP(RatOf({1}, {0, 1}), PolyOf(0, {1, 1})); }, {1}, {1, 1}},
    {"real part of 1/(s+i)", [] { return RatRealPart(RatOf({1, 0}, {0, 1, 1, 0}, 1)); }, {0, 1}, {1, 0, 1}},
    {"imaginary part of 1/(s+i)", [] { return RatImagPart(RatOf({1, 0}, {0, 1, 1, 0}, 1)); }, {-1}, {1, 0, 1}},
};

INSTANTIATE_TEST_SUITE_P(Cases, RatArithmetic, ::testing::ValuesIn(kRatCases));

TEST_F(RatOpsTest, EvaluationAndConstruction) {
  Rational* r = RatOf({1}, {2, 1});
  EXPECT_EQ(RatEval(r, 2.0), 0.25);
  Complex* v = RatEvalC(r, CompDef("", -2.0, 1.0));  // 1/i
  EXPECT_TRUE(v->re == 0.0 && v->im == -1.0);
  Rational* c = RatRealToComp(r);
  EXPECT_TRUE(c->class_ == 1 && C_RatEval(c, 2.0)->re == 0.25);
  // A real polynomial over a complex one makes a complex rational; the
  // variables merge as they can.
  Rational* mixed = RatNumeDenoDef(PolyOf(0, {1}, "x"), PolyOf(1, {1, 0, 1, 0}));
  EXPECT_TRUE(mixed->class_ == 1 && mixed->nume->class_ == 1);
  EXPECT_STREQ(mixed->deno->variable, "x");
  Rational* distinct = RatNumeDenoDef(PolyOf(0, {1}, "x"), PolyOf(0, {1, 1}, "y"));
  EXPECT_TRUE(distinct->nume->variable == nullptr && distinct->deno->variable == nullptr);
  EXPECT_EQ(RatSetDeno(RatOf({1}, {1}), PolyOf(0, {1, 2, 3}))->deno_degree, 2);
  Rational* simple = RatSimplify(RatOf({1, 1e-20}, {1, 0}), vorn_eps);
  EXPECT_TRUE(simple->nume_degree == 0 && simple->deno_degree == 0);
}

TEST_F(RatOpsTest, FractionDisplay) {
  Rational* g = RatSetName(RatOf({1}, {2, 1}), "G");
  EXPECT_EQ(StdoutOf([&] { RatPrint(g); }), "       1\nG = -------\n     s + 2\n");
  EXPECT_EQ(StdoutOf([&] { RatPrint(RatOf({2, 1}, {3})); }), "\n       s + 2\nans = -------\n         3\n");
}

TEST_F(RatOpsDeathTest, Reports) {
  Rational* c = RatSetName(RatOf({1, 0}, {1, 0}, 1), "c");
  Rational* r = RatSetName(RatOf({1}, {1, 1}), "r");
  Rational* empty = RatDef("", -1, -1);
  Complex* z = CompDef("", 1.0, 2.0);
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { RatEval(c, 1.0); }, ReportLine("eval(c(s^0/s^0), 1) : Not a real ratnomial", "RatEval()")},
      {[&] { RatEvalC(c, z); }, ReportLine("eval(c(s^0/s^0), (1,2)) : Not a real ratnomial", "RatEvalC()")},
      {[&] { C_RatEval(r, 1.0); }, ReportLine("eval(r(s^0/s^1), 1) : Not a complex ratnomial", "C_RatEval()")},
      {[&] { RatScaleC(r, nullptr); }, ReportLine("r(s^0/s^1) * (NULL,NULL) : scale is NULL complex", "RatScaleC()")},
      {[&] { RatRealAndImag(r, c); }, ReportLine("(r(s^0/s^1), c(s^0/s^0)) : Not a real Rational", "RatRealAndImag()")},
      {[&] { RatSetNume(r, PolyOf(1, {1, 0})); }, ReportLine("Class Error for 'r(s^0/s^1)'", "RatSetNume()")},
      {[&] { RatSetDeno(r, PolyOf(1, {1, 0})); }, ReportLine("Class Error for 'r(s^0/s^1)'", "RatSetNume()")},
      {[&] { RatAdd(r, empty); }, ReportLine("Undefined rational for 'r(s^0/s^1)' and '(s^-1/s^-1)'", "RatAdd()")},
      {[&] { RatAdd(RatNumeDef(PolyOf(0, {1}, "x")), RatNumeDef(PolyOf(0, {0, 1}, "y"))); },
       ReportLine("Variables are distinct for '(x^0)' and '(y^0)'", "PolyMul()")},
  };
  for (const auto& k : cases) EXPECT_EXIT(k.first(), kFatal, k.second);
}

using exact::IPoly;
using exact::add;
using exact::mul;
V D(const IPoly& p) { return exact::toDoubles(p); }
IPoly Derivative(const IPoly& a) {
  if (a.size() == 1) return {0};
  IPoly d(a.size() - 1);
  for (size_t k = 1; k < a.size(); k++) d[k - 1] = static_cast<exact::I>(k) * a[k];
  return d;
}

// Integer rationals against exact integer arithmetic: nothing cancels, so
// each result is the plain product and sum formula, bit for bit.
TEST_F(RatOpsTest, AgreesWithExactArithmetic) {
  std::mt19937 rng(45);
  for (int round = 0; round < 100; round++) {
    const IPoly an = exact::randomPoly(rng, 4, 4), ad = exact::randomPoly(rng, 4, 4);
    const IPoly bn = exact::randomPoly(rng, 4, 4), bd = exact::randomPoly(rng, 4, 4);
    Rational* a = RatOf(D(an), D(ad));
    Rational* b = RatOf(D(bn), D(bd));
    // randomPoly never gives the zero polynomial: the zero cases are above.
    ExpectRat(RatAdd(a, b), D(add(mul(an, bd), mul(bn, ad))), D(mul(ad, bd)));
    ExpectRat(RatSub(a, b), D(add(mul(an, bd), mul(bn, ad), -1)), D(mul(ad, bd)));
    ExpectRat(RatMul(a, b), D(mul(an, bn)), D(mul(ad, bd)));
    ExpectRat(RatDiv(a, b), D(mul(an, bd)), D(mul(ad, bn)));
    // (N/D)' = (N' D - N D') / D^2.
    ExpectRat(RatDerivative(a, 1), D(add(mul(Derivative(an), ad), mul(an, Derivative(ad)), -1)), D(mul(ad, ad)));
    // p(a) by Horner's rule with p = 1 + 2 s: (D + 2 N) / D.
    ExpectRat(PolyEvalR(PolyOf(0, {1, 2}), a), D(add(ad, mul({2}, an))), D(ad));
    MatObjectTmpUndef();
  }
}

}  // namespace
