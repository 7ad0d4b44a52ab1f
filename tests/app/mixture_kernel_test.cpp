// The density kernel of getss and evalm against the plain product of
// gcprob factors over random models seeded with NaN, infinities, zero,
// negative, subnormal and huge values; and both routines against their
// general path (taken when warnlv > 0), bit for bit.
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "app/mixture.h"
#include "app/mixture_kernel.h"
#include "app_fixture.h"

namespace {

constexpr int kD = 4;
constexpr int kM = 8;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A NaN made from two NaNs takes its sign from whichever operand the
// compiler places first: any NaN matches any NaN.
bool sameValue(double a, double b) { return sameBits(a, b) || (std::isnan(a) && std::isnan(b)); }

const double kMeans[] = {0.0, -0.0, HUGE_VAL, -HUGE_VAL, NAN, 1e300, -1e300, 1e160, 4.9e-324};
const double kVariances[] = {0.0,       -0.0,   -1.0,     NAN,  HUGE_VAL, 4.9e-324, 1e-320,   1e-300,
                             0x1p-1000, 0x1.fffffffffffffp-1001, 1e300, 0x1p1000, 0x1.0000000000001p1000, 1.7e308};
const double kValues[] = {HUGE_VAL, -HUGE_VAL, NAN, 1e300, -1e300, 1.5e154, 0.0, -0.0};

class MixtureKernelTest : public AppTest {};

TEST_F(MixtureKernelTest, JointDensityIsThePlainProduct) {
  // specialShare: how often an entry is a special value; zeros: exact
  // zeros the shortcuts must have met at least.
  const struct {
    double specialShare;
    int zeros;
  } cases[] = {{0.0, 20000}, {0.05, 20000}, {0.4, 5000}};
  for (const auto& c : cases) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto pick = [&](const auto& specials, double ordinary) {
      const size_t n = sizeof specials / sizeof specials[0];
      return unit(rng) < c.specialShare ? specials[static_cast<size_t>(unit(rng) * n)] : ordinary;
    };
    int zeros = 0;
    for (int trial = 0; trial < 1000; trial++) {
      Matrix* model = MatZDef2(2 * kD + 1, kM);
      for (int m = 1; m <= kM; m++) {
        MatSetValue(model, 1, m, 1.0 / kM);
        for (int d = 1; d <= kD; d++) {
          MatSetValue(model, 2 * d, m, pick(kMeans, (unit(rng) - 0.5) * 50.0));
          MatSetValue(model, 2 * d + 1, m, pick(kVariances, unit(rng) + 0.01));
        }
      }
      const brovane_kernel::MixtureKernel kernel(model, kD);
      for (int s = 0; s < 40; s++) {
        // Samples near one component, as training data lie.
        const int near = static_cast<int>(unit(rng) * kM) + 1;
        double x[kD];
        bool finite = true;
        for (int d = 0; d < kD; d++) {
          const double mean = MatGetValue(model, 2 * d + 2, near);
          x[d] = pick(kValues, (std::isfinite(mean) ? mean : 0.0) + (unit(rng) - 0.5) * 8.0);
          finite = finite && std::isfinite(x[d]);
        }
        for (int m = 0; m < kM; m++) {
          double expected = 1.0;
          for (int d = 0; d < kD; d++)
            expected =
                expected * gcprob(MatGetValue(model, 2 * d + 2, m + 1), MatGetValue(model, 2 * d + 3, m + 1), x[d]);
          const double got = kernel.joint(m, x, finite);
          ASSERT_TRUE(sameValue(got, expected)) << c.specialShare << " trial " << trial << " m " << m << ": " << got
                                                << " vs " << expected;
          zeros += expected == 0.0;
        }
      }
      MatObjectTmpUndef();
    }
    EXPECT_GE(zeros, c.zeros) << c.specialShare;
  }
  // Variances of 1e-300 make factors of 4e149: the product overflows before
  // a far value's factor of +0 comes, and Inf * 0 is NaN.
  Matrix* model = MatZDef2(2 * kD + 1, 1);
  for (int d = 1; d <= kD; d++) MatSetValue(model, 2 * d + 1, 1, 1e-300);
  const double x[kD] = {0.0, 0.0, 0.0, 1.0};
  EXPECT_TRUE(std::isnan(brovane_kernel::MixtureKernel(model, kD).joint(0, x, true)));
}

// Joint probabilities that stay finite, samples far from every component,
// zero weights: same statistics and scores.
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
    // A component at 1e200 in dimension 1, whose samples have squares that
    // overflow: the others' zero posteriors then add NaN to their sums.
    if (trial % 3 == 0) MatSetValue(model, 2, kM, 1e200);
    Matrix* data = MatZDef2(kD, 50);
    for (int n = 1; n <= 50; n++) {
      const int m = n % 23 == 0 ? kM : static_cast<int>(unit(rng) * kM) + 1;
      for (int d = 1; d <= kD; d++)
        MatSetValue(data, d, n, n % 17 == 0 ? 1e6 : MatGetValue(model, 2 * d, m) + (unit(rng) - 0.5) * 6.0);
    }

    // The statistics, the log-likelihood and the score, as bits.
    std::string paths[2];
    for (std::string& bits : paths) {
      StderrOf([&] {
        List* result = getss(model, data);
        const Matrix* ss = static_cast<Matrix*>(ListGetElementP(result, 1, LIST_MATRIX));
        bits.assign(reinterpret_cast<const char*>(MatReal(ss)), sizeof(double) * ss->rows * ss->cols);
        bits.append(static_cast<const char*>(ListGetElementP(result, 2, LIST_REAL)), sizeof(double));
        const double score = evalm(model, data);
        bits.append(reinterpret_cast<const char*>(&score), sizeof score);
      });
      warnlv = 1;
    }
    warnlv = 0;
    EXPECT_EQ(paths[0], paths[1]) << trial;
    MatObjectTmpUndef();
  }
}

}  // namespace
