// Mixture statistics against values worked out by hand on one-dimensional
// two-component models.

#include "app/mixture.h"
#include "app/brovane.h"
#include "app_fixture.h"

namespace {

constexpr double kEps = 2.220446049250313e-16;

double phi(double z) { return std::exp(-0.5 * z * z) / std::sqrt(2.0 * M_PI); }

using vorn_values::Row;
using vorn_values::V;
using vorn_values::valuesOf;

// A D = 1 model or statistics block: rows weight, mean (sum), variance (square sum).
Matrix* Three(const V& rowMajor) { return vorn_values::Real("", 3, static_cast<int>(rowMajor.size()) / 3, rowMajor); }
double at(Matrix* m, int i, int j) { return MatGetValue(m, i, j); }

class MixtureTest : public AppTest {};

TEST_F(MixtureTest, GaussianDensityAtHandValues) {
  EXPECT_NEAR(gcprob(0, 1, 0), 1 / std::sqrt(2 * M_PI), 4 * kEps);
  EXPECT_NEAR(gcprob(1, 4, 3), std::exp(-0.5) / std::sqrt(8 * M_PI), 4 * kEps);
  EXPECT_EQ(gcprob(0, 1, 1e6), 0.0);  // underflows, no report
}

TEST_F(MixtureTest, EStepStatisticsAndSkippedSample) {
  // Means 0 and 2, unit variances, equal weights. x = 1 sits midway; x = -1
  // favours component 1 by e^4; x = 1e6 is far from both and is skipped.
  List* result = getss(Three({0.5, 0.5, 0, 2, 1, 1}), Row({1, -1, 1e6}));
  ASSERT_TRUE(result->length == 2 && ListGetClass(result, 1) == LIST_MATRIX && ListGetClass(result, 2) == LIST_REAL);
  Matrix* ss = static_cast<Matrix*>(ListGetElementP(result, 1, LIST_MATRIX));
  ASSERT_TRUE(ss->rows == 3 && ss->cols == 2);
  const double g1 = 1 / (1 + std::exp(-4.0));  // posterior of component 1 at x = -1
  const V expected{0.5 + g1, 0.5 + (1 - g1), 0.5 - g1, 0.5 - (1 - g1), 0.5 + g1, 0.5 + (1 - g1)};
  for (int k = 0; k < 6; k++) EXPECT_NEAR(MatReal(ss)[k], expected[k], 8 * kEps) << k;

  const double ll = std::log(phi(1)) + std::log(0.5 * phi(1) + 0.5 * phi(3));
  EXPECT_NEAR(*static_cast<double*>(ListGetElementP(result, 2, LIST_REAL)), ll, 16 * kEps);
}

TEST_F(MixtureTest, EStepStopsOnABadJointProbability) {
  EXPECT_EXIT(getss(Three({-0.5, 0.5, 0, 2, 1, 1}), Row({1})), ::testing::ExitedWithCode(1),
              "^ERROR: Observation and mix 1 joint Prob is out of range : -1\\.2[0-9]*e-01\n$");
  EXPECT_EXIT(getss(Three({0.5, 0.5, 0, NAN, 1, 1}), Row({1})), ::testing::ExitedWithCode(1),
              "^ERROR: Observation and mix 2 joint Prob is out of range : -?nan\n$");
}

TEST_F(MixtureTest, MStepRepairsAndFloors) {
  // Two blocks of statistics: component 1 gathers count 4, sum 6, square
  // sum 12 (mean 1.5, variance 0.75); component 2 nothing at all.
  // The weight and variance floors are 1e-5.
  Matrix* model = getmodel(MatCatColumn(Three({2, 0, 4, 0, 10, 0}), Three({2, 0, 2, 0, 2, 0})), 1);
  EXPECT_EQ(valuesOf(model), (V{4 / (4 + 1.0e-20), 1.0e-5, 1.5, 0.0, 0.75, 1.0e-5}));
  // The stack gives the model of its summed block, bit for bit.
  EXPECT_EQ(valuesOf(getmodel(Three({4, 0, 6, 0, 12, 0}), 1)), valuesOf(model));

  // A variance that comes out negative is floored too; weights are not
  // normalised again, so they may sum past 1.
  Matrix* negative = getmodel(Three({1, 1.0e-7, 1, 0, 0.5, 0}), 1);
  EXPECT_TRUE(at(negative, 3, 1) == 1.0e-5 && at(negative, 1, 2) == 1.0e-5);
  EXPECT_GT(at(negative, 1, 1) + at(negative, 1, 2), 1.0);
}

TEST_F(MixtureTest, WarningsOnlyAboveLevelZero) {
  Matrix* empty = Three({1, 0, 0, 0, 1, 0});
  EXPECT_EQ(StderrOf([&] { getmodel(empty, 1); }), "");
  warnlv = 1;
  const std::string err = StderrOf([&] {
    getmodel(empty, 1);
    evalm(Three({1, 0, 1}), Row({1e6}));
  });
  warnlv = 0;
  EXPECT_EQ(err,
            "WARN: mix 2 observation count is out of range in model estimation.\n"
            "      SS values: count 0.000000e+00, sum 0.000000e+00, sqsum 0.000000e+00\n"
            "WARN: observation prob is out of range : prob 0.000000e+00 ll 0.000000e+00 \n");
}

TEST_F(MixtureTest, ScoreIsTheMeanOverCountedSamples) {
  Matrix* model = Three({1, 0, 1});
  // x = 1e6 has probability 0 and is left out of the average.
  EXPECT_NEAR(evalm(model, Row({0, 1e6, 2})), (std::log(phi(0)) + std::log(phi(2))) / 2, 8 * kEps);
  EXPECT_TRUE(std::isnan(evalm(model, MatZDef2(1, 0))));
}

}  // namespace
