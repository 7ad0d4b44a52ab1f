// The densities of a diagonal-Gaussian mixture read straight from the
// model's storage, for getss and evalm: the constants of every density
// formed once per routine call, and densities that are certainly +0 found
// without calling exp. Every value equals the product of gcprob factors
// bit for bit.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "app/mixture.h"
#include "runtime/core/util.h"
#include "runtime/matrix/matrix.h"

namespace brovane_kernel {

constexpr double kTwoPi = 6.283185307179586;

// exp(q) is +0 for every q below -745.1332 (e^-745.1332 is 2^-1075, half
// the smallest subnormal). A density whose exponent is known to lie below
// -745.9 is therefore +0 whatever the library's last-bit rounding.
constexpr double kZeroDensityRatio = 746.0;
// Variances in [2^-1000, 2^1000] keep var * 2pi, var + var and 746 times
// that normal and finite, so the factor 1/sqrt(var * 2pi) is finite and
// positive and the exponent -(x - mean)^2 / (var + var) is never NaN.
constexpr double kPlainVarianceMin = 0x1p-1000;
constexpr double kPlainVarianceMax = 0x1p+1000;

// One component in one dimension, formed once per routine call exactly as
// gcprob forms it per density.
struct DensityTerm {
  double mean;
  double var;
  double k;           // 1 / sqrt(var * 2pi)
  double twoVar;      // var + var
  double zeroBound;   // 746 * (var + var)
};

// Valid for a live real model of at least 2D + 1 rows; the callers check
// that and take the general path otherwise.
class MixtureKernel {
 public:
  MixtureKernel(Matrix* model, int D) : D_(D), M_(model->cols), terms_(static_cast<size_t>(M_) * D),
                                        plain_(static_cast<size_t>(M_)), weight_(MatReal(model)) {
    const double* const v = MatReal(model);
    for (int m = 0; m < M_; m++) {
      bool plain = true;
      double kProduct = 1.0;   // the bound of every partial product
      for (int d = 0; d < D_; d++) {
        DensityTerm& t = terms_[static_cast<size_t>(m) * D_ + d];
        t.mean = v[static_cast<size_t>(2 * d + 1) * M_ + m];
        t.var = v[static_cast<size_t>(2 * d + 2) * M_ + m];
        t.k = 1.0 / std::sqrt(t.var * kTwoPi);
        t.twoVar = t.var + t.var;
        t.zeroBound = kZeroDensityRatio * t.twoVar;
        plain = plain && std::isfinite(t.mean) && t.var >= kPlainVarianceMin && t.var <= kPlainVarianceMax;
        kProduct = kProduct * t.k;
      }
      plain_[m] = plain && std::isfinite(kProduct);
    }
  }

  double weight(int m) const { return weight_[m]; }

  // The product over d of gcprob(mean, var, x[d]) for component m (from 0),
  // bit for bit; finite: every x[d] is finite.
  double joint(int m, const double* x, bool finite) const {
    const DensityTerm* const t = &terms_[static_cast<size_t>(m) * D_];
    double p = 1.0;
    // Means or variances out of the plain range can make factors NaN or
    // infinite: gcprob's own factors, unshortened.
    if (!plain_[m]) {
      for (int d = 0; d < D_; d++) p = p * gcprob(t[d].mean, t[d].var, x[d]);
      return p;
    }
    // Every factor of a plain component is finite or NaN and lies in [+0,
    // k] (exp of a non-positive exponent is at most 1), so no partial product
    // exceeds the product of the k, which is finite too. With finite values
    // no factor is NaN, and one factor of +0 makes the whole product +0.
    if (finite) {
      for (int d = 0; d < D_; d++) {
        // fl(delta^2) > fl(746 (var + var)) means delta^2 > 746 (var + var)
        // (1 - 2^-51), both sides being normal; the square vornPower returns
        // is within one ulp of delta^2 and the quotient rounds once, so the
        // exponent lies below -746 (1 - 2^-49) < -745.9: exp gives +0 and so
        // does the factor. An overflowing delta or square gives an exponent
        // of -Inf, and exp(-Inf) is +0.
        const double delta = x[d] - t[d].mean;
        if (delta * delta > t[d].zeroBound) return 0.0;
      }
    }
    for (int d = 0; d < D_; d++) {
      p = p * (std::exp(-(vornPower(x[d] - t[d].mean, 2.0)) / t[d].twoVar) * t[d].k);
      // +0 times further factors in [+0, k] stays +0.
      if (finite && p == 0.0) break;
    }
    return p;
  }

 private:
  const int D_;
  const int M_;
  std::vector<DensityTerm> terms_;
  std::vector<bool> plain_;
  const double* const weight_;   // row 1 of the model
};

}  // namespace brovane_kernel
