// Plain dense arithmetic for checking the decompositions: matrices copied
// out of the runtime into complex arrays, products, norms, and the random
// test matrices (well and badly scaled, rank-deficient, clustered).
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "runtime/vorn.h"

namespace dense {

using C = std::complex<double>;
const double kEps = std::ldexp(1.0, -52);

struct M {
  int r = 0, c = 0;
  std::vector<C> a;
  M() = default;
  M(int rows, int cols) : r(rows), c(cols), a(static_cast<size_t>(rows) * cols) {}
  C& operator()(int i, int j) { return a[static_cast<size_t>(i) * c + j]; }
  C operator()(int i, int j) const { return a[static_cast<size_t>(i) * c + j]; }
};

inline M of(const Matrix* m) {
  M d(m->rows, m->cols);
  const double* x = static_cast<const double*>(m->data);
  for (size_t k = 0; k < d.a.size(); k++)
    d.a[k] = m->class_ == MAT_COMPLEX ? C(x[2 * k], x[2 * k + 1]) : C(x[k], 0.0);
  return d;
}

inline Matrix* toMatrix(const M& d, bool complex) {
  Matrix* m = complex ? C_MatDef("A", d.r, d.c) : MatDef("A", d.r, d.c);
  double* x = static_cast<double*>(m->data);
  for (size_t k = 0; k < d.a.size(); k++) {
    if (complex) {
      x[2 * k] = d.a[k].real();
      x[2 * k + 1] = d.a[k].imag();
    } else {
      x[k] = d.a[k].real();
    }
  }
  return m;
}

inline M mul(const M& x, const M& y) {
  M z(x.r, y.c);
  for (int i = 0; i < x.r; i++)
    for (int k = 0; k < x.c; k++) {
      const C xik = x(i, k);
      for (int j = 0; j < y.c; j++) z(i, j) += xik * y(k, j);
    }
  return z;
}
inline M sub(const M& x, const M& y) {
  M z = x;
  for (size_t k = 0; k < z.a.size(); k++) z.a[k] -= y.a[k];
  return z;
}
inline M adj(const M& x) {
  M z(x.c, x.r);
  for (int i = 0; i < x.r; i++)
    for (int j = 0; j < x.c; j++) z(j, i) = std::conj(x(i, j));
  return z;
}
inline M eye(int n) {
  M z(n, n);
  for (int i = 0; i < n; i++) z(i, i) = 1.0;
  return z;
}
inline M absOf(const M& x) {
  M z = x;
  for (auto& v : z.a) v = std::abs(v);
  return z;
}
inline double norm(const M& x) {
  long double s = 0;
  for (const auto& v : x.a) s += std::norm(v);
  return static_cast<double>(std::sqrt(s));
}
// ||X'X - I||: how far the columns are from orthonormal.
inline double orthogonality(const M& x) { return norm(sub(mul(adj(x), x), eye(x.c))); }

// err <= bound, or a failure naming what was measured.
inline ::testing::AssertionResult Within(double err, double bound, const char* what) {
  if (err <= bound) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << what << ": " << err << " > " << bound;
}

// ||x - y|| <= bound.
inline ::testing::AssertionResult Close(const M& x, const M& y, double bound, const char* what) {
  return Within(norm(sub(x, y)), bound, what);
}

// Largest real part first, then the largest imaginary part: exactly.
inline ::testing::AssertionResult Descending(const M& val) {
  for (int k = 0; k + 1 < val.r; k++) {
    const C a = val.a[k], b = val.a[k + 1];
    if (a.real() < b.real() || (a.real() == b.real() && a.imag() < b.imag()))
      return ::testing::AssertionFailure() << "out of order at " << k << ": " << a << " " << b;
  }
  return ::testing::AssertionSuccess();
}

// Pairs each wanted value with the nearest unused one of ours and returns
// the distances, in the order of want.
inline std::vector<double> matchNearest(const M& ours, const std::vector<C>& want) {
  std::vector<bool> used(want.size(), false);
  std::vector<double> dist;
  for (const C& w : want) {
    int best = -1;
    for (int q = 0; q < static_cast<int>(want.size()); q++)
      if (!used[q] && (best < 0 || std::abs(ours.a[q] - w) < std::abs(ours.a[best] - w))) best = q;
    used[best] = true;
    dist.push_back(std::abs(ours.a[best] - w));
  }
  return dist;
}

// The kinds of random test matrices.
enum Kind { kGauss, kBadlyScaled, kRankDeficient, kZero, kDiagonal, kClustered, kJordan, kKinds };
inline const char* kindName(int k) {
  static const char* names[] = {"gauss", "badly scaled", "rank deficient", "zero",
                                "diagonal", "clustered", "jordan"};
  return names[k];
}

inline M random(int rows, int cols, int kind, bool complex, std::mt19937& gen) {
  std::normal_distribution<double> g;
  auto draw = [&] { return complex ? C(g(gen), g(gen)) : C(g(gen), 0.0); };
  M a(rows, cols);
  switch (kind) {
    case kGauss:
      for (auto& v : a.a) v = draw();
      break;
    case kBadlyScaled: {
      std::uniform_int_distribution<int> e(-8, 8);
      std::vector<double> rs(rows), cs(cols);
      for (auto& s : rs) s = std::ldexp(1.0, 2 * e(gen));
      for (auto& s : cs) s = std::ldexp(1.0, 2 * e(gen));
      for (int i = 0; i < rows; i++)
        for (int j = 0; j < cols; j++) a(i, j) = draw() * rs[i] * cs[j];
      break;
    }
    case kRankDeficient: {
      const int k = std::max(1, std::min(rows, cols) / 2);
      M x(rows, k), y(k, cols);
      for (auto& v : x.a) v = draw();
      for (auto& v : y.a) v = draw();
      a = mul(x, y);
      break;
    }
    case kZero:
      break;
    case kDiagonal:
      for (int i = 0; i < std::min(rows, cols); i++) a(i, i) = draw();
      break;
    case kClustered: {   // Q D Q' with eigenvalues in two tight clusters
      M q(rows, cols);
      for (auto& v : q.a) v = draw();
      for (int i = 0; i < std::min(rows, cols); i++)
        a(i, i) = (i % 2 == 0 ? 1.0 : -2.0) + 1e-9 * i;
      if (rows == cols) {
        M d = a;
        // a similarity by a random well-conditioned matrix
        M s = eye(rows);
        for (int i = 0; i < rows; i++)
          for (int j = i + 1; j < cols; j++) s(i, j) = 0.5 * q(i, j) / double(rows);
        M inv = eye(rows);   // inverse of the unit upper s by back substitution
        for (int j = 0; j < rows; j++)
          for (int i = j - 1; i >= 0; i--) {
            C sum = 0.0;
            for (int k = i + 1; k <= j; k++) sum += s(i, k) * inv(k, j);
            inv(i, j) = -sum;
          }
        a = mul(mul(s, d), inv);
      }
      break;
    }
    case kJordan:   // Jordan blocks of size 3 for eigenvalue 2, ones above
      for (int i = 0; i < std::min(rows, cols); i++) {
        a(i, i) = 2.0;
        if (i + 1 < cols && (i + 1) % 3 != 0) a(i, i + 1) = 1.0;
      }
      break;
  }
  return a;
}

}  // namespace dense
