// The real and complex matrix products.
#include <immintrin.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "runtime/core/vorn_assert.h"
#include "runtime/matrix/blocked_product.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/matrix/matrix_kernel.h"

// Real matrix product. Every element is 0.0 plus a(i,k)*b(k,j) for k
// increasing, each product and each sum rounded to a double (no fused
// multiply-add). The blocked kernel keeps that order per element: it
// vectorises across j (independent elements), blocks registers over i and
// j, and blocks over k by storing each partial sum in c and resuming it
// with the next k block. The packing follows Goto and van de Geijn,
// "Anatomy of high-performance matrix multiplication" (ACM TOMS 34, 2008).

namespace vorn_gemm {

namespace {

// Register tile: c(0..kMR-1, 0..kNR-1) (row stride ldc) = (resume ? c : 0)
// + sum over k of ap(k, i) * bp(k, j). ap holds kMR values per k, bp kNR.
using MicroKernel = void (*)(int kc, const double* ap, const double* bp, double* c, size_t ldc,
                             bool resume);

void microPortable(int kc, const double* ap, const double* bp, double* c, size_t ldc,
                   bool resume) {
  double acc[kMR][kNR];
  for (int i = 0; i < kMR; i++)
    for (int j = 0; j < kNR; j++) acc[i][j] = resume ? c[i * ldc + j] : 0.0;
  for (int k = 0; k < kc; k++) {
    for (int i = 0; i < kMR; i++) {
      const double a = ap[i];
      for (int j = 0; j < kNR; j++) acc[i][j] = acc[i][j] + a * bp[j];
    }
    ap += kMR;
    bp += kNR;
  }
  for (int i = 0; i < kMR; i++)
    for (int j = 0; j < kNR; j++) c[i * ldc + j] = acc[i][j];
}

// The same tile with AVX2 multiplies and adds as separate instructions, so
// every product is rounded before it is added. The twelve accumulators are
// named variables: held in an array, they were spilled on every step.
__attribute__((target("avx2"), always_inline)) inline void loadRow(bool resume, const double* c,
                                                                   __m256d& lo, __m256d& hi) {
  lo = resume ? _mm256_loadu_pd(c) : _mm256_setzero_pd();
  hi = resume ? _mm256_loadu_pd(c + 4) : _mm256_setzero_pd();
}

__attribute__((target("avx2"), always_inline)) inline void storeRow(double* c, __m256d lo,
                                                                    __m256d hi) {
  _mm256_storeu_pd(c, lo);
  _mm256_storeu_pd(c + 4, hi);
}

// One row of the tile takes a(i) * b(0..7): product, then sum.
__attribute__((target("avx2"), always_inline)) inline void addProducts(const double* a, __m256d b0,
                                                                       __m256d b1, __m256d& lo,
                                                                       __m256d& hi) {
  const __m256d x = _mm256_broadcast_sd(a);
  lo = _mm256_add_pd(lo, _mm256_mul_pd(x, b0));
  hi = _mm256_add_pd(hi, _mm256_mul_pd(x, b1));
}

__attribute__((target("avx2"))) void microAvx2(int kc, const double* ap, const double* bp,
                                               double* c, size_t ldc, bool resume) {
  static_assert(kMR == 6 && kNR == 8, "the AVX2 tile is 6 x 8");
  __m256d c0l, c0h, c1l, c1h, c2l, c2h, c3l, c3h, c4l, c4h, c5l, c5h;
  loadRow(resume, c, c0l, c0h);
  loadRow(resume, c + ldc, c1l, c1h);
  loadRow(resume, c + 2 * ldc, c2l, c2h);
  loadRow(resume, c + 3 * ldc, c3l, c3h);
  loadRow(resume, c + 4 * ldc, c4l, c4h);
  loadRow(resume, c + 5 * ldc, c5l, c5h);
  for (int k = 0; k < kc; k++) {
    const __m256d b0 = _mm256_loadu_pd(bp);
    const __m256d b1 = _mm256_loadu_pd(bp + 4);
    addProducts(ap, b0, b1, c0l, c0h);
    addProducts(ap + 1, b0, b1, c1l, c1h);
    addProducts(ap + 2, b0, b1, c2l, c2h);
    addProducts(ap + 3, b0, b1, c3l, c3h);
    addProducts(ap + 4, b0, b1, c4l, c4h);
    addProducts(ap + 5, b0, b1, c5l, c5h);
    ap += kMR;
    bp += kNR;
  }
  storeRow(c, c0l, c0h);
  storeRow(c + ldc, c1l, c1h);
  storeRow(c + 2 * ldc, c2l, c2h);
  storeRow(c + 3 * ldc, c3l, c3h);
  storeRow(c + 4 * ldc, c4l, c4h);
  storeRow(c + 5 * ldc, c5l, c5h);
}

MicroKernel chooseKernel() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? microAvx2 : microPortable;
}

MicroKernel& activeKernel() {
  static MicroKernel kernel = chooseKernel();
  return kernel;
}

// Packs b(pc.., jc..) (kc x nc, row stride ldb) into panels of kNR columns,
// each kc rows of kNR values; columns past nc are zero.
void packB(const double* b, size_t ldb, int kc, int nc, double* out) {
  for (int j0 = 0; j0 < nc; j0 += kNR) {
    const int w = std::min(kNR, nc - j0);
    for (int k = 0; k < kc; k++) {
      const double* row = b + static_cast<size_t>(k) * ldb + j0;
      for (int j = 0; j < w; j++) out[j] = row[j];
      for (int j = w; j < kNR; j++) out[j] = 0.0;
      out += kNR;
    }
  }
}

// Packs a(ic.., pc..) (mc x kc, row stride lda) into panels of kMR rows,
// each kc columns of kMR values; rows past mc are zero.
void packA(const double* a, size_t lda, int mc, int kc, double* out) {
  for (int i0 = 0; i0 < mc; i0 += kMR) {
    const int h = std::min(kMR, mc - i0);
    for (int k = 0; k < kc; k++) {
      for (int i = 0; i < h; i++) out[i] = a[static_cast<size_t>(i0 + i) * lda + k];
      for (int i = h; i < kMR; i++) out[i] = 0.0;
      out += kMR;
    }
  }
}

// The plain loop, for products too small to repay packing.
void plain(const double* a, const double* b, double* c, int m, int n, int p) {
  for (int i = 0; i < m; i++) {
    const double* arow = a + static_cast<size_t>(i) * p;
    for (int j = 0; j < n; j++) {
      double sum = 0.0;
      for (int k = 0; k < p; k++) sum = sum + arow[k] * b[static_cast<size_t>(k) * n + j];
      c[static_cast<size_t>(i) * n + j] = sum;
    }
  }
}

void blocked(const double* a, const double* b, double* c, int m, int n, int p) {
  const MicroKernel micro = activeKernel();
  const size_t lda = static_cast<size_t>(p);
  const size_t ldc = static_cast<size_t>(n);
  std::vector<double> bPack(static_cast<size_t>(kKC) * static_cast<size_t>(std::min(n, kNC) + kNR));
  std::vector<double> aPack(static_cast<size_t>(kKC) * (kMC + kMR));
  double edge[kMR * kNR];
  for (int jc = 0; jc < n; jc += kNC) {
    const int nc = std::min(kNC, n - jc);
    for (int pc = 0; pc < p; pc += kKC) {
      const int kc = std::min(kKC, p - pc);
      const bool resume = pc > 0;
      packB(b + static_cast<size_t>(pc) * ldc + jc, ldc, kc, nc, bPack.data());
      for (int ic = 0; ic < m; ic += kMC) {
        const int mc = std::min(kMC, m - ic);
        packA(a + static_cast<size_t>(ic) * lda + pc, lda, mc, kc, aPack.data());
        for (int jr = 0; jr < nc; jr += kNR) {
          const int w = std::min(kNR, nc - jr);
          const double* bp = bPack.data() + static_cast<size_t>(jr) * kc;
          for (int ir = 0; ir < mc; ir += kMR) {
            const int h = std::min(kMR, mc - ir);
            const double* ap = aPack.data() + static_cast<size_t>(ir) * kc;
            double* tile = c + static_cast<size_t>(ic + ir) * ldc + jc + jr;
            if (h == kMR && w == kNR) {
              micro(kc, ap, bp, tile, ldc, resume);
              continue;
            }
            // A partial tile runs in a full-size buffer; only its valid
            // part is read from and written back to c.
            for (int i = 0; i < h; i++)
              for (int j = 0; j < w; j++) edge[i * kNR + j] = tile[i * ldc + j];
            micro(kc, ap, bp, edge, kNR, resume);
            for (int i = 0; i < h; i++)
              for (int j = 0; j < w; j++) tile[i * ldc + j] = edge[i * kNR + j];
          }
        }
      }
    }
  }
}

}  // namespace

