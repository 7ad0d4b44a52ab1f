#include "runtime/linalg/qr.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "runtime/linalg/linalg_internal.h"

using namespace vorn_linalg;

namespace {

inline double norm2(double x) { return x * x; }
inline double norm2(const cplx& z) { return z.real() * z.real() + z.imag() * z.imag(); }
inline double mulRe(double a, double b) { return a * b; }
inline cplx mulRe(const cplx& a, const cplx& b) {
  return cplx(a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real());
}

// Euclidean norm of n values, scaled against overflow.
template <class T>
double vectorNorm(const T* x, int n, int stride) {
  double scale = 0.0, ssq = 1.0;
  for (int i = 0; i < n; i++) {
    const double parts[2] = {std::real(x[static_cast<size_t>(i) * stride]),
                             std::imag(x[static_cast<size_t>(i) * stride])};
    for (double p : parts) addToNorm(p, scale, ssq);
  }
  return scale * std::sqrt(ssq);
}

template <class T>
T signedNorm(const T& x1, double norm);
template <>
double signedNorm(const double& x1, double norm) {
  return x1 > 0.0 ? x1 + norm : x1 - norm;
}
template <>
cplx signedNorm(const cplx& x1, double norm) {
  if (x1 == cplx(0.0)) return cplx(-norm);
  return x1 + (x1 / std::abs(x1)) * norm;
}

// The n values at x, stride apart, become the Householder vector (x1 = 1).
template <class T>
void houseVector(T* x, int n, int stride) {
  const double norm = vectorNorm(x, n, stride);
  if (norm != 0.0) {
    const T d = signedNorm(x[0], norm);
    for (int i = 0; i < n; i++) x[static_cast<size_t>(i) * stride] /= d;
  }
  x[0] = T(1);
}

// Rows r0.., columns c0..c1-1 of w: w <- (I - 2 v v'/(v'v)) w, with v of
// length w.rows - r0. s is scratch of w.cols.
template <class T>
void housePreMul(Work<T>& w, int r0, int c0, int c1, const T* v, std::vector<T>& s) {
  const int m = w.rows;
  double vv = 0.0;
  for (int i = r0; i < m; i++) vv += norm2(v[i - r0]);
  if (vv == 0.0) return;
  const double factor = -2.0 / vv;
  std::fill(s.begin() + c0, s.begin() + c1, T(0));
  for (int i = r0; i < m; i++) {
    const T vi = conjOf(v[i - r0]);
    const T* wi = w.row(i);
    for (int j = c0; j < c1; j++) s[j] += mulRe(vi, wi[j]);
  }
  for (int i = r0; i < m; i++) {
    const T fv = v[i - r0] * factor;
    T* wi = w.row(i);
    for (int j = c0; j < c1; j++) wi[j] += mulRe(fv, s[j]);
  }
}

template <class T>
int firstLargest(const std::vector<double>& c, int from) {
  int best = from;
  for (int j = from + 1; j < static_cast<int>(c.size()); j++)
    if (c[j] > c[best]) best = j;
  return best;
}

template <class T>
void swapColumns(Work<T>& w, int a, int b) {
  if (a == b) return;
  for (int i = 0; i < w.rows; i++) std::swap(w(i, a), w(i, b));
}

template <class T>
int qrKernel(Work<T>& w, Work<T>& q, int* perm, bool pivoting) {
  const int m = w.rows, n = w.cols;
  std::vector<double> c(n, 0.0);
  if (pivoting)
    for (int i = 0; i < m; i++)
      for (int j = 0; j < n; j++) c[j] += norm2(w(i, j));
  double tau = pivoting ? (n > 0 ? c[firstLargest<T>(c, 0)] : 0.0) : 1.0;
  int rank = 0;
  bool counting = tau != 0.0;
  const int steps = std::min(m, n);
  std::vector<T> v(m), s(std::max(n, m));
  for (int k = 0; k < steps; k++) {
    if (pivoting) {
      const int p = firstLargest<T>(c, k);
      perm[k] = p + 1;
      swapColumns(w, k, p);
      std::swap(c[k], c[p]);
    } else {
      perm[k] = k + 1;
    }
    if (counting) rank++;
    for (int i = k; i < m; i++) v[i - k] = w(i, k);
    houseVector(v.data(), m - k, 1);
    housePreMul(w, k, k, n, v.data(), s);
    if (k == m - 1) break;
    for (int i = k + 1; i < m; i++) w(i, k) = v[i - k];
    for (int j = k + 1; j < n; j++) c[j] -= norm2(w(k, j));
    if (k >= n - 1)
      tau = 0.0;
    else if (pivoting)
      tau = c[firstLargest<T>(c, k + 1)];
    // Columns whose downdated norms reached zero still carry rounding-size
    // (or, after cancellation, larger) entries: they are reduced as well,
    // and only the rank stops counting.
    if (tau == 0.0) counting = false;
  }
  // Q = H1 H2 ... accumulated backwards from the identity.
  q = Work<T>(m, m);
  for (int i = 0; i < m; i++) q(i, i) = T(1);
  for (int j = steps - 1; j >= 0; j--) {
    v[0] = T(1);
    for (int i = j + 1; i < m; i++) v[i - j] = w(i, j);
    housePreMul(q, j, j, m, v.data(), s);
  }
  for (int i = 1; i < m; i++)
    for (int j = 0; j < std::min(i, n); j++) w(i, j) = T(0);
  return rank;
}

template <class T>
void qrPiv(Matrix* A, Matrix* Q, Matrix* R, int* perm, int* rank, int pivoting) {
  Work<T> w = workOf<T>(A);
  Work<T> q;
  *rank = qrKernel(w, q, perm, pivoting != 0);
  storeWork(Q, q);
  storeWork(R, w);
}

// Any shape: for m < n the leading m x m block is decomposed and the rest
// of R is Q' times the remaining columns.
template <class T>
void qrFull(Matrix* A, Matrix* Q, Matrix* R, Matrix* P, int pivoting) {
  const int m = A->rows, n = A->cols;
  Work<T> a = workOf<T>(A);
  const int lead = std::min(m, n);
  Work<T> w(m, lead);
  for (int i = 0; i < m; i++)
    for (int j = 0; j < lead; j++) w(i, j) = a(i, j);
  Work<T> q;
  std::vector<int> perm(std::max(lead, 1));
  qrKernel(w, q, perm.data(), pivoting != 0);
  Work<T> r(m, n);
  for (int i = 0; i < m; i++)
    for (int j = 0; j < lead; j++) r(i, j) = w(i, j);
  for (int j = lead; j < n; j++)
    for (int i = 0; i < m; i++) {
      T sum(0);
      for (int k = 0; k < m; k++) sum += mulRe(conjOf(q(k, i)), a(k, j));
      r(i, j) = sum;
    }
  storeWork(Q, q);
  storeWork(R, r);
  double* p = MatReal(P);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) p[static_cast<size_t>(i) * n + j] = i == j ? 1.0 : 0.0;
  if (pivoting != 0) {
    for (int k = 0; k < lead; k++) {
      const int o = perm[k] - 1;
      if (o == k) continue;
      for (int i = 0; i < n; i++) std::swap(p[static_cast<size_t>(i) * n + k], p[static_cast<size_t>(i) * n + o]);
    }
  }
}

}  // namespace

