// Reductions: whole, per-row and per-column values and shapes, both standard
// deviations, extremes and NaN, running sums, extended-precision sums.
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using ReduceTest = VornTest;
using ReduceDeathTest = VornTest;

const double kHalfUlp = std::ldexp(1.0, -53);  // half an ulp of 1.0

TEST_F(ReduceTest, WholeMatrixValuesAndExtremes) {
  Matrix* m = Real("", 2, 2, {1, 2, 3, 4});
  EXPECT_TRUE(MatSumElem(m) == 10.0 && MatMeanElem(m) == 2.5 && MatProdElem(m) == 24.0);
  EXPECT_DOUBLE_EQ(MatStdDevElem(m), std::sqrt(5.0 / 3.0));
  EXPECT_TRUE(std::isnan(MatStdDevElem(Real("", 1, 1, {7}))));  // 0/0
  int i = -1, j = -1;
  Matrix* empty = MatDef("", 0, 0);
  for (double v :
       {MatSumElem(empty), MatStdDevElem(empty), MatProdElem(empty), MatMinElem(empty), MatMaximumElem(empty, &i, &j)})
    EXPECT_EQ(v, 0.0);
  EXPECT_EQ(i + j, 0);
  // The first occurrence; a NaN is taken only when it comes first.
  EXPECT_TRUE(MatMaximumElem(Real("", 2, 3, {1, 5, 9, 9, -2, -2}), &i, &j) == 9.0 && i == 1 && j == 3);
  EXPECT_TRUE(MatMinimumElem(Real("", 2, 3, {1, 5, 9, 9, -2, -2}), &i, &j) == -2.0 && i == 2 && j == 2);
  EXPECT_EQ(MatMaxElem(Real("", 1, 3, {2, kNaN, 3})), 3.0);
  EXPECT_TRUE(std::isnan(MatMinElem(Real("", 1, 3, {kNaN, 2, 3}))));
}

// Each case is exact with a 64-bit significand and lost with a double.
TEST_F(ReduceTest, AccumulationIsInExtendedPrecision) {
  EXPECT_EQ(MatSumElem(Real("", 1, 3, {1, kHalfUlp, kHalfUlp})), 1 + 2 * kHalfUlp);
  EXPECT_EQ(MatMeanElem(Real("", 2, 2, {1, kHalfUlp, kHalfUlp, 0})), 0.25 + kHalfUlp / 2);
  EXPECT_EQ(MatSumElem(Real("", 1, 3, {1e308, 1e308, -1e308})), 1e308);
  EXPECT_EQ(MatProdElem(Real("", 1, 3, {1e200, 1e200, 1e-200})), 1e200);
  // Squared deviations 1, 1, 4 x 2^-52: their sum 2 + 2^-50 over 8 has a
  // root just above 0.5 that rounds up; a double sum stops at 2, giving 0.5.
  const double b = std::ldexp(1.0, -26);
  const V spread{1, -1, b, -b, b, -b, 0, 0, 0};
  EXPECT_EQ(MatStdDevElem(Real("", 3, 3, spread)), std::nextafter(0.5, 1.0));
  V twice = spread;
  twice.insert(twice.end(), spread.begin(), spread.end());
  EXPECT_EQ(valuesOf(MatStdDev(Real("", 2, 9, twice), 0)), V(2, std::nextafter(0.5, 1.0)));
  // Running sums round each stored value once.
  EXPECT_EQ(valuesOf(MatCumSumElem(Real("", 1, 3, {1, kHalfUlp, kHalfUlp}))), (V{1, 1, 1 + 2 * kHalfUlp}));
}

