// The density kernel of getss and evalm against the plain product of
// gcprob factors, bit for bit, over random models seeded with NaN,
// infinities, zero, negative, subnormal and huge variances; and the two
// routines against their general path (taken when warnlv > 0).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/brovane.h"
#include "app/mixture.h"
#include "app/mixture_kernel.h"
#include "app_fixture.h"

namespace {

constexpr int kD = 4;
constexpr int kM = 8;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The sign and payload of a NaN made from two NaNs depend on the order in
// which the compiler places the operands of one multiplication: any NaN
// matches any NaN.
bool sameValue(double a, double b) { return sameBits(a, b) || (std::isnan(a) && std::isnan(b)); }

// The joint density as gcprob defines it: every factor, in dimension order.
double plainJoint(Matrix* model, int m, const double* x) {
  double p = 1.0;
  for (int d = 0; d < kD; d++) p = p * gcprob(MatGetValue(model, 2 * d + 2, m + 1), MatGetValue(model, 2 * d + 3, m + 1), x[d]);
  return p;
}

// Random models and samples; a share of the entries drawn from the values
// every shortcut has to respect.
class Draw {
 public:
  explicit Draw(unsigned seed, double specialShare) : rng_(seed), share_(specialShare) {}

  double mean() { return pick(kMeans, std::normal_distribution<double>(0.0, 25.0)(rng_)); }
  double variance() { return pick(kVariances, std::uniform_real_distribution<double>(0.01, 1.0)(rng_)); }
  double value(double around) { return pick(kValues, around + std::normal_distribution<double>(0.0, 2.0)(rng_)); }
  int index(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

 private:
  template <size_t N>
  double pick(const double (&specials)[N], double ordinary) {
    if (std::uniform_real_distribution<double>(0.0, 1.0)(rng_) >= share_) return ordinary;
    return specials[std::uniform_int_distribution<size_t>(0, N - 1)(rng_)];
  }
  static constexpr double kInf = HUGE_VAL;
  static constexpr double kMeans[] = {0.0, -0.0, kInf, -kInf, NAN, 1e300, -1e300, 1e160, 4.9e-324};
  static constexpr double kVariances[] = {0.0,    -0.0,    -1.0,   NAN,         kInf,         4.9e-324,
                                          1e-320, 1e-300, 1e-5,   0x1p-1000,   0x1.fffffffffffffp-1001,
                                          1e300,  0x1p1000, 0x1.0000000000001p1000, 1.7e308};
  static constexpr double kValues[] = {kInf, -kInf, NAN, 1e300, -1e300, 1.5e154, 0.0, -0.0};
  std::mt19937 rng_;
  double share_;
};

Matrix* randomModel(Draw& draw) {
  Matrix* model = MatZDef2(2 * kD + 1, kM);
  for (int m = 1; m <= kM; m++) {
    MatSetValue(model, 1, m, 1.0 / kM);
    for (int d = 1; d <= kD; d++) {
      MatSetValue(model, 2 * d, m, draw.mean());
      MatSetValue(model, 2 * d + 1, m, draw.variance());
    }
  }
  return model;
}

class MixtureKernelTest : public AppTest {};

TEST_F(MixtureKernelTest, JointDensityIsThePlainProductBitForBit) {
  struct Case {
    double specialShare;   // how often an entry is a special value
    int models;
    int zerosAtLeast;      // exact zeros the shortcuts must have met
  };
  const Case cases[] = {{0.0, 400, 20000}, {0.05, 1500, 10000}, {0.4, 1500, 1000}};
  for (const Case& c : cases) {
    Draw draw(static_cast<unsigned>(c.models), c.specialShare);
    int zeros = 0;
    for (int trial = 0; trial < c.models; trial++) {
      Matrix* model = randomModel(draw);
      const brovane_kernel::MixtureKernel kernel(model, kD);
      for (int s = 0; s < 40; s++) {
        // Samples near one component's means, as the training data lie.
        const int near = draw.index(kM) + 1;
        double x[kD];
        bool finite = true;
        for (int d = 0; d < kD; d++) {
          x[d] = draw.value(std::isfinite(MatGetValue(model, 2 * d + 2, near)) ? MatGetValue(model, 2 * d + 2, near) : 0.0);
          finite = finite && std::isfinite(x[d]);
        }
        for (int m = 0; m < kM; m++) {
          const double expected = plainJoint(model, m, x);
          const double got = kernel.joint(m, x, finite);
          ASSERT_TRUE(sameValue(got, expected))
              << "share " << c.specialShare << " trial " << trial << " component " << m << ": " << got << " vs "
              << expected;
          zeros += expected == 0.0;
        }
      }
      MatObjectTmpUndef();
    }
    EXPECT_GE(zeros, c.zerosAtLeast) << "share " << c.specialShare;
  }
}

// getss and evalm through the kernel and through the general path give the
// same bits: random models and data whose joint probabilities stay finite,
// with samples far from every component and zero posteriors among them.
TEST_F(MixtureKernelTest, RoutinesMatchTheirGeneralPath) {
  std::mt19937 rng(13);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 60; trial++) {
    Matrix* model = MatZDef2(2 * kD + 1, kM);
    for (int m = 1; m <= kM; m++) {
      MatSetValue(model, 1, m, trial % 5 == 0 && m == 3 ? 0.0 : unit(rng));
      for (int d = 1; d <= kD; d++) {
        MatSetValue(model, 2 * d, m, (unit(rng) - 0.5) * 50.0);
        MatSetValue(model, 2 * d + 1, m, trial % 7 == 0 && m == 2 ? 1e-5 : unit(rng) + 1e-3);
      }
    }
    const int N = 50;
    Matrix* data = MatZDef2(kD, N);
    for (int n = 1; n <= N; n++) {
      const int m = static_cast<int>(unit(rng) * kM) + 1;
      for (int d = 1; d <= kD; d++) {
        double v = MatGetValue(model, 2 * d, m) + (unit(rng) - 0.5) * 6.0;
        if (n % 17 == 0) v = 1e6;    // far from everything: skipped
        if (n % 23 == 0) v = 1e200;  // its square overflows
        MatSetValue(data, d, n, v);
      }
    }

    List* fast = getss(model, data);
    const double fastScore = evalm(model, data);
    warnlv = 1;
    List* general = nullptr;
    double generalScore = 0.0;
    StderrOf([&] {
      general = getss(model, data);
      generalScore = evalm(model, data);
    });
    warnlv = 0;

    Matrix* a = static_cast<Matrix*>(ListGetElementP(fast, 1, LIST_MATRIX));
    Matrix* b = static_cast<Matrix*>(ListGetElementP(general, 1, LIST_MATRIX));
    ASSERT_EQ(a->rows, b->rows);
    ASSERT_EQ(a->cols, b->cols);
    for (int i = 0; i < a->rows * a->cols; i++)
      ASSERT_TRUE(sameBits(MatReal(a)[i], MatReal(b)[i])) << "trial " << trial << " element " << i;
    EXPECT_TRUE(sameBits(*static_cast<double*>(ListGetElementP(fast, 2, LIST_REAL)),
                         *static_cast<double*>(ListGetElementP(general, 2, LIST_REAL))))
        << "trial " << trial;
    EXPECT_TRUE(sameBits(fastScore, generalScore)) << "trial " << trial;
    MatObjectTmpUndef();
  }
}

// Special values on the fast path stop the E-step with the message the
// product of gcprob factors gives.
TEST_F(MixtureKernelTest, BadJointProbabilitiesStopAsBefore) {
  struct Case {
    double weight, mean, var;
  };
  // x = 0.5: var 0 at the mean (0/0), var -0 (-Inf), an infinite mean with
  // an infinite variance (Inf/Inf), a NaN variance, an overflowing joint.
  const Case cases[] = {
      {0.5, 0.5, 0.0}, {0.5, 0.0, -0.0}, {0.5, HUGE_VAL, HUGE_VAL}, {0.5, 0.0, NAN}, {1e300, 0.5, 1e-320}};
  for (const Case& c : cases) {
    Matrix* model = MatZDef2(3, 2);
    MatSetValue(model, 1, 1, 0.5);
    MatSetValue(model, 3, 1, 1.0);
    MatSetValue(model, 1, 2, c.weight);
    MatSetValue(model, 2, 2, c.mean);
    MatSetValue(model, 3, 2, c.var);
    Matrix* data = MatZDef2(1, 1);
    MatSetValue(data, 1, 1, 0.5);
    const double joint = gcprob(c.mean, c.var, 0.5) * c.weight;
    char text[64];
    std::snprintf(text, sizeof text, "%e", joint);
    EXPECT_EXIT(getss(model, data), ::testing::ExitedWithCode(1),
                "^ERROR: Observation and mix 2 joint Prob is out of range : " +
                    (std::isnan(joint) ? std::string("-?nan") : Literal(text)) + "\n$")
        << c.mean << " " << c.var;
    MatObjectTmpUndef();
  }
}

}  // namespace
