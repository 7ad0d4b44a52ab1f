// Polynomial operations: known cases, the reports, and the arithmetic
// against exact integer and fraction arithmetic on random polynomials.
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "objects/exact_poly.h"
#include "support/values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using PolyOpsTest = VornTest;
using PolyOpsDeathTest = VornTest;

V coefs(Polynomial* p) { return valuesOf(p->coef); }

TEST_F(PolyOpsTest, KnownResults) {
  // Cancelled leading terms leave the constant alone.
  EXPECT_EQ(coefs(PolyAdd(PolyOf(0, {1, 0, 1}), PolyOf(0, {2, 0, -1}))), (V{3}));
  // A negligible top coefficient set past the degree is dropped again.
  Polynomial* p = PolyOf(0, {1, 2, 3});
  PolySetValue(p, 3, 1e-17);
  EXPECT_TRUE(p->degree == 2 && p->coef->cols == 3);
  PolySetValue(p, 5, 2.0);
  EXPECT_EQ(coefs(p), (V{1, 2, 3, 0, 0, 2}));
  // The variable present wins; the power 0 is the constant 1 in it.
  Polynomial* x = PolyAdd(PolyOf(0, {1, 1}, "x"), PolyOf(0, {0, 1}));
  EXPECT_STREQ(x->variable, "x");
  Polynomial* one = PolyPow(x, 0);
  EXPECT_EQ(coefs(one), (V{1}));
  EXPECT_STREQ(one->variable, "x");
  // Calculus.
  ExpectMatrix(PolyIntegral(PolyOf(1, {2, 0}), 2)->coef, 1, 3, MAT_COMPLEX, {0, 0, 0, 0, 1, 0});
  EXPECT_EQ(coefs(PolyLowerShift(PolyOf(0, {1, 2, 3}), 1)), (V{2, 3}));
  EXPECT_EQ(coefs(PolyHigherShift(PolyOf(0, {1, 2}), 2)), (V{0, 0, 1, 2}));
  EXPECT_EQ(coefs(PolyCut(PolyOf(0, {1, 2, 3, 4}), 1, 2)), (V{0, 2, 3}));
  // Both parts follow Horner's rule with the same index.
  Complex* v = C_PolyEval(PolyOf(1, {0, 1, 0, 0, 0, 1}), 2.0);
  EXPECT_TRUE(v->re == 0.0 && v->im == 5.0);
  Complex* w = PolyEvalC(PolyOf(0, {1, 0, 1}), CompDef("", 0.0, 1.0));  // i^2 + 1
  EXPECT_TRUE(w->re == 0.0 && w->im == 0.0);
  // Scaling by the special values, and the conversions.
  Polynomial* zero = PolyScale(PolyOf(0, {1, 2}, "x"), 0.0);
  EXPECT_TRUE(zero->degree == 0 && zero->variable == nullptr);
  EXPECT_EQ(coefs(PolyRealAndImag(PolyOf(0, {1}), PolyOf(0, {0, 2}))), (V{1, 0, 0, 2}));
  EXPECT_EQ(coefs(PolyImagPart(PolyOf(1, {1, 2, 3, 0}))), (V{2}));
  EXPECT_EQ(coefs(PolySub_double(PolyOf(0, {1, 2}), 5.0, 1)), (V{4, -2}));
  EXPECT_EQ(coefs(PolyRoundToZero(PolyOf(0, {1e-20, 1, 1e-30}), -1.0)), (V{0, 1}));
  // p(A) with A = [[0, 1], [0, 0]]: 1 + 2A + 3A^2 = [[1, 2], [0, 1]].
  ExpectMatrix(PolyEvalM(PolyOf(0, {1, 2, 3}), Real("", 2, 2, {0, 1, 0, 0})), 2, 2, 0, {1, 2, 0, 1});
}

TEST_F(PolyOpsTest, PrintWrapsUnderItsName) {
  Polynomial* p = PolySetName(PolyOf(0, {-1.5, 0, -1, 2}), "p");
  EXPECT_EQ(StdoutOf([&] { PolyPrint(p); }), "p = 2 s^3 - s^2 - 1.5\n");
  EXPECT_EQ(StdoutOf([&] { PolyPrint(PolyDef("", -1, nullptr)); }), "ans = 0\n");
  Polynomial* longer = PolySetName(PolyIDef(30, "x"), "q");
  const std::string text = StdoutOf([&] { PolyPrint(longer); });
  EXPECT_EQ(text.rfind("q = x^30 + x^29", 0), 0u);
  for (size_t at = 0, next; (next = text.find('\n', at)) != std::string::npos; at = next + 1) EXPECT_LE(next - at, 79u);
  EXPECT_NE(text.find("\n     x^20 + "), std::string::npos);  // continued under the text
}

