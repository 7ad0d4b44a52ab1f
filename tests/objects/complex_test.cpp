// Complex scalars: assignment, arithmetic with signed zeros, the scaled
// division, text, files and reports (functions: complex_edge_test).
#include <complex>

#include "support/vorn_test.h"

namespace {

using ComplexTest = VornTest;
using ComplexDeathTest = VornTest;
using Std = std::complex<double>;

constexpr double kEps = std::numeric_limits<double>::epsilon();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.14159265358979323846;

Complex* C(double re, double im) { return CompDef("", re, im); }
Std S(const Complex* z) { return {z->re, z->im}; }

std::string Text(Complex* z, const char* format = nullptr) {
  char* t = CompToString(z, nullptr, format);
  const std::string s(t);
  return efree(t), s;
}

// Bits, so that the sign of a zero counts.
void ExpectExactly(const Complex* z, double re, double im) {
  EXPECT_TRUE(vorn_values::SameBits({z->re, z->im}, {re, im}));
}

void ExpectNear(const Std& got, const Std& want, double ulps) {
  const double tol = ulps * kEps * std::fmax(1.0, std::abs(want));
  EXPECT_NEAR(got.real(), want.real(), tol) << got << " vs " << want;
  EXPECT_NEAR(got.imag(), want.imag(), tol) << got << " vs " << want;
}

TEST_F(ComplexTest, AssignTakesOverTemporaryAndKeepsType) {
  Complex* x = CompSetType(CompDef("x", 0.0, 0.0), 1);
  Complex* y = CompSetType(CompDef("y", 5.0, 6.0), 4);
  vnStringStringDef("gone");  // a temporary of another kind
  const int strings = vnStringLiveCount();
  const int live = CompLiveCount();
  EXPECT_EQ(CompAssign(x, CompAdd(C(1.0, 2.0), C(0.5, 0.5))), x);
  ExpectExactly(x, 1.5, 2.5);
  EXPECT_TRUE(x->type == 1 && std::string(x->name) == "x");
  EXPECT_TRUE(CompLiveCount() == live && vnStringLiveCount() == strings - 1);  // all temporaries released
  CompAssign(x, y);  // a global source is copied
  ExpectExactly(x, 5.0, 6.0);
  EXPECT_TRUE(x->type == 1 && y->type == 4);
  CompAssign(x, x);
  ExpectExactly(x, 5.0, 6.0);
  CompUndef(y), CompUndef(x);
}

TEST_F(ComplexTest, RealOperandForms) {
  ExpectExactly(CompSub1(2.0, C(5.0, 3.0)), -3.0, -3.0);
  ExpectExactly(CompAdd1(2.0, C(5.0, -0.0)), 7.0, -0.0);
  ExpectExactly(CompMul(C(1.0, 2.0), C(3.0, 4.0)), -5.0, 10.0);
  ExpectExactly(CompNegate(C(1.0, 0.0)), -1.0, -0.0);
  ExpectExactly(CompConj(C(1.0, 0.0)), 1.0, -0.0);
  ExpectExactly(CompDef2(C(1.0, 2.0), C(3.0, 4.0)), 1.0 - 4.0, 2.0 + 3.0);
  Complex* z = C(5.0, 3.0);
  EXPECT_TRUE(CompSubSelf1(2.0, z) == z && z->re == -3.0 && z->im == -3.0);
  EXPECT_EQ(CompMulSelf(z, z), z);  // a product with itself
  ExpectExactly(z, 0.0, 18.0);
  ExpectNear(S(CompSgn(C(-3.0, 4.0))), Std(-0.6, 0.8), 2);
}

TEST_F(ComplexTest, DivisionBothScalingBranches) {
  ExpectExactly(CompDiv(C(1.0, 0.0), C(0.0, 2.0)), 0.0, -0.5);
  // Each branch of the scaling, to the last bit (the two branches round
  // these quotients differently).
  ExpectExactly(CompDiv(C(1.0, 2.0), C(3.0, 4.0)), 0x1.c28f5c28f5c29p-2, 0x1.47ae147ae147bp-4);
  ExpectExactly(CompDiv(C(2.0, 3.0), C(7.0, 5.0)), 0x1.914c1bacf914bp-2, 0x1.306eb3e45306fp-3);
  ExpectExactly(CompDivSelf1(2.0, C(7.0, 5.0)), 0x1.83759f2298376p-3, -0x1.14c1bacf914c2p-3);
  const double cases[][4] = {{1, 2, 3, 4}, {1, 2, 4, 3}, {-7, 0.5, 1e-3, -2e3}, {3, -1, -5e200, 2e200}};
  for (const auto& c : cases) {
    ExpectNear(S(CompDiv(C(c[0], c[1]), C(c[2], c[3]))), Std(c[0], c[1]) / Std(c[2], c[3]), 4);
    ExpectNear(S(CompDiv1(c[0], C(c[2], c[3]))), Std(c[0], 0.0) / Std(c[2], c[3]), 4);
  }
  // Smith's scaling survives a divisor whose square overflows; the plain
  // formula of CompDiv1 and the inverse do not.
  ExpectNear(S(CompDiv(C(1e300, 1e300), C(1e300, 1e300))), Std(1.0, 0.0), 2);
  ExpectExactly(CompDiv1(1.0, C(1e300, 0.0)), 0.0, -0.0);
  ExpectExactly(CompInv(C(2.0, -4.0)), 0.1, 0.2);
  EXPECT_TRUE(CompIsNaN(CompDiv(C(1.0, 1.0), C(std::nan(""), 1.0))));
}

TEST_F(ComplexTest, ValueDivisionByZeroIsReportedAndLeavesDestination) {
  ComplexValue dst{7.0, 8.0};
  const ComplexValue a{1.0, 1.0}, zero{0.0, -0.0};
  EXPECT_EQ(StderrOf([&] {
              EXPECT_EQ(ComplexValueDiv(&dst, &a, &zero), nullptr);
              EXPECT_EQ(ComplexValueDivSelf(&dst, &zero), nullptr);
              EXPECT_EQ(ComplexValueInv(&dst, &zero), nullptr);
            }),
            "ComplexValueDiv(): Can't divide by zero.\nComplexValueDiv(): Can't divide by zero.\n"
            "ComplexValueInv(): Can't divide by zero.\n");
  EXPECT_TRUE(dst.re == 7.0 && dst.im == 8.0);
  EXPECT_EQ(ComplexValueDiv(&dst, &a, &a), &dst);
  EXPECT_TRUE(dst.re == 1.0 && dst.im == 0.0);
}

// The branch cuts away from zero are on the grid of complex_edge_test.
TEST_F(ComplexTest, BranchEdges) {
  ExpectExactly(CompSqrt(C(-4.0, -0.0)), 0.0, 2.0);
  ExpectExactly(CompLog(C(0.0, 0.0)), -kInf, kPi / 2);
  ExpectExactly(CompLog(C(-0.0, -0.0)), -kInf, kPi / 2);
  ExpectExactly(CompPow(C(0.0, 1.0), 2), -1.0, 0.0);
  ExpectExactly(CompPow(C(0.0, 1.0), -1), 0.0, -1.0);
  ExpectExactly(CompPow(C(3.0, 4.0), 0), 1.0, 0.0);
}

TEST_F(ComplexTest, PowerMatchesRepeatedProducts) {
  const Std base(0.9, -0.7);
  Std product(1.0, 0.0);
  for (int n = 1; n <= 40; n++) {
    product *= base;
    ExpectNear(S(CompPow(C(base.real(), base.imag()), n)), product, 8 * n);
    ExpectNear(S(CompPow(C(base.real(), base.imag()), -n)), 1.0 / product, 8 * n);
  }
  ExpectNear(S(CompPow(C(1.0, 1.0), std::numeric_limits<int>::min())), Std(0.0, 0.0), 1);
}

TEST_F(ComplexTest, RoundingAndTests) {
  ExpectExactly(CompRoundToZero(C(1e-9, 1e-6), 1e-6), 0.0, 1e-6);
  const double nan = std::nan("");
  const struct {
    double re, im;
    std::vector<int> finiteNanInf;
  } cases[] = {
      {1, 2, {1, 0, 0}}, {kInf, 0, {0, 0, 1}}, {0, -kInf, {0, 0, 1}}, {nan, 1, {0, 1, 0}}, {kInf, nan, {0, 1, 1}}};
  for (const auto& c : cases) {
    Complex* z = C(c.re, c.im);
    EXPECT_EQ((std::vector<int>{CompIsFinite(z), CompIsNaN(z), CompIsInf(z)}), c.finiteNanInf) << c.re << "," << c.im;
  }
}

TEST_F(ComplexTest, TextForms) {
  EXPECT_EQ(Text(C(1.0, -kInf)), "(1,-Inf)");
  EXPECT_EQ(Text(C(std::nan(""), 0.5)), "(NaN,0.5)");
  // Longer than the default 64 bytes: the block grows with the text.
  char want[128];
  std::snprintf(want, sizeof want, "(%.1f,%.1f)", 1e40, -1e40);
  EXPECT_EQ(Text(C(1e40, -1e40), "%.1f"), want);
  char buffer[64];
  EXPECT_EQ(CompToString(C(0.5, 3.0), buffer, nullptr), buffer);
  EXPECT_STREQ(buffer, "(0.5,3)");
  EXPECT_EQ(StdoutOf([] { CompPrint(CompDef("w", 1.0, 2.0)), CompPrint(C(-0.5, 1e-7)); }),
            "w = (1,2)\nans = (-0.5,1E-07)\n");
}

TEST_F(ComplexTest, FilesAndKeyboard) {
  const ScratchFile file;
  CompFileWrite(C(1.5, -2.0), file.path());
  EXPECT_EQ(file.text(), "(1.5,-2)");
  const std::pair<const char*, Std> reads[] = {{"3.25  -4e-2\n", {3.25, -4e-2}}, {"7\n", {7, 0}}};
  for (const auto& r : reads) {
    file.put(r.first);
    ExpectExactly(CompFileRead(file.path()), r.second.real(), r.second.imag());
  }
  EXPECT_EQ(StderrOf([] { CompFileWrite(C(1.0, 1.0), "/nonexistent-dir/z.txt"); }),
            "CompFileWrite(): Can not open /nonexistent-dir/z.txt.\n");
  // Typed entries echo on standard output; an empty entry keeps the old part.
  auto edit = [] {
    Complex* z = CompEdit(CompDef("z", 0.0, 2.0));
    return z->re == -15.0 && z->im == 2.0 ? 0 : 1;
  };
  const RunResult r = RunInChild(edit, "-1.5e1\n\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "z = ( 0.00000000E+00 ,  2.00000000E+00) ----> ( -1.5e1 ,  )\n");
}

TEST_F(ComplexDeathTest, Reports) {
  ExpectFatal({
      {[] { CompDiv(C(1.0, 0.0), C(0.0, 0.0)); }, "(1,0) / (0,0) : Can't divide by zero", "CompDiv()"},
      {[] { CompDivSelf(CompDef("a", 1.0, 2.5), CompDef("b", -0.0, 0.0)); },
       "a\\(1,2\\.5\\) / b\\(-0,0\\) : Can't divide by zero in CompDivSelf\\(\\)"},
      {[] { CompDiv1(2.0, CompDef("b", 0.0, 0.0)); }, "2 / b\\(0,0\\) : Can't divide by zero in CompDiv1\\(\\)"},
      {[] { CompDivSelf1(2.0, C(0.0, 0.0)); }, "Can't divide by zero in CompDivSelf1\\(\\)"},
      {[] { CompDiv2(CompDef("a", 1.0, 2.0), 0.0); }, "a\\(1,2\\) / 0 : Can't divide by zero in CompDiv2\\(\\)"},
      {[] { CompDivSelf2(C(1.0, 2.0), -0.0); }, "in CompDivSelf2\\(\\)"},
      {[] { CompInv(CompDef("z", 0.0, 0.0)); }, "inv\\(z\\(0,0\\)\\) : Can't divide by zero in CompInv\\(\\)"},
      {[] { CompInvSelf(C(0.0, 0.0)); }, "in CompInvSelf\\(\\)"},
      {[] { CompPow(C(0.0, 0.0), -2); }, "in CompInv\\(\\)"},
      // The quotients inside the inverse functions report as CompDivSelf.
      {[] { CompAtan(C(0.0, -1.0)); }, "\n\\(2,0\\) / \\(0,-0\\) : Can't divide by zero in CompDivSelf\\(\\)"},
      {[] { CompAtanh(C(1.0, 0.0)); }, "Can't divide by zero in CompDivSelf\\(\\)"},
      {[] { CompFileRead("/nonexistent-dir/z.txt"); }, "Can't open file", "CompFileRead()"},
      {[] { Complex* z = C(1.0, 2.0); CompUndef(z), CompUndef(z); }, "Duplicate undefing", "CompUndef()"},
  });
}

}  // namespace
