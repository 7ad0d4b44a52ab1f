// The transform of rows and columns against a plain DFT in long double,
// its inverse, padding and cutting, and the refused operands.
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "support/values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;

using FftTest = VornTest;
using FftDeathTest = VornTest;

using LongComplex = std::vector<long double>;   // (re, im) pairs

// Bins of the DFT of the (re, im) row x with the given exponent sign, each
// an O(n) sum in long double with exactly reduced angles.
LongComplex plainDft(const V& x, int sign, const std::vector<int>& bins) {
  const size_t n = x.size() / 2;
  const long double twoPi = 6.283185307179586476925286766559L;
  std::vector<long double> c(n), s(n);
  for (size_t m = 0; m < n; m++) {
    c[m] = std::cos(twoPi * m / n);
    s[m] = sign * std::sin(twoPi * m / n);
  }
  LongComplex out;
  for (int k : bins) {
    long double re = 0, im = 0;
    for (size_t j = 0; j < n; j++) {
      const size_t m = (j * static_cast<size_t>(k)) % n;
      re += x[2 * j] * c[m] - x[2 * j + 1] * s[m];
      im += x[2 * j] * s[m] + x[2 * j + 1] * c[m];
    }
    out.push_back(re);
    out.push_back(im);
  }
  return out;
}

// c log2(n) eps |x|, the rounding error a radix-2 transform may make.
double bound(const V& x, size_t n) {
  double norm = 0;
  for (double v : x) norm += v * v;
  const double c = 2.0;
  return c * std::max(1.0, std::log2(static_cast<double>(n))) * vorn_eps * std::sqrt(norm);
}

// Largest distance between element bins[a] of row got (complex) and want.
double maxError(const Matrix* got, const std::vector<int>& bins, const LongComplex& want) {
  long double worst = 0;
  for (size_t a = 0; a < bins.size(); a++) {
    const long double dr = MatReal(got)[2 * bins[a]] - want[2 * a];
    const long double di = MatReal(got)[2 * bins[a] + 1] - want[2 * a + 1];
    worst = std::max(worst, std::sqrt(dr * dr + di * di));
  }
  return static_cast<double>(worst);
}

V complexOf(const V& real) {
  V c;
  for (double v : real) {
    c.push_back(v);
    c.push_back(0);
  }
  return c;
}

void expectNear(const Matrix* m, const V& want, double tolerance = 1e-15) {
  ASSERT_EQ(valuesOf(m).size(), want.size());
  for (size_t k = 0; k < want.size(); k++) EXPECT_NEAR(MatReal(m)[k], want[k], tolerance) << "at " << k;
}

TEST_F(FftTest, SmallRowsHaveTheirKnownTransforms) {
  const struct {
    V row;
    V transform;
  } cases[] = {
      {{1, 0, 0, 0}, {1, 0, 1, 0, 1, 0, 1, 0}},
      {{1, 1, 1, 1}, {4, 0, 0, 0, 0, 0, 0, 0}},
      {{0, 1, 0, 0}, {1, 0, 0, -1, -1, 0, 0, 1}},
      {{1, 2, 3, 4, 5, 6, 7, 8}, {36, 0, -4, 9.65685424949238, -4, 4, -4, 1.65685424949238, -4, 0,
                                  -4, -1.65685424949238, -4, -4, -4, -9.65685424949238}},
  };
  for (const auto& c : cases) {
    const int n = static_cast<int>(c.row.size());
    Matrix* real = MatFFT(Row(c.row), n, 0);
    ExpectShape(real, 1, n, MAT_COMPLEX);
    expectNear(real, c.transform, 1e-13);
    expectNear(MatFFT(Complex2("", 1, n, complexOf(c.row)), n, 0), c.transform, 1e-13);
    expectNear(MatIFFT(real, n, 0), complexOf(c.row), 1e-15);
  }
}

TEST_F(FftTest, RowsArePaddedOrCutAndColumnsTransformedAlong) {
  const V four = {3, -1, 2, 0};
  Matrix* want = MatFFT(Row(four), 4, 0);
  expectNear(MatFFT(Row({3, -1, 2}), 4, 0), valuesOf(MatFFT(Row({3, -1, 2, 0}), 4, 0)));
  expectNear(MatFFT(Row({3, -1, 2, 0, 9, 9}), 4, 0), valuesOf(want));

  Matrix* column = MatFFT(Real("c", 4, 1, four), 4, 0);
  ExpectShape(column, 4, 1, MAT_COMPLEX);
  expectNear(column, valuesOf(want));
  expectNear(MatFFT(Real("c", 4, 1, four), 1, 0), valuesOf(want));   // n 1: the column's length
  Matrix* padded = MatFFT(Real("c", 1, 1, {5}), 4, 1);
  ExpectShape(padded, 4, 1, MAT_COMPLEX);
  expectNear(padded, {5, 0, 5, 0, 5, 0, 5, 0});

  // Two rows by rows, and the same as columns of the transpose.
  Matrix* two = Real("m", 2, 4, {3, -1, 2, 0, 1, 0, 0, 0});
  Matrix* byRows = MatFFT(two, 4, 0);
  ExpectShape(byRows, 2, 4, MAT_COMPLEX);
  expectNear(MatCut(byRows, 1, 1, 1, 4), valuesOf(want));
  expectNear(MatCut(byRows, 2, 1, 2, 4), {1, 0, 1, 0, 1, 0, 1, 0});
  Matrix* byColumns = MatFFT(MatTrans(two), 4, 1);
  ExpectShape(byColumns, 4, 2, MAT_COMPLEX);
  expectNear(MatTrans(byColumns), valuesOf(byRows));
  expectNear(MatIFFT(byColumns, 4, 1), complexOf(valuesOf(MatTrans(two))));
  ExpectMatrix(two, 2, 4, MAT_REAL, {3, -1, 2, 0, 1, 0, 0, 0});   // the operand is left alone
}