TEST_F(PolyOpsDeathTest, Reports) {
  Polynomial* x = PolySetName(PolyOf(0, {1, 1}, "x"), "a");
  Polynomial* z = PolyOf(0, {1, 1}, "z");
  Polynomial* c = PolySetName(PolyOf(1, {1, 0}), "c");
  Polynomial* empty = PolyDef("", -1, nullptr);
  Matrix* column = Real("", 2, 1, {1, 2});
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { PolyAdd(x, z); }, ReportLine("Variables are distinct for 'a(x^1)' and '(z^1)'", "PolyAdd()")},
      {[&] { PolyMul(empty, x); }, ReportLine("Undefined polynomial for '(s^-1)' and 'a(x^1)'", "PolyMul()")},
      {[&] { PolySetValue(c, 1, 2.0); }, ReportLine("c(s^0)(1) = 2 : Not a real polynomial", "PolySetValue()")},
      {[&] { PolySetValue(x, -1, 2.0); }, ReportLine("a(x^1)(-1) = 2 : Index is not appropriate", "PolySetValue()")},
      {[&] { PolyGetValue(x, 2); }, ReportLine("a(x^1)(2) : Not a suitable index", "PolyGetValue()")},
      {[&] { PolyPow(x, -1); }, ReportLine("a(x^1)^-1 : Index must be semipositive", "PolyPow()")},
      {[&] { PolyScaleC(x, nullptr); }, ReportLine("a(x^1) * (NULL,NULL) : scale is NULL complex", "PolyScaleC()")},
      {[&] { PolyCut(x, 1, 3); }, ReportLine("a(x^1)(3:1) : Size Error", "PolyCut()")},
      {[&] { PolyEval(c, 1.5); }, ReportLine("eval(c(s^0), 1.5) : Argument must be a real polynomial", "PolyEval()")},
      {[&] { C_PolyEval(x, 1.5); }, ReportLine("eval(a(x^1), 1.5) : Arg must be complex polynomial", "PolyEval()")},
      {[&] { PolyRealAndImag(x, c); }, ReportLine("(a(x^1), c(s^0)) : Not a real Polynomial", "PolyRealAndImag()")},
      {[&] { PolyCoefDef(column, nullptr); }, ReportLine("Not a row vector", "PolyCoefDef()")},
  };
  for (const auto& k : cases) EXPECT_EXIT(k.first(), kFatal, k.second);
}

// ---------------------------------------------------------------------------
// Against exact arithmetic: integer coefficients stay integers below 2^53,
// so every operation but the integral must agree to the last bit; the
// integral's fractions must be the correctly rounded quotients.

using exact::I;
using exact::IPoly;
using exact::toDoubles;
Polynomial* toPoly(const IPoly& p) { return PolyOf(0, toDoubles(p)); }

TEST_F(PolyOpsTest, AgreesWithExactArithmetic) {
  std::mt19937 rng(20261206);
  for (int round = 0; round < 200; round++) {
    const IPoly a = exact::randomPoly(rng, 12, 4);
    const IPoly b = exact::randomPoly(rng, 12, 4);
    Polynomial* pa = toPoly(a);
    Polynomial* pb = toPoly(b);
    EXPECT_EQ(coefs(PolyMul(pa, pb)), toDoubles(exact::mul(a, b)));

    const IPoly small = exact::randomPoly(rng, 3, 3);
    const int n = std::uniform_int_distribution<int>(2, 5)(rng);
    IPoly power{1};
    for (int k = 0; k < n; k++) power = exact::mul(power, small);
    EXPECT_EQ(coefs(PolyPow(toPoly(small), n)), toDoubles(power));

    const int order = std::uniform_int_distribution<int>(1, 3)(rng);
    IPoly derivative(a.size() > static_cast<size_t>(order) ? a.size() - order : 1, 0);
    for (size_t k = 0; k + order < a.size(); k++) {
      I f = 1;
      for (int i = 1; i <= order; i++) f *= static_cast<I>(k) + i;
      derivative[k] = a[k + order] * f;
    }
    EXPECT_EQ(coefs(PolyDerivative(pa, order)), toDoubles(derivative));

    V integral(a.size() + order, 0.0);
    for (size_t k = order; k < integral.size(); k++) {
      I f = 1;
      for (int i = 0; i < order; i++) f *= static_cast<I>(k) - i;
      integral[k] = static_cast<double>(a[k - order]) / static_cast<double>(f);
    }
    EXPECT_EQ(coefs(PolyIntegral(pa, order)), integral);

    // p(q) by the exact Horner's rule.
    const IPoly outer = exact::randomPoly(rng, 5, 3);
    IPoly inner = exact::randomPoly(rng, 4, 3);
    if (inner.size() < 2) inner = {inner[0], 1};
    IPoly composed{outer.back()};
    for (size_t k = outer.size() - 1; k-- > 0;) composed = exact::add(exact::mul(composed, inner), IPoly{outer[k]});
    EXPECT_EQ(coefs(PolyEvalP(toPoly(outer), toPoly(inner))), toDoubles(composed));
    MatObjectTmpUndef();
  }
}

}  // namespace
