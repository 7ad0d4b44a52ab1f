// The three training variants on one small data set: what they share at
// the first iteration and which model scores which subset.

#include "app/training.h"
#include "app/brovane.h"
#include "app/mixture.h"
#include "app_fixture.h"

namespace {

struct Outcome {
  double estep;  // llresults(1, 1), per ensemble model
  double scores[2];  // llresults(2..3, 2)
  Matrix* model;  // the general model after the last iteration (local)
};

class TrainingTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    srandn(5);
    // Two-dimensional data around two centres; 12 training, 30 test samples.
    train_ = MatSetType(MatNormalRand(2, 12), 1);
    test_ = MatSetType(MatNormalRand(2, 30), 1);
    for (int n = 1; n <= 6; n++) MatSetValue(train_, 1, n, MatGetValue(train_, 1, n) + 4.0);
    for (int n = 1; n <= 15; n++) MatSetValue(test_, 1, n, MatGetValue(test_, 1, n) + 4.0);
    // Rows: weights, then mean and variance of each dimension.
    const double w = 1.0 / 3;
    model0_ = MatSetType(vorn_values::Real("", 5, 3, {w, w, w, -1, 1, 3, 2, 2, 2, 0, 0.5, -0.5, 2, 2, 2}), 1);
  }
  void TearDown() override {
    MatMultiUndefs(3, train_, test_, model0_);
    AppTest::TearDown();
  }

  Outcome run(int niter, int nlot, int nsel, int enss, int mode) {
    MatAssign(llresults, MatZDef2(3, niter + 1));
    Matrix* model = MatSetType(MatDef("", 0, 0), 1);
    MatAssign(model, trainGMM(model0_, train_, test_, niter, nlot, nsel, enss, mode));
    return {MatGetValue(llresults, 1, 1) / (mode == BROVANE_MODE_AG ? enss : 1),
            {MatGetValue(llresults, 2, niter + 1), MatGetValue(llresults, 3, niter + 1)},
            model};
  }

  Matrix *train_ = nullptr, *test_ = nullptr, *model0_ = nullptr;
};

TEST_F(TrainingTest, NoIterationScoresTheInitialModelOnly) {
  const Outcome o = run(0, 4, 4, 4, BROVANE_MODE_EM);
  EXPECT_TRUE(llresults->cols == 1 && MatGetValue(llresults, 1, 1) == 0.0);
  EXPECT_TRUE(o.scores[0] == evalm(model0_, train_) && o.scores[1] == evalm(model0_, test_));
  EXPECT_EQ(vorn_values::valuesOf(o.model), vorn_values::valuesOf(model0_));
  MatUndef(o.model);
}

TEST_F(TrainingTest, FirstIterationAgreesAcrossModes) {
  // Every auxiliary model starts as the initial model: em and cv agree
  // exactly; ag averages enss equal statistics, which rounds.
  const Outcome em = run(1, 4, 4, 4, BROVANE_MODE_EM);
  const Outcome cv = run(1, 4, 3, 4, BROVANE_MODE_CV);
  const Outcome ag = run(1, 4, 2, 3, BROVANE_MODE_AG);
  EXPECT_EQ(cv.estep, em.estep);
  EXPECT_NEAR(ag.estep, em.estep, 1e-13 * std::fabs(em.estep));
  for (int k = 0; k < 2; k++) {
    EXPECT_EQ(cv.scores[k], em.scores[k]);
    EXPECT_NEAR(ag.scores[k], em.scores[k], 1e-12 * std::fabs(em.scores[k]));
  }
  EXPECT_EQ(vorn_values::valuesOf(cv.model), vorn_values::valuesOf(em.model));
  for (int k = 1; k <= 15; k++) {
    const double want = MatGetVecValue(em.model, k);
    EXPECT_NEAR(MatGetVecValue(ag.model, k), want, 1e-12 + 1e-12 * std::fabs(want));
  }
  MatMultiUndefs(3, em.model, cv.model, ag.model);
}

TEST_F(TrainingTest, CrossValidationScoresEachSubsetWithTheOtherOnesModel) {
  MatUndef(run(2, 2, 1, 2, BROVANE_MODE_CV).model);
  const double estep2 = MatGetValue(llresults, 1, 2);

  // By hand: the statistics of each half under the initial model, each
  // half's model from the other half's statistics, then the cross scores.
  double expected = 0.0;
  Matrix* half[2] = {MatSetType(MatCut(train_, 1, 1, 2, 6), 1), MatSetType(MatCut(train_, 1, 7, 2, 12), 1)};
  for (int l = 0; l < 2; l++) {
    List* other = getss(model0_, half[1 - l]);
    Matrix* model = getmodel(static_cast<Matrix*>(ListGetElementP(other, 1, LIST_MATRIX)), 2);
    expected += *static_cast<double*>(ListGetElementP(getss(model, half[l]), 2, LIST_REAL));
    MatObjectTmpUndef();
  }
  EXPECT_EQ(estep2, expected);
  MatMultiUndefs(2, half[0], half[1]);
}

}  // namespace
