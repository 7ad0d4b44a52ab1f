// The complex QZ algorithm: the structure of the real Moler-Stewart
// routines (qzhes, qzit, qzval, qzvec) carried to complex arithmetic with a
// single shift, as the complex variant in Moler and Stewart's paper (SIAM
// J. Numer. Anal. 10 (1973) 241-256, section 5) describes it, with
// Householder reflections in place of the real routines' written-out ones.
// Column-major arrays, indices from 0.
#include <algorithm>
#include <vector>

#include "runtime/core/entry.h"
#include "runtime/linalg/eigen_internal.h"
#include "runtime/linalg/linalg_internal.h"
#include "runtime/linalg/qz.h"

using namespace vorn_linalg;

namespace {

using Cq = Square<cplx>;

inline double abs1(const cplx& z) { return std::fabs(z.real()) + std::fabs(z.imag()); }
// z / |z|, or 1 for z = 0.
inline cplx phase(const cplx& z) {
  const double r = std::abs(z);
  return r == 0.0 ? cplx(1.0) : z / r;
}

// A 2 x 2 Householder reflection I - tau v v*.
struct House2 {
  cplx v1, v2;
  double tau;
};

// c_house_vec2: the reflection that maps (x, y) to a multiple of the first
// unit vector (toFirst) or of the second.
House2 c_house_vec2(const cplx& x, const cplx& y, bool toFirst) {
  const double norm = pythag(std::abs(x), std::abs(y));
  if (norm == 0.0) return {cplx(1.0), cplx(0.0), 0.0};
  House2 h;
  if (toFirst) {
    h.v1 = x + phase(x) * norm;
    h.v2 = y;
  } else {
    h.v1 = x;
    h.v2 = y + phase(y) * norm;
  }
  const double vv = std::norm(h.v1) + std::norm(h.v2);
  h.tau = vv == 0.0 ? 0.0 : 2.0 / vv;
  return h;
}

// c_house_mat2: h applied from the left to rows r, r+1 of m (columns c0..c1),
// or from the right to columns r, r+1 (rows c0..c1).
void c_house_mat2(Cq& m, const House2& h, int r, int c0, int c1, bool left) {
  if (h.tau == 0.0) return;
  if (left) {
    for (int j = c0; j <= c1; j++) {
      const cplx t = h.tau * (std::conj(h.v1) * m(r, j) + std::conj(h.v2) * m(r + 1, j));
      m(r, j) -= h.v1 * t;
      m(r + 1, j) -= h.v2 * t;
    }
  } else {
    cplx* a = m.col(r);
    cplx* b = m.col(r + 1);
    for (int i = c0; i <= c1; i++) {
      const cplx t = h.tau * (a[i] * h.v1 + b[i] * h.v2);
      a[i] -= t * std::conj(h.v1);
      b[i] -= t * std::conj(h.v2);
    }
  }
}

// c_house_mat: the reflection I - tau v v* (v over rows k..n-1) applied
// from the left to every column of m.
void c_house_mat(Cq& m, const std::vector<cplx>& v, double tau, int k) {
  const int n = m.n;
  for (int j = 0; j < n; j++) {
    cplx* mj = m.col(j);
    cplx s(0.0);
    for (int i = k; i < n; i++) s += std::conj(v[i]) * mj[i];
    s *= tau;
    for (int i = k; i < n; i++) mj[i] -= v[i] * s;
  }
}

// c_house_qr: b = Q R by Householder reflections; a and q receive the
// same left transformations (Q* times each).
void c_house_qr(Cq& b, Cq& a, Cq* q) {
  const int n = b.n;
  std::vector<cplx> v(n);
  for (int k = 0; k + 1 < n; k++) {
    double norm = 0.0;
    for (int i = k; i < n; i++) norm = pythag(norm, std::abs(b(i, k)));
    if (norm == 0.0) continue;
    for (int i = 0; i < n; i++) v[i] = i < k ? cplx(0.0) : b(i, k);
    v[k] += phase(b(k, k)) * norm;
    double vv = 0.0;
    for (int i = k; i < n; i++) vv += std::norm(v[i]);
    const double tau = 2.0 / vv;
    c_house_mat(b, v, tau, k);
    c_house_mat(a, v, tau, k);
    if (q != nullptr) c_house_mat(*q, v, tau, k);
    for (int i = k + 1; i < n; i++) b(i, k) = 0.0;
  }
}

// c_qzhes: B upper triangular, A upper Hessenberg.
void c_qzhes(Cq& a, Cq& b, Cq& z, Cq* q) {
  const int n = a.n;
  for (int j = 0; j < n; j++) {
    for (int i = 0; i < n; i++) z(i, j) = 0.0;
    z(j, j) = 1.0;
  }
  c_house_qr(b, a, q);
  for (int k = 0; k + 2 < n; k++)
    for (int l = n - 2; l >= k + 1; l--) {
      // Zero a(l+1, k) from the left ...
      const House2 h = c_house_vec2(a(l, k), a(l + 1, k), true);
      c_house_mat2(a, h, l, k, n - 1, true);
      c_house_mat2(b, h, l, l, n - 1, true);
      if (q != nullptr) c_house_mat2(*q, h, l, 0, n - 1, true);
      a(l + 1, k) = 0.0;
      // ... and b(l+1, l) from the right.
      const House2 g = c_house_vec2(std::conj(b(l + 1, l)), std::conj(b(l + 1, l + 1)), false);
      c_house_mat2(b, g, l, 0, l + 1, false);
      c_house_mat2(a, g, l, 0, n - 1, false);
      c_house_mat2(z, g, l, 0, n - 1, false);
      b(l + 1, l) = 0.0;
    }
}

// c_qzit: single-shift QZ iteration to triangular A, B staying triangular;
// exceptional shifts after 10 and 20 iterations on one value, budget
// 30 * n in all. Returns 0, or en + 1 for the value not found.
int c_qzit(Cq& a, Cq& b, Cq& z, Cq* q, double& epsb) {
  const int n = a.n;
  double anorm = 0.0, bnorm = 0.0;
  for (int i = 0; i < n; i++) {
    double ani = i != 0 ? abs1(a(i, i - 1)) : 0.0, bni = 0.0;
    for (int j = i; j < n; j++) {
      ani += abs1(a(i, j));
      bni += abs1(b(i, j));
    }
    anorm = std::max(anorm, ani);
    bnorm = std::max(bnorm, bni);
  }
  if (anorm == 0.0) anorm = 1.0;
  if (bnorm == 0.0) bnorm = 1.0;
  const double epsa = vorn_eps * anorm;
  epsb = vorn_eps * bnorm;
  long itn = static_cast<long>(iterationUnit) * n;
  int en = n - 1;
  while (en > 0) {
    int its = 0;
    for (;;) {
      int l = en;
      while (l > 0 && abs1(a(l, l - 1)) > epsa) l--;
      if (l > 0) a(l, l - 1) = 0.0;
      if (l == en) {
        en--;
        break;
      }
      // A negligible b(l, l) at the top of the block: rotate a(l+1, l)
      // away, which splits the block.
      if (abs1(b(l, l)) <= epsb) {
        b(l, l) = 0.0;
        const House2 h = c_house_vec2(a(l, l), a(l + 1, l), true);
        c_house_mat2(a, h, l, l, n - 1, true);
        c_house_mat2(b, h, l, l, n - 1, true);
        if (q != nullptr) c_house_mat2(*q, h, l, 0, n - 1, true);
        a(l + 1, l) = 0.0;
        continue;
      }
      // An infinite eigenvalue at the bottom deflates by one rotation from
      // the right.
      if (abs1(b(en, en)) <= epsb) {
        b(en, en) = 0.0;
        const House2 g = c_house_vec2(std::conj(a(en, en - 1)), std::conj(a(en, en)), false);
        c_house_mat2(a, g, en - 1, 0, en, false);
        c_house_mat2(b, g, en - 1, 0, en, false);
        c_house_mat2(z, g, en - 1, 0, n - 1, false);
        a(en, en - 1) = 0.0;
        b(en, en - 1) = 0.0;
        continue;
      }
      if (itn == 0) return en + 1;
      // The shift: the eigenvalue of the trailing 2 x 2 pencil nearer to
      // a(en, en) / b(en, en), or an exceptional one.
      cplx shift;
      const int na = en - 1;
      cplx b11 = b(na, na);
      const cplx b22 = b(en, en);
      if (abs1(b11) < epsb) b11 = epsb;
      if (its == 10 || its == 20) {
        shift = a(en, en) / b22 + std::abs(a(en, na) / b11);
      } else {
        const cplx a11 = a(na, na), a12 = a(na, en), a21 = a(en, na), a22 = a(en, en), b12 = b(na, en);
        // det(A2 - s B2) = b11 b22 s^2 - (a11 b22 + a22 b11 - a21 b12) s + (a11 a22 - a12 a21)
        const cplx c2 = b11 * b22, c1 = a11 * b22 + a22 * b11 - a21 * b12, c0 = a11 * a22 - a12 * a21;
        const cplx root = std::sqrt(c1 * c1 - 4.0 * c2 * c0);
        const cplx s1 = (c1 + root) / (2.0 * c2), s2 = (c1 - root) / (2.0 * c2);
        const cplx target = a22 / b22;
        shift = std::abs(s1 - target) <= std::abs(s2 - target) ? s1 : s2;
      }
      its++;
      itn--;
      // The sweep from l to en.
      for (int k = l; k < en; k++) {
        const cplx x = k == l ? a(l, l) - shift * b(l, l) : a(k, k - 1);
        const cplx y = k == l ? a(l + 1, l) : a(k + 1, k - 1);
        const House2 h = c_house_vec2(x, y, true);
        const int c0 = k == l ? l : k - 1;
        c_house_mat2(a, h, k, c0, n - 1, true);
        c_house_mat2(b, h, k, k, n - 1, true);
        if (q != nullptr) c_house_mat2(*q, h, k, 0, n - 1, true);
        if (k != l) a(k + 1, k - 1) = 0.0;
        const House2 g = c_house_vec2(std::conj(b(k + 1, k)), std::conj(b(k + 1, k + 1)), false);
        c_house_mat2(b, g, k, 0, k + 1, false);
        c_house_mat2(a, g, k, 0, std::min(k + 2, n - 1), false);
        c_house_mat2(z, g, k, 0, n - 1, false);
        b(k + 1, k) = 0.0;
      }
    }
  }
  return 0;
}

// c_left_diag_mul: rows of m scaled by d.
void c_left_diag_mul(const std::vector<cplx>& d, Cq& m) {
  for (int j = 0; j < m.n; j++)
    for (int i = 0; i < m.n; i++) m(i, j) *= d[i];
}

// c_qzval: b's diagonal made real and non-negative by unitary diagonal
// scalings from the left, then the eigenvalues a(j, j) / b(j, j); a zero
// b(j, j) is reported and gives an infinite value.
void c_qzval(Cq& a, Cq& b, Cq* q, std::vector<cplx>& alpha, std::vector<double>& beta, Matrix* A, Matrix* B,
             const char* tag) {
  const int n = a.n;
  std::vector<cplx> d(n);
  for (int j = 0; j < n; j++) d[j] = std::conj(phase(b(j, j)));
  c_left_diag_mul(d, a);
  c_left_diag_mul(d, b);
  if (q != nullptr) c_left_diag_mul(d, *q);
  for (int j = 0; j < n; j++) {
    b(j, j) = cplx(b(j, j).real(), 0.0);
    alpha[j] = a(j, j);
    beta[j] = b(j, j).real();
    if (beta[j] == 0.0) MatWarning2(tag, "Zero division", A, B);
  }
}

// c_qzvec: eigenvectors of the triangular pencil by back substitution,
// (beta_j a - alpha_j b) x = 0 with x_j = 1, then transformed by z.
void c_qzvec(Cq& a, Cq& b, const std::vector<cplx>& alpha, const std::vector<double>& beta, Cq& z) {
  const int n = a.n;
  double norm = 0.0;
  for (int j = 0; j < n; j++)
    for (int i = 0; i <= j; i++) norm = std::max(norm, abs1(a(i, j)) + abs1(b(i, j)));
  const double small = std::max(norm, 1.0) * vorn_eps;
  Cq x(n);
  for (int j = n - 1; j >= 0; j--) {
    x(j, j) = 1.0;
    for (int i = j - 1; i >= 0; i--) {
      cplx s(0.0);
      for (int k = i + 1; k <= j; k++) s += (beta[j] * a(i, k) - alpha[j] * b(i, k)) * x(k, j);
      cplx d = beta[j] * a(i, i) - alpha[j] * b(i, i);
      if (abs1(d) < small) d = small;
      x(i, j) = -s / d;
    }
  }
  // Column j uses columns 0..j of z: from the right, as in qzvec.
  std::vector<cplx> col(n);
  for (int j = n - 1; j >= 0; j--) {
    std::fill(col.begin(), col.end(), cplx(0.0));
    for (int k = 0; k <= j; k++) {
      const cplx xkj = x(k, j);
      const cplx* zk = z.col(k);
      for (int i = 0; i < n; i++) col[i] += zk[i] * xkj;
    }
    std::copy(col.begin(), col.end(), z.col(j));
  }
}

Cq complexSquareOf(const Matrix* A) {
  const int n = A->rows;
  Cq a(n);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++)
      a(i, j) = A->class_ == MAT_COMPLEX ? elemsOf<cplx>(A)[static_cast<size_t>(i) * n + j]
                                         : cplx(MatReal(A)[static_cast<size_t>(i) * n + j]);
  return a;
}

