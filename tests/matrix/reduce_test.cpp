// Reductions: whole-matrix values, per-row and per-column shapes, the
// population and sample forms of the standard deviation, extremes and NaN,
// running sums and products, and the extended-precision accumulation.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "matrix_test_util.h"
#include "support/vorn_test.h"

namespace {

using ReduceTest = VornTest;
using ReduceDeathTest = VornTest;

using V = std::vector<double>;
const ::testing::ExitedWithCode kFatal(255);
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const double kTiny = std::ldexp(1.0, -53);   // half an ulp of 1.0

Matrix* Real(const char* name, int rows, int cols, const V& values) {
  Matrix* m = MatDef(name, rows, cols);
  for (size_t k = 0; k < values.size(); k++) MatReal(m)[k] = values[k];
  return m;
}

Matrix* Complex2(const char* name, int rows, int cols, const V& values) {
  Matrix* m = C_MatDef(name, rows, cols);
  for (size_t k = 0; k < values.size(); k++) MatReal(m)[k] = values[k];
  return m;
}

V valuesOf(const Matrix* m) {
  const size_t n = static_cast<size_t>(m->rows) * m->cols * (m->class_ == MAT_COMPLEX ? 2 : 1);
  return V(MatReal(m), MatReal(m) + n);
}

void expectShape(const Matrix* m, int rows, int cols, int class_) {
  EXPECT_EQ(m->rows, rows);
  EXPECT_EQ(m->cols, cols);
  EXPECT_EQ(m->class_, class_);
}

Matrix* OfClass(const char* name, int class_) { return MatSetClass(MatDef(name, 1, 1), class_); }

// A plain double sum, to show where the long double accumulator differs.
double doubleSum(const V& v) {
  double s = 0.0;
  for (double x : v) s = s + x;
  return s;
}

using RowMember = Matrix* (*)(Matrix*, int);

// ---------------------------------------------------------------------------
// Whole real matrix.

TEST_F(ReduceTest, WholeMatrixValues) {
  Matrix* m = Real("", 2, 2, {1, 2, 3, 4});
  EXPECT_EQ(MatSumElem(m), 10.0);
  EXPECT_EQ(MatMeanElem(m), 2.5);
  EXPECT_DOUBLE_EQ(MatStdDevElem(m), std::sqrt(5.0 / 3.0));
  EXPECT_EQ(MatProdElem(m), 24.0);
  EXPECT_EQ(MatMaxElem(m), 4.0);
  EXPECT_EQ(MatMinElem(m), 1.0);
  // One element: 0/0. Empty: every reduction is 0.0, the product too.
  EXPECT_TRUE(std::isnan(MatStdDevElem(Real("", 1, 1, {7}))));
  Matrix* empty = MatDef("", 0, 0);
  int i = -1, j = -1;
  for (double v : {MatSumElem(empty), MatMeanElem(empty), MatStdDevElem(empty), MatProdElem(empty),
                   MatMaxElem(empty), MatMinElem(empty), MatMaximumElem(empty, &i, &j)})
    EXPECT_EQ(v, 0.0);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(j, 0);
}

TEST_F(ReduceTest, ExtremesTakeTheFirstOccurrenceAndPassOverNaN) {
  int i = 0, j = 0;
  Matrix* m = Real("", 2, 3, {1, 5, 9, 9, -2, -2});
  EXPECT_EQ(MatMaximumElem(m, &i, &j), 9.0);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(j, 3);
  EXPECT_EQ(MatMinimumElem(m, &i, &j), -2.0);
  EXPECT_EQ(i, 2);
  EXPECT_EQ(j, 2);
  // A NaN is never taken up, unless it comes first.
  Matrix* later = Real("", 1, 3, {2, kNaN, 3});
  EXPECT_EQ(MatMaxElem(later), 3.0);
  EXPECT_EQ(MatMinElem(later), 2.0);
  Matrix* first = Real("", 1, 3, {kNaN, 2, 3});
  EXPECT_TRUE(std::isnan(MatMaxElem(first)));
  EXPECT_TRUE(std::isnan(MatMinimumElem(first, &i, &j)));
  EXPECT_EQ(j, 1);
}

// Each sum below is exact in a 64-bit significand and lost in a double.
TEST_F(ReduceTest, AccumulationIsInExtendedPrecision) {
  const V ones{1.0, kTiny, kTiny};
  ASSERT_EQ(doubleSum(ones), 1.0);
  EXPECT_EQ(MatSumElem(Real("", 1, 3, ones)), 1.0 + 2 * kTiny);
  EXPECT_EQ(MatMeanElem(Real("", 2, 2, {1.0, kTiny, kTiny, 0.0})), 0.25 + kTiny / 2);
  // Beyond the double range on the way.
  EXPECT_EQ(MatSumElem(Real("", 1, 3, {1e308, 1e308, -1e308})), 1e308);
  EXPECT_EQ(MatProdElem(Real("", 1, 3, {1e200, 1e200, 1e-200})), 1e200);
  // Squared deviations 1, 1, 4 x 2^-52 and 0: the sum 2 + 2^-50 over 8 has
  // a root just above 0.5 that rounds up to the next double; a double sum
  // stops at 2 and gives exactly 0.5.
  const double b = std::ldexp(1.0, -26);
  const V spread{1, -1, b, -b, b, -b, 0, 0, 0};
  EXPECT_EQ(MatStdDevElem(Real("", 3, 3, spread)), std::nextafter(0.5, 1.0));
  Matrix* twoRows = Real("", 2, 9, spread);
  for (int k = 0; k < 9; k++) MatReal(twoRows)[9 + k] = spread[k];
  EXPECT_EQ(valuesOf(MatStdDev(twoRows, 0)), V(2, std::nextafter(0.5, 1.0)));
  // Running sums round each stored value once.
  EXPECT_EQ(valuesOf(MatCumSumElem(Real("", 1, 3, ones))), (V{1.0, 1.0, 1.0 + 2 * kTiny}));
  EXPECT_EQ(valuesOf(MatSum(Complex2("", 1, 3, {1.0, 1.0, kTiny, kTiny, kTiny, kTiny}), 0)),
            (V{1.0 + 2 * kTiny, 1.0 + 2 * kTiny}));
}

// ---------------------------------------------------------------------------
// Each row or column.

TEST_F(ReduceTest, RowAndColumnShapes) {
  struct Case {
    int rows, cols, mode, outRows, outCols;
  };
  const Case cases[] = {
      {2, 3, 0, 2, 1}, {2, 3, 1, 1, 3}, {2, 3, 7, 2, 1},   // any mode but 1 reduces rows
      {1, 3, 0, 1, 1}, {1, 3, 1, 1, 1}, {3, 1, 0, 1, 1}, {3, 1, 1, 1, 1},
      {1, 0, 0, 0, 0}, {0, 1, 1, 0, 0}, {0, 3, 0, 0, 0}, {0, 3, 1, 0, 3},
      {3, 0, 0, 3, 0}, {3, 0, 1, 0, 0}, {0, 0, 0, 0, 0},
  };
  const RowMember members[] = {MatSum, MatMean, MatStdDev, MatMax, MatMin, MatProd};
  for (const Case& c : cases) {
    for (RowMember f : members) {
      SCOPED_TRACE(testing::Message() << c.rows << "x" << c.cols << " mode " << c.mode);
      Matrix* m = MatFillDef(c.rows, c.cols, 2.0);
      expectShape(f(m, c.mode), c.outRows, c.outCols, MAT_REAL);
      // An empty complex operand gives an empty complex result.
      if (c.rows == 0 || c.cols == 0) expectShape(f(C_MatDef("", c.rows, c.cols), c.mode), c.outRows, c.outCols, MAT_COMPLEX);
    }
    MatObjectTmpUndef();
  }
}

TEST_F(ReduceTest, RowAndColumnValues) {
  Matrix* m = Real("", 2, 3, {1, 2, 6, 4, 8, 3});
  EXPECT_EQ(valuesOf(MatSum(m, 0)), (V{9, 15}));
  EXPECT_EQ(valuesOf(MatSum(m, 1)), (V{5, 10, 9}));
  EXPECT_EQ(valuesOf(MatMean(m, 0)), (V{3, 5}));
  EXPECT_EQ(valuesOf(MatMean(m, 1)), (V{2.5, 5, 4.5}));
  EXPECT_EQ(valuesOf(MatProd(m, 1)), (V{4, 16, 18}));
  EXPECT_EQ(valuesOf(MatMax(m, 0)), (V{6, 8}));
  EXPECT_EQ(valuesOf(MatMin(m, 1)), (V{1, 2, 3}));
  EXPECT_EQ(valuesOf(MatSum(Real("", 1, 3, {1, 2, 3}), 1)), (V{6}));
  // Complex: sums per part, extremes by squared modulus (first on ties).
  Matrix* z = Complex2("", 2, 2, {1, 1, 0, -2, 3, 0, 0, 3});
  EXPECT_EQ(valuesOf(MatSum(z, 1)), (V{4, 1, 0, 1}));
  EXPECT_EQ(valuesOf(MatMean(z, 0)), (V{0.5, -0.5, 1.5, 1.5}));
  EXPECT_EQ(valuesOf(MatProd(z, 0)), (V{2, -2, 0, 9}));
  EXPECT_EQ(valuesOf(MatMax(z, 0)), (V{0, -2, 3, 0}));
  EXPECT_EQ(valuesOf(MatMin(z, 1)), (V{1, 1, 0, -2}));
  // NaN rules of the running extremes, per row.
  Matrix* n = Real("", 2, 3, {kNaN, 1, 2, 1, kNaN, 0});
  const V max = valuesOf(MatMax(n, 0));
  EXPECT_TRUE(std::isnan(max[0]));
  EXPECT_EQ(max[1], 1.0);
  EXPECT_EQ(valuesOf(MatMin(n, 1))[2], 0.0);
}

TEST_F(ReduceTest, StandardDeviationDividesVectorsByNAndRowsByNMinusOne) {
  EXPECT_EQ(valuesOf(MatStdDev(Real("", 1, 4, {1, 2, 3, 4}), 0)), (V{std::sqrt(1.25)}));
  EXPECT_EQ(valuesOf(MatStdDev(Real("", 4, 1, {1, 2, 3, 4}), 1)), (V{std::sqrt(1.25)}));
  EXPECT_EQ(valuesOf(MatStdDev(Real("", 1, 1, {5}), 0)), (V{0.0}));
  Matrix* m = Real("", 2, 4, {1, 2, 3, 4, 2, 2, 2, 2});
  const V rows = valuesOf(MatStdDev(m, 0));
  EXPECT_DOUBLE_EQ(rows[0], std::sqrt(5.0 / 3.0));
  EXPECT_EQ(rows[1], 0.0);
  EXPECT_EQ(valuesOf(MatStdDev(m, 1)), (V{std::sqrt(0.5), 0, std::sqrt(0.5), std::sqrt(2.0)}));
  // Complex: the real root of the mean squared modulus of the deviations.
  Matrix* s = MatStdDev(Complex2("", 1, 2, {1, 1, -1, -1}), 0);
  expectShape(s, 1, 1, MAT_REAL);
  EXPECT_DOUBLE_EQ(MatReal(s)[0], std::sqrt(2.0));
}

TEST_F(ReduceTest, MaximumAndMinimumReplaceTheIndexWithPositions) {
  Matrix* index = MatSetType(MatDef("ix", 0, 0), 1);
  Matrix* m = Real("", 2, 3, {1, 9, 9, 4, -1, 4});
  EXPECT_EQ(valuesOf(MatMaximum(m, index, 0)), (V{9, 4}));
  expectShape(index, 2, 1, MAT_REAL);
  EXPECT_EQ(valuesOf(index), (V{2, 1}));
  EXPECT_EQ(valuesOf(MatMinimum(m, index, 1)), (V{1, -1, 4}));
  EXPECT_EQ(valuesOf(index), (V{1, 2, 2}));
  EXPECT_EQ(valuesOf(MatMaximum(Real("", 4, 1, {0, 3, 3, 2}), index, 0)), (V{3}));
  EXPECT_EQ(valuesOf(index), (V{2}));
  EXPECT_EQ(index->type, 1);
  EXPECT_STREQ(index->name, "ix");
  MatMinimum(MatDef("", 0, 4), index, 1);
  expectShape(index, 0, 4, MAT_REAL);
  MatUndef(index);
}

TEST_F(ReduceTest, RunningSumsAndProducts) {
  Matrix* m = Real("", 2, 2, {1, 2, 3, 4});
  Matrix* s = MatCumSumElem(m);
  expectShape(s, 2, 2, MAT_REAL);
  EXPECT_EQ(valuesOf(s), (V{1, 3, 6, 10}));
  EXPECT_EQ(valuesOf(MatCumProdElem(m)), (V{1, 2, 6, 24}));
  Matrix* z = Complex2("", 1, 3, {0, 1, 0, 1, 2, 0});
  EXPECT_EQ(valuesOf(MatCumSumElem(z)), (V{0, 1, 0, 2, 2, 2}));
  EXPECT_EQ(valuesOf(MatCumProdElem(z)), (V{0, 1, -1, 0, -2, 0}));
  // A complex infinity is carried as it is, not through a product with 1.
  EXPECT_EQ(valuesOf(MatCumProdElem(Complex2("", 1, 1, {kInf, 0}))), (V{kInf, 0}));
  expectShape(MatCumSumElem(MatDef("", 0, 2)), 0, 2, MAT_REAL);
  expectShape(MatCumProdElem(C_MatDef("", 3, 0)), 3, 0, MAT_COMPLEX);
}

TEST_F(ReduceDeathTest, WrongClassesAreFatal) {
  Matrix* z = Complex2("Z", 2, 2, {1, 0, 2, 0, 3, 0, 4, 0});
  EXPECT_EXIT(MatSumElem(z), kFatal, ReportLine("sum(Z(2x2)) : Not a real matrix", "MatSumElem()"));
  EXPECT_EXIT(MatStdDevElem(z), kFatal,
              ReportLine("std(Z(2x2)) : Not a real matrix", "MatStdDevElem()"));
  EXPECT_EXIT(MatMinimumElem(z, nullptr, nullptr), kFatal,
              ReportLine("minimum(Z(2x2)) : Not a real matrix", "MatMinimumElem()"));
  EXPECT_EXIT(MatSum(OfClass("P", MAT_POLY), 0), kFatal,
              ReportLine("sum_row(P(1x1)) : Incorrect class matrix", "MatSum()"));
  EXPECT_EXIT(MatMean(OfClass("", MAT_C_RATIONAL), 1), kFatal,
              ReportLine("mean_col((1x1)) : Incorrect class matrix", "MatMean()"));
  EXPECT_EXIT(MatStdDev(OfClass("P", MAT_POLY), 1), kFatal,
              ReportLine("std_col(P(1x1)) : Incorrect class matrix", "MatStdDev()"));
  // Other modes write no source description: the operand is described.
  EXPECT_EXIT(MatMax(OfClass("P", MAT_POLY), 2), kFatal,
              ReportLine("Incorrect class matrix for 'P(1 x 1)'", "MatMax()"));
  EXPECT_EXIT(MatProd(OfClass("X", 6), 0), kFatal,
              ReportLine("prod_row(X(1x1)) : Incorrect class matrix", "MatProd()"));
  EXPECT_EXIT(MatCumSumElem(OfClass("X", 6)), kFatal,
              ReportLine("cumsum(X(1x1)) : Incorrect class matrix", "MatCumSumElem()"));
  EXPECT_EXIT(MatCumProdElem(OfClass("P", MAT_POLY)), kFatal,
              ReportLine("cumprod(P(1x1)) : Incorrect class matrix", "MatCumProdElem()"));
}

}  // namespace