namespace vorn_linalg {
int householderQR(Work<double>& w, Work<double>& q, int* perm, bool pivoting) {
  return qrKernel(w, q, perm, pivoting);
}
int householderQR(Work<cplx>& w, Work<cplx>& q, int* perm, bool pivoting) {
  return qrKernel(w, q, perm, pivoting);
}
}  // namespace vorn_linalg

void Mat_QR_piv(Matrix* A, Matrix* Q, Matrix* R, int* perm, int* rank, int pivoting) {
  qrPiv<double>(A, Q, R, perm, rank, pivoting);
}
void C_Mat_QR_piv(Matrix* A, Matrix* Q, Matrix* R, int* perm, int* rank, int pivoting) {
  qrPiv<cplx>(A, Q, R, perm, rank, pivoting);
}
void Mat_QR(Matrix* A, Matrix* Q, Matrix* R, Matrix* P, int pivoting) {
  qrFull<double>(A, Q, R, P, pivoting);
}
void C_Mat_QR(Matrix* A, Matrix* Q, Matrix* R, Matrix* P, int pivoting) {
  qrFull<cplx>(A, Q, R, P, pivoting);
}

void Mat_HouseVector(Matrix* x) { houseVector(MatReal(x), x->rows * x->cols, 1); }
void C_Mat_HouseVector(Matrix* x) { houseVector(elemsOf<cplx>(x), x->rows * x->cols, 1); }

void Mat_HousePreMul(Matrix* A, Matrix* v) {
  Work<double> w = workOf<double>(A);
  std::vector<double> s(w.cols);
  housePreMul(w, 0, 0, w.cols, MatReal(v), s);
  storeWork(A, w);
}
void C_Mat_HousePreMul(Matrix* A, Matrix* v) {
  Work<cplx> w = workOf<cplx>(A);
  std::vector<cplx> s(w.cols);
  housePreMul(w, 0, 0, w.cols, elemsOf<cplx>(v), s);
  storeWork(A, w);
}

void MatQR(Matrix* A, Matrix** Q, Matrix** R, Matrix** P, int pivoting) {
  const char* tag = "MatQR()";
  if (A->class_ != MAT_REAL && A->class_ != MAT_COMPLEX) MatErrorNotRealNorComplex(A, tag);
  if (A->rows == 0 || A->cols == 0) {
    MatErrorSource("qr(%s(%dx%d))", nameOf(A), A->rows, A->cols);
    MatError(tag, "Zero-size matrix", A);
  }
  const int m = A->rows, n = A->cols;
  *P = MatNonNameDef(n, n);
  if (A->class_ == MAT_COMPLEX && !hasZeroImaginary(A)) {
    *Q = C_MatNonNameDef(m, m);
    *R = C_MatNonNameDef(m, n);
    C_Mat_QR(A, *Q, *R, *P, pivoting);
    return;
  }
  Matrix* a = realOperand(A);
  *Q = MatNonNameDef(m, m);
  *R = MatNonNameDef(m, n);
  Mat_QR(a, *Q, *R, *P, pivoting);
  if (a != A) {
    MatUndef(a);
    *Q = complexFromReal(*Q);
    *R = complexFromReal(*R);
  }
}