void storeComplex(Matrix* M, Cq& a) {
  const int n = a.n;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) elemsOf<cplx>(M)[static_cast<size_t>(i) * n + j] = a(i, j);
}

int complexGeneralized(Matrix* A, Matrix* B, Matrix* val, Matrix* vec, Matrix* AA, Matrix* BB, Matrix* Q,
                       Matrix* Z, const char* tag) {
  const int n = A->rows;
  Cq a = complexSquareOf(A), b = complexSquareOf(B), z(n), q(n);
  for (int i = 0; i < n; i++) q(i, i) = 1.0;
  Cq* qp = Q != nullptr ? &q : nullptr;
  c_qzhes(a, b, z, qp);
  double epsb;
  const int ierr = c_qzit(a, b, z, qp, epsb);
  std::vector<cplx> alpha(n, cplx(0.0)), values(n, cplx(0.0));
  std::vector<double> beta(n, 1.0);
  Work<cplx> vectors(n, n);
  if (ierr == 0) {
    c_qzval(a, b, qp, alpha, beta, A, B, tag);
    for (int j = 0; j < n; j++) values[j] = cplx(alpha[j].real() / beta[j], alpha[j].imag() / beta[j]);
  }
  if (AA != nullptr) storeComplex(AA, a);
  if (BB != nullptr) storeComplex(BB, b);
  if (Q != nullptr) storeComplex(Q, q);
  if (Z != nullptr) storeComplex(Z, z);
  if (ierr == 0 && vec != nullptr) {
    c_qzvec(a, b, alpha, beta, z);
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++) vectors(i, j) = z(i, j);
    normalize_vector(vectors);
  }
  return finishEigen(values, vectors, vec != nullptr, val, vec, ierr, [&] {
    MatWarning2(tag, vec != nullptr ? "Solution(vector) will not converge" : "Solution(value) will not converge", A, B);
  });
}

}  // namespace

int C_Mat_GEig(Matrix* A, Matrix* B, Matrix* val, Matrix* vec) {
  return complexGeneralized(A, B, val, vec, nullptr, nullptr, nullptr, nullptr, "C_Mat_GEig()");
}

int C_Mat_GEigVal(Matrix* A, Matrix* B, Matrix* val) {
  return complexGeneralized(A, B, val, nullptr, nullptr, nullptr, nullptr, nullptr, "C_Mat_GEigVal()");
}

int C_Mat_QZ(Matrix* A, Matrix* B, Matrix* AA, Matrix* BB, Matrix* Q, Matrix* Z, Matrix* V) {
  return complexGeneralized(A, B, nullptr, V, AA, BB, Q, Z, "C_Mat_QZ()");
}
