// The transform against a plain DFT in long double, its inverse, padding
// and cutting, and the refused operands.
#include <cmath>
#include <functional>
#include <random>

#include "support/values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;

using FftTest = VornTest;
using FftDeathTest = VornTest;

// Largest distance from row got to the DFT of the (re, im) row x over the
// given bins, each an O(n) sum in long double with exactly reduced angles.
double dftError(const Matrix* got, const V& x, const std::vector<int>& bins) {
  const size_t n = x.size() / 2;
  std::vector<long double> c(n), s(n);
  for (size_t m = 0; m < n; m++) {
    c[m] = std::cos(6.283185307179586476925286766559L * m / n);
    s[m] = -std::sin(6.283185307179586476925286766559L * m / n);
  }
  long double worst = 0;
  for (int k : bins) {
    long double re = 0, im = 0;
    for (size_t j = 0; j < n; j++) {
      const size_t m = (j * static_cast<size_t>(k)) % n;
      re += x[2 * j] * c[m] - x[2 * j + 1] * s[m];
      im += x[2 * j] * s[m] + x[2 * j + 1] * c[m];
    }
    worst = std::max(worst, std::hypot(MatReal(got)[2 * k] - re, MatReal(got)[2 * k + 1] - im));
  }
  return static_cast<double>(worst);
}

TEST_F(FftTest, KnownTransformsPaddingCuttingAndColumns) {
  const V row3120 = {4, 0, 1, 1, 6, 0, 1, -1};   // the transform of 3, -1, 2, 0
  const struct {
    std::function<Matrix*()> make;
    int n, byColumns;
    bool inverse;
    int rows, cols;
    V want;
  } cases[] = {
      {[] { return Row({3, -1, 2}); }, 4, 0, false, 1, 4, row3120},
      {[] { return Row({3, -1, 2, 0, 9, 9}); }, 4, 0, false, 1, 4, row3120},
      {[] { return Real("", 4, 1, {3, -1, 2, 0}); }, 4, 0, false, 4, 1, row3120},
      {[] { return Real("", 4, 1, {3, -1, 2, 0}); }, 1, 0, false, 4, 1, row3120},   // n from the rows
      {[] { return Real("", 1, 1, {5}); }, 4, 1, false, 4, 1, {5, 0, 5, 0, 5, 0, 5, 0}},
      {[] { return Real("", 2, 4, {3, -1, 2, 0, 1, 0, 0, 0}); }, 4, 0, false, 2, 4,
       {4, 0, 1, 1, 6, 0, 1, -1, 1, 0, 1, 0, 1, 0, 1, 0}},
      {[] { return Real("", 4, 2, {3, 1, -1, 0, 2, 0, 0, 0}); }, 4, 1, false, 4, 2,
       {4, 0, 1, 0, 1, 1, 1, 0, 6, 0, 1, 0, 1, -1, 1, 0}},
      {[] { return Row({7, 8, 9}); }, 1, 0, false, 1, 1, {7, 0}},
      {[] { return Complex2("", 1, 2, {1, 1, 3, -1}); }, 2, 0, false, 1, 2, {4, 0, -2, 2}},
      {[] { return Row({4, -2}); }, 2, 0, true, 1, 2, {1, 0, 3, 0}},
  };
  for (const auto& c : cases) {
    Matrix* m = c.make();
    const V operand = valuesOf(m);
    Matrix* got = c.inverse ? MatIFFT(m, c.n, c.byColumns) : MatFFT(m, c.n, c.byColumns);
    ExpectShape(got, c.rows, c.cols, MAT_COMPLEX);
    for (size_t k = 0; k < c.want.size() && k < valuesOf(got).size(); k++)
      EXPECT_NEAR(MatReal(got)[k], c.want[k], 1e-14) << "case " << (&c - cases) << " at " << k;
    EXPECT_TRUE(SameBits(valuesOf(m), operand));
  }
}

// Random real and complex rows of every power-of-two length up to 2^16
// against the plain DFT (every bin up to 2^10, 64 random ones beyond), and
// back through the inverse, within 2 log2(n) eps |x|.
TEST_F(FftTest, RandomRowsWithinRoundingOfThePlainTransform) {
  std::mt19937_64 random(20261206);
  std::uniform_real_distribution<double> value(-1, 1);
  for (int n = 1; n <= (1 << 16); n *= 2) {
    std::vector<int> bins;
    for (int a = 0; a < (n <= 1024 ? n : 64); a++) bins.push_back(n <= 1024 ? a : static_cast<int>(random() % n));
    for (const bool complex : {false, true}) {
      if (!complex && n == 2) continue;   // real transforms take n >= 4
      V x(2 * static_cast<size_t>(n), 0.0);
      for (size_t j = 0; j < x.size(); j += complex ? 1 : 2) x[j] = value(random);
      Matrix* in = complex ? Complex2("x", 1, n, x) : Real("x", 1, n);
      for (int j = 0; !complex && j < n; j++) MatReal(in)[j] = x[2 * j];
      double norm = 0;
      for (double v : x) norm += v * v;
      const double limit = 2 * std::max(1, __builtin_ctz(n)) * vorn_eps * std::sqrt(norm);
      Matrix* forward = MatFFT(in, n, 0);
      EXPECT_LE(dftError(forward, x, bins), limit) << "n " << n << " complex " << complex;
      Matrix* back = MatIFFT(forward, n, 0);
      for (size_t j = 0; j < x.size(); j++) ASSERT_NEAR(MatReal(back)[j], x[j], limit) << "inverse, n " << n;
      MatObjectTmpUndef();
    }
  }
}

TEST_F(FftDeathTest, RefusedOperands) {
  auto row = [] { return Real("x", 1, 4, {1, 2, 3, 4}); };
  ExpectFatal({
      {[] { MatFFT(MatDef("e", 0, 3), 4, 0); }, "fft(e(0x3)) : Zero-size matrix", "MatFFT()"},
      {[] { MatIFFT(MatDef("e", 2, 0), 4, 1); }, "ifft_col(e(2x0)) : Zero-size matrix", "MatIFFT()"},
      {[] { MatFFT(OfClass("p", MAT_POLY), 4, 0); }, "fft(p(1x1)) : Not a real nor complex matrix", "MatFFT()"},
      {[&] { MatFFT(row(), 6, 0); }, "fft(x(1x4)) : Data number must be 2^n", "MatFFT()"},
      {[&] { MatFFT(row(), 0, 0); }, "fft(x(1x4)) : Data number must be 2^n", "MatFFT()"},
      {[&] { MatIFFT(row(), -4, 1); }, "ifft_col(x(1x4)) : Data number must be 2^n", "MatIFFT()"},
      {[] { MatFFT(Real("c", 3, 1, {1, 2, 3}), 1, 0); }, "fft(c(3x1)) : Data number must be 2^n", "MatFFT()"},
      {[] { MatFFT(Real("x", 1, 2, {1, 2}), 2, 0); }, "(1x2)(1,3) = (1x0)(1:1,1:0) : Size conflict",
       "MatAreaCopy()"},
  });
}

}  // namespace