TEST_F(FftTest, OnePointAndTwoPointTransforms) {
  ExpectMatrix(MatFFT(Row({7, 8, 9}), 1, 0), 1, 1, MAT_COMPLEX, {7, 0});
  ExpectMatrix(MatFFT(Real("", 1, 1, {-2}), 1, 0), 1, 1, MAT_COMPLEX, {-2, 0});
  ExpectMatrix(MatIFFT(Row({7, 8}), 1, 0), 1, 1, MAT_COMPLEX, {7, 0});
  ExpectMatrix(MatFFT(Complex2("", 1, 2, {1, 1, 3, -1}), 2, 0), 1, 2, MAT_COMPLEX, {4, 0, -2, 2});
  ExpectMatrix(MatIFFT(Row({4, -2}), 2, 0), 1, 2, MAT_COMPLEX, {1, 0, 3, 0});
}

// Random rows of every power-of-two length up to 2^16, real and complex,
// against the plain DFT; all bins up to 2^10, 64 random bins beyond.
TEST_F(FftTest, RandomRowsMatchThePlainTransformWithinRounding) {
  std::mt19937_64 random(20261206);
  std::uniform_real_distribution<double> value(-1, 1);
  for (int n = 1; n <= (1 << 16); n *= 2) {
    std::vector<int> bins;
    if (n <= 1024) {
      for (int k = 0; k < n; k++) bins.push_back(k);
    } else {
      for (int a = 0; a < 64; a++) bins.push_back(static_cast<int>(random() % n));
    }
    for (const bool complex : {false, true}) {
      V x(2 * static_cast<size_t>(n), 0.0);
      for (size_t j = 0; j < x.size(); j += complex ? 1 : 2) x[j] = value(random);
      if (!complex && n == 2) continue;   // real transforms take n >= 4
      Matrix* in = complex ? Complex2("x", 1, n, x) : Real("x", 1, n);
      if (!complex) {
        for (int j = 0; j < n; j++) MatReal(in)[j] = x[2 * j];
      }
      const double limit = bound(x, n);
      Matrix* forward = MatFFT(in, n, 0);
      EXPECT_LE(maxError(forward, bins, plainDft(x, -1, bins)), limit) << "n " << n << " complex " << complex;
      std::vector<int> all;
      for (int k = 0; k < n; k++) all.push_back(k);
      EXPECT_LE(maxError(MatIFFT(forward, n, 0), all, LongComplex(x.begin(), x.end())), limit)
          << "inverse, n " << n << " complex " << complex;
      MatObjectTmpUndef();
    }
  }
}

struct FatalCase {
  std::function<void()> body;
  std::string text;
  const char* tag;
};

TEST_F(FftDeathTest, RefusedOperands) {
  auto row = [] { return Real("x", 1, 4, {1, 2, 3, 4}); };
  const FatalCase cases[] = {
      {[] { MatFFT(MatDef("e", 0, 3), 4, 0); }, "fft(e(0x3)) : Zero-size matrix", "MatFFT()"},
      {[] { MatIFFT(MatDef("e", 2, 0), 4, 1); }, "ifft_col(e(2x0)) : Zero-size matrix", "MatIFFT()"},
      {[] { MatFFT(OfClass("p", MAT_POLY), 4, 0); }, "fft(p(1x1)) : Not a real nor complex matrix", "MatFFT()"},
      {[&] { MatFFT(row(), 6, 0); }, "fft(x(1x4)) : Data number must be 2^n", "MatFFT()"},
      {[&] { MatFFT(row(), 0, 0); }, "fft(x(1x4)) : Data number must be 2^n", "MatFFT()"},
      {[&] { MatIFFT(row(), -4, 1); }, "ifft_col(x(1x4)) : Data number must be 2^n", "MatIFFT()"},
      {[] { MatFFT(Real("c", 3, 1, {1, 2, 3}), 1, 0); }, "fft(c(3x1)) : Data number must be 2^n", "MatFFT()"},
      {[] { MatIFFT(Real("c", 6, 1, {1, 2, 3, 4, 5, 6}), 1, 1); }, "ifft_col(c(6x1)) : Data number must be 2^n",
       "MatIFFT()"},
      {[] { MatFFT(Real("x", 1, 2, {1, 2}), 2, 0); }, "(1x2)(1,3) = (1x0)(1:1,1:0) : Size conflict",
       "MatAreaCopy()"},
  };
  for (const FatalCase& c : cases) EXPECT_EXIT(c.body(), kFatal, ReportLine(c.text, c.tag)) << c.text;
}

}  // namespace
