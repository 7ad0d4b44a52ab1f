// Element-wise comparisons, zero and equality tests, random matrices.
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using CompareTest = VornTest;
using CompareDeathTest = VornTest;

TEST_F(CompareTest, RealOperators) {
  Matrix* a = Real("", 2, 3, {1, 2, 3, 0, kNaN, 5});
  Matrix* b = Real("", 2, 3, {2, 2, 1, 0, 1, kNaN});
  const struct {
    const char* op;
    V want;
  } cases[] = {
      {"==", {0, 1, 0, 1, 0, 0}},     {"!=", {1, 0, 1, 0, 1, 1}},     {"<", {1, 0, 0, 0, 0, 0}},
      {"<=", {1, 1, 0, 1, 0, 0}},     {">", {0, 0, 1, 0, 0, 0}},      {">=", {0, 1, 1, 1, 0, 0}},
      {"&&", {1, 1, 1, 0, 1, 1}},     {"||", {1, 1, 1, 0, 1, 1}},  // NaN is non-zero
      {"max", {2, 2, 3, 0, kNaN, 5}}, {"min", {1, 2, 1, 0, kNaN, 5}},  // NaN in a is kept
  };
  for (const auto& c : cases) EXPECT_TRUE(SameBits(valuesOf(MatCompareElem(a, b, c.op)), c.want)) << c.op;
}

TEST_F(CompareTest, ComplexAndMixedOperands) {
  Matrix* z = Complex2("", 1, 3, {3, 4, 1, 0, 0, -2});
  Matrix* w = Complex2("", 1, 3, {0, 5, 1, 0, 0, 0});
  EXPECT_EQ(valuesOf(MatCompareElem(z, w, "==")), (V{0, 1, 0}));  // both parts
  EXPECT_EQ(valuesOf(MatCompareElem(z, w, "<=")), (V{1, 1, 0}));  // squared moduli 25/25, 1/1, 4/0
  EXPECT_EQ(valuesOf(MatCompareElem(z, w, "&&")), (V{1, 1, 0}));
  EXPECT_EQ(valuesOf(MatCompareElem(z, w, "max")), (V{3, 4, 1, 0, 0, -2}));  // complex
  // A real operand is taken as complex; the converted copy is released at
  // once, so only the result is left.
  Matrix* r = Real("", 1, 3, {5, 1, 2});
  const int live = MatLiveCount();
  EXPECT_EQ(valuesOf(MatCompareElem(r, z, ">=")), (V{1, 1, 1}));
  EXPECT_EQ(MatLiveCount(), live + 1);
  EXPECT_EQ(valuesOf(MatCompareElem(z, r, "==")), (V{0, 1, 0}));
  // Empty operands: an empty real result shaped like a; op not looked at.
  ExpectShape(MatCompareElem(MatDef("", 0, 3), C_MatDef("", 0, 3), "=<"), 0, 3, MAT_REAL);
}

TEST_F(CompareTest, ZeroAndEqualityTests) {
  EXPECT_TRUE(MatIsZero(Real("", 1, 2, {0.0, -0.0})));
  EXPECT_FALSE(MatIsZero(Real("", 1, 2, {0.0, kNaN})));
  EXPECT_TRUE(MatIsZero(MatDef("", 0, 4)));
  EXPECT_TRUE(MatIsNonZero(Complex2("", 1, 1, {0.0, 1e-300})));
  Matrix* a = Real("", 2, 2, {1, 2, 3, kInf});
  EXPECT_TRUE(MatIsEqual(a, Real("", 2, 2, {1, 2, 3, kInf})));  // equal infinities are equal
  EXPECT_FALSE(MatIsEqual(a, Real("", 2, 2, {1, 2, 3, 4})));
  EXPECT_FALSE(MatIsEqual(a, Real("", 1, 4, {1, 2, 3, kInf})));  // same values, other shape
  EXPECT_TRUE(MatIsNotEqual(Real("", 1, 1, {kNaN}), Real("", 1, 1, {kNaN})));
  EXPECT_FALSE(MatIsEqual(Real("", 1, 1, {1}), Complex2("", 1, 1, {1, 0})));  // other class
  EXPECT_TRUE(MatIsNotEqual(Complex2("", 1, 1, {1, 2}), Complex2("", 1, 1, {1, -2})));
}

TEST_F(CompareTest, RandomMatricesDrawInStorageOrder) {
  srandu(17);
  V want(6);
  for (double& w : want) w = randu();
  srandu(17);
  EXPECT_EQ(valuesOf(MatUniformRand(2, 3)), want);
  // The normal stream keeps a waiting deviate across reseeding: after two
  // identical runs from the seed, a third starts in the same state.
  for (int run = 0; run < 2; run++) {
    srandn(5);
    for (double& w : want) w = randn();
  }
  srandn(5);
  EXPECT_EQ(valuesOf(MatNormalRand(3, 2)), want);
}

TEST_F(CompareDeathTest, Reports) {
  Matrix* a = Real("A", 2, 2, {1, 2, 3, 4});
  ExpectFatal({
      {[&] { MatCompareElem(a, MatDef("B", 2, 3), "=="); }, "A(2x2) == B(2x3) : Not same size", "MatCompareElem()"},
      {[&] { MatCompareElem(a, a, "=<"); }, "A(2x2) =< A(2x2) : Incorrect operator", "Mat_Compare()"},
      {[&] { MatCompareElem(a, MatSetClass(MatDef("P", 2, 2), MAT_POLY), "<"); },
       "A(2x2) < P(2x2) : Not a numerical matrix", "MatCompareElem()"},
      {[] { MatUniformRand(-1, 2); }, "MatDef(\"\", -1, 2) : Not appropriate column or row number", "MatDef()"},
  });
}

}  // namespace