TEST_F(ReduceTest, RowAndColumnShapes) {
  const struct {
    int rows, cols, mode, outRows, outCols;
  } cases[] = {
      {2, 3, 0, 2, 1}, {2, 3, 1, 1, 3}, {2, 3, 7, 2, 1}, {1, 3, 1, 1, 1}, {3, 1, 0, 1, 1}, {1, 0, 0, 0, 0},
      {0, 1, 1, 0, 0}, {0, 3, 0, 0, 0}, {0, 3, 1, 0, 3}, {3, 0, 0, 3, 0}, {3, 0, 1, 0, 0},
  };
  for (const auto& c : cases) {
    for (auto f : {MatSum, MatMean, MatStdDev, MatMax, MatMin, MatProd}) {
      SCOPED_TRACE(testing::Message() << c.rows << "x" << c.cols << " mode " << c.mode);
      ExpectShape(f(MatFillDef(c.rows, c.cols, 2.0), c.mode), c.outRows, c.outCols, MAT_REAL);
      if (c.rows * c.cols == 0) ExpectShape(f(C_MatDef("", c.rows, c.cols), c.mode), c.outRows, c.outCols, MAT_COMPLEX);
    }
    MatObjectTmpUndef();
  }
}

TEST_F(ReduceTest, RowAndColumnValues) {
  Matrix* m = Real("", 2, 3, {1, 2, 6, 4, 8, 3});
  EXPECT_EQ(valuesOf(MatSum(m, 0)), (V{9, 15}));
  EXPECT_EQ(valuesOf(MatMean(m, 1)), (V{2.5, 5, 4.5}));
  EXPECT_TRUE(SameBits(valuesOf(MatMax(Real("", 2, 3, {kNaN, 1, 2, 1, kNaN, 0}), 0)), {kNaN, 1}));
  // Complex: per part; extremes by squared modulus, first on ties.
  Matrix* z = Complex2("", 2, 2, {1, 1, 0, -2, 3, 0, 0, 3});
  EXPECT_EQ(valuesOf(MatSum(z, 1)), (V{4, 1, 0, 1}));
  EXPECT_EQ(valuesOf(MatProd(z, 0)), (V{2, -2, 0, 9}));
  EXPECT_EQ(valuesOf(MatMax(z, 0)), (V{0, -2, 3, 0}));
  // Standard deviation: a vector divides by n, rows of a matrix by n - 1.
  EXPECT_EQ(valuesOf(MatStdDev(Real("", 4, 1, {1, 2, 3, 4}), 1)), (V{std::sqrt(1.25)}));
  EXPECT_EQ(valuesOf(MatStdDev(Real("", 1, 1, {5}), 0)), (V{0}));
  const double h = std::sqrt(0.5);
  EXPECT_EQ(valuesOf(MatStdDev(Real("", 2, 4, {1, 2, 3, 4, 2, 2, 2, 5}), 1)), (V{h, 0, h, h}));
  Matrix* c = MatStdDev(Complex2("", 1, 2, {1, 1, -1, -1}), 0);  // real: |z - mean|^2
  ExpectShape(c, 1, 1, MAT_REAL);
  EXPECT_DOUBLE_EQ(MatReal(c)[0], std::sqrt(2.0));
}

TEST_F(ReduceTest, RunningSumsAndProducts) {
  EXPECT_EQ(valuesOf(MatCumSumElem(Real("", 2, 2, {1, 2, 3, 4}))), (V{1, 3, 6, 10}));
  EXPECT_EQ(valuesOf(MatCumProdElem(Complex2("", 1, 3, {0, 1, 0, 1, 2, 0}))), (V{0, 1, -1, 0, -2, 0}));
  // A complex infinity is carried as it is, not multiplied by (1, 0).
  EXPECT_EQ(valuesOf(MatCumProdElem(Complex2("", 1, 1, {kInf, 0}))), (V{kInf, 0}));
}

TEST_F(ReduceDeathTest, WrongClassesAreFatal) {
  Matrix* z = Complex2("Z", 2, 2, {1, 0, 2, 0, 3, 0, 4, 0});
  ExpectFatal({
      {[&] { MatSumElem(z); }, "sum(Z(2x2)) : Not a real matrix", "MatSumElem()"},
      {[] { MatSum(OfClass("P", 6), 0); }, "sum_row(P(1x1)) : Incorrect class matrix", "MatSum()"},
      // Other modes write no source description: the operand is described.
      {[] { MatMax(OfClass("P", MAT_POLY), 2); }, "Incorrect class matrix for 'P(1 x 1)'", "MatMax()"},
      {[] { MatCumProdElem(OfClass("X", 6)); }, "cumprod(X(1x1)) : Incorrect class matrix", "MatCumProdElem()"},
  });
}

}  // namespace