void product(const double* a, const double* b, double* c, int m, int n, int p) {
  VORN_ASSERT(m > 0 && n > 0 && p > 0);
  VORN_ASSERT(c != a && c != b);
  const size_t work = static_cast<size_t>(m) * static_cast<size_t>(n) * static_cast<size_t>(p);
  if (work <= kSmall) plain(a, b, c, m, n, p);
  else blocked(a, b, c, m, n, p);
}

void forcePortableKernel(bool on) { activeKernel() = on ? microPortable : chooseKernel(); }

}  // namespace vorn_gemm

namespace {

using vorn_matrix::ComplexElements;
using vorn_matrix::elementCount;

// The result has the product's shape and is neither operand.
inline void checkProductShape(const Matrix* c, const Matrix* a, const Matrix* b) {
  VORN_ASSERT(a->cols == b->rows);
  VORN_ASSERT(c->rows == a->rows && c->cols == b->cols);
  VORN_ASSERT(c != a && c != b);
}

}  // namespace

Matrix* Mat_Mul(Matrix* c, Matrix* a, Matrix* b) {
  checkProductShape(c, a, b);
  const int m = a->rows;
  const int n = b->cols;
  const int p = a->cols;
  if (m == 0 || n == 0) return c;
  double* const out = MatReal(c);
  if (p == 0) {
    std::fill_n(out, elementCount(c), 0.0);
    return c;
  }
  vorn_gemm::product(MatReal(a), MatReal(b), out, m, n, p);
  return c;
}

// Each element starts at (0, 0) and takes its terms for k increasing; the
// loops run i, k, j so that b and c are read along their rows.
Matrix* C_Mat_Mul(Matrix* c, Matrix* a, Matrix* b) {
  checkProductShape(c, a, b);
  const size_t m = static_cast<size_t>(a->rows);
  const size_t n = static_cast<size_t>(b->cols);
  const size_t p = static_cast<size_t>(a->cols);
  const ComplexValue* const x = ComplexElements::of(a);
  const ComplexValue* const y = ComplexElements::of(b);
  ComplexValue* const out = ComplexElements::of(c);
  std::fill_n(out, m * n, ComplexValue{0.0, 0.0});
  for (size_t i = 0; i < m; i++) {
    ComplexValue* const row = out + i * n;
    for (size_t k = 0; k < p; k++) {
      const ComplexValue u = x[i * p + k];
      const ComplexValue* const brow = y + k * n;
      for (size_t j = 0; j < n; j++) {
        const ComplexValue v = brow[j];
        row[j].re = row[j].re + (u.re * v.re - u.im * v.im);
        row[j].im = row[j].im + (u.re * v.im + u.im * v.re);
      }
    }
  }
  return c;
}
