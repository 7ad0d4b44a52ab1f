// Mixture statistics against values worked out by hand on one-dimensional
// two-component models.

#include "app/brovane.h"
#include "app/mixture.h"
#include "app_fixture.h"

namespace {

constexpr double kEps = 2.220446049250313e-16;

double phi(double z) { return std::exp(-0.5 * z * z) / std::sqrt(2.0 * M_PI); }

// A 3 x cols real matrix (D = 1 model or statistics block) from its rows.
Matrix* rows3(std::initializer_list<double> r1, std::initializer_list<double> r2, std::initializer_list<double> r3) {
  const int cols = static_cast<int>(r1.size());
  Matrix* m = MatZDef2(3, cols);
  int j = 1;
  for (double v : r1) MatSetValue(m, 1, j++, v);
  j = 1;
  for (double v : r2) MatSetValue(m, 2, j++, v);
  j = 1;
  for (double v : r3) MatSetValue(m, 3, j++, v);
  return m;
}

Matrix* row(std::initializer_list<double> values) {
  Matrix* m = MatZDef2(1, static_cast<int>(values.size()));
  int j = 1;
  for (double v : values) MatSetValue(m, 1, j++, v);
  return m;
}

class MixtureTest : public AppTest {};

TEST_F(MixtureTest, GaussianDensityAtHandValues) {
  EXPECT_NEAR(gcprob(0, 1, 0), 1 / std::sqrt(2 * M_PI), 4 * kEps);
  EXPECT_NEAR(gcprob(1, 4, 3), std::exp(-0.5) / std::sqrt(8 * M_PI), 4 * kEps);
  EXPECT_EQ(gcprob(0, 1, 1e6), 0.0);   // underflows, no report
}

TEST_F(MixtureTest, EStepStatisticsAndSkippedSample) {
  // Means 0 and 2, unit variances, equal weights. x = 1 sits midway; x = -1
  // favours component 1 by e^4; x = 1e6 is far from both and is skipped.
  Matrix* model = rows3({0.5, 0.5}, {0, 2}, {1, 1});
  List* result = getss(model, row({1, -1, 1e6}));
  ASSERT_EQ(result->length, 2);
  EXPECT_EQ(ListGetClass(result, 1), LIST_MATRIX);
  EXPECT_EQ(ListGetClass(result, 2), LIST_REAL);
  Matrix* ss = static_cast<Matrix*>(ListGetElementP(result, 1, LIST_MATRIX));
  ASSERT_EQ(ss->rows, 3);
  ASSERT_EQ(ss->cols, 2);

  const double g1 = 1 / (1 + std::exp(-4.0));   // posterior of component 1 at x = -1
  const double expected[3][2] = {{0.5 + g1, 0.5 + (1 - g1)},
                                 {0.5 - g1, 0.5 - (1 - g1)},
                                 {0.5 + g1, 0.5 + (1 - g1)}};
  for (int i = 1; i <= 3; i++)
    for (int j = 1; j <= 2; j++) EXPECT_NEAR(MatGetValue(ss, i, j), expected[i - 1][j - 1], 8 * kEps) << i << "," << j;

  const double ll = std::log(phi(1)) + std::log(0.5 * phi(1) + 0.5 * phi(3));
  EXPECT_NEAR(*static_cast<double*>(ListGetElementP(result, 2, LIST_REAL)), ll, 16 * kEps);
}

TEST_F(MixtureTest, EStepStopsOnABadJointProbability) {
  Matrix* negative = rows3({-0.5, 0.5}, {0, 2}, {1, 1});
  EXPECT_EXIT(getss(negative, row({1})), ::testing::ExitedWithCode(1),
              "^ERROR: Observation and mix 1 joint Prob is out of range : -1\\.2[0-9]*e-01\n$");
  Matrix* notANumber = rows3({0.5, 0.5}, {0, NAN}, {1, 1});
  EXPECT_EXIT(getss(notANumber, row({1})), ::testing::ExitedWithCode(1),
              "^ERROR: Observation and mix 2 joint Prob is out of range : -?nan\n$");
}

TEST_F(MixtureTest, MStepRepairsAndFloors) {
  // Two blocks of statistics: component 1 gathers count 4, sum 6, square
  // sum 12 (mean 1.5, variance 0.75); component 2 nothing at all.
  Matrix* stacked = MatCatColumn(rows3({2, 0}, {4, 0}, {10, 0}), rows3({2, 0}, {2, 0}, {2, 0}));
  Matrix* model = getmodel(stacked, 1);
  const double total = 4 + 1.0e-20;
  EXPECT_EQ(MatGetValue(model, 1, 1), 4 / total);
  EXPECT_EQ(MatGetValue(model, 2, 1), 1.5);
  EXPECT_EQ(MatGetValue(model, 3, 1), 0.75);
  EXPECT_EQ(MatGetValue(model, 1, 2), 1.0e-5);   // weight floor
  EXPECT_EQ(MatGetValue(model, 2, 2), 0.0);
  EXPECT_EQ(MatGetValue(model, 3, 2), 1.0e-5);   // variance floor

  // The stack gives the model of its summed block, bit for bit.
  Matrix* single = getmodel(rows3({4, 0}, {6, 0}, {12, 0}), 1);
  for (int i = 1; i <= 3; i++)
    for (int j = 1; j <= 2; j++) EXPECT_EQ(MatGetValue(single, i, j), MatGetValue(model, i, j));

  // A variance that comes out negative is floored too; weights are not
  // normalised again, so they may sum past 1.
  Matrix* negative = getmodel(rows3({1, 1.0e-7}, {1, 0}, {0.5, 0}), 1);
  EXPECT_EQ(MatGetValue(negative, 3, 1), 1.0e-5);
  EXPECT_EQ(MatGetValue(negative, 1, 2), 1.0e-5);
  EXPECT_GT(MatGetValue(negative, 1, 1) + MatGetValue(negative, 1, 2), 1.0);
}

TEST_F(MixtureTest, WarningsOnlyAboveLevelZero) {
  Matrix* empty = rows3({1, 0}, {0, 0}, {1, 0});
  ::testing::internal::CaptureStderr();
  getmodel(empty, 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

  warnlv = 1;
  ::testing::internal::CaptureStderr();
  getmodel(empty, 1);
  evalm(rows3({1}, {0}, {1}), row({1e6}));
  warnlv = 0;
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "WARN: mix 2 observation count is out of range in model estimation.\n"
            "      SS values: count 0.000000e+00, sum 0.000000e+00, sqsum 0.000000e+00\n"
            "WARN: observation prob is out of range : prob 0.000000e+00 ll 0.000000e+00 \n");
}

TEST_F(MixtureTest, ScoreIsTheMeanOverCountedSamples) {
  Matrix* model = rows3({1}, {0}, {1});
  // x = 1e6 has probability 0 and is left out of the average.
  EXPECT_NEAR(evalm(model, row({0, 1e6, 2})), (std::log(phi(0)) + std::log(phi(2))) / 2, 8 * kEps);
  EXPECT_TRUE(std::isnan(evalm(model, MatZDef2(1, 0))));
}

}  // namespace
