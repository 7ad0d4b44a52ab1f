// What the linear-algebra sources share: element views of real and complex
// matrices, the class dispatch of the user-level operations, and small
// dense work arrays. Internal to runtime/linalg and its tests.
#pragma once

#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_report.h"

namespace vorn_linalg {

using cplx = std::complex<double>;

// Complex storage is (re, im) pairs, the layout of std::complex<double>.
template <class T>
inline T* elemsOf(Matrix* m) {
  return reinterpret_cast<T*>(m->data);
}
template <class T>
inline const T* elemsOf(const Matrix* m) {
  return reinterpret_cast<const T*>(m->data);
}

inline const char* nameOf(const Matrix* m) { return m->name != nullptr ? m->name : ""; }

inline double magnitude(double x) { return std::fabs(x); }
inline double magnitude(const cplx& z) { return std::abs(z); }
inline double conjOf(double x) { return x; }
inline cplx conjOf(const cplx& z) { return std::conj(z); }
inline double realOf(double x) { return x; }
inline double realOf(const cplx& z) { return z.real(); }

// A complex matrix whose imaginary parts are all zero is computed in real
// arithmetic.
bool hasZeroImaginary(const Matrix* m);
// New real temporary holding the real parts of a complex m, named as m.
Matrix* realPartOf(Matrix* m);
// New complex temporary of a real m's values; m is released.
Matrix* complexFromReal(Matrix* m);
// New complex temporary of a real m's values; m is kept.
Matrix* complexCopyOf(Matrix* m);
// New temporary of class_ (0 or 1), rows x cols, zero or the identity.
Matrix* zerosOfClass(int class_, int rows, int cols);
Matrix* identityOfClass(int class_, int n);

// Dense row-major work matrix of T, indexed from 0.
template <class T>
struct Work {
  int rows = 0, cols = 0;
  std::vector<T> a;
  Work() = default;
  Work(int r, int c) : rows(r), cols(c), a(static_cast<size_t>(r) * c, T(0)) {}
  T& operator()(int i, int j) { return a[static_cast<size_t>(i) * cols + j]; }
  const T& operator()(int i, int j) const { return a[static_cast<size_t>(i) * cols + j]; }
  T* row(int i) { return a.data() + static_cast<size_t>(i) * cols; }
};

template <class T>
Work<T> workOf(const Matrix* m) {
  Work<T> w(m->rows, m->cols);
  const T* src = elemsOf<T>(m);
  for (size_t k = 0; k < w.a.size(); k++) w.a[k] = src[k];
  return w;
}
template <class T>
void storeWork(Matrix* m, const Work<T>& w) {
  T* dst = elemsOf<T>(m);
  for (size_t k = 0; k < w.a.size(); k++) dst[k] = w.a[k];
}

// Reports any class but real and complex.
inline void refuseOthers(Matrix* m, const char* tag) {
  if (m->class_ != MAT_REAL && m->class_ != MAT_COMPLEX) MatErrorNotRealNorComplex(m, tag);
}

// The checks every user-level operation makes first: a real or complex
// operand that is not empty; a failure reports "word(name(rows x cols))".
inline void checkOperand(Matrix* A, const char* word, const char* tag) {
  if (A->class_ != MAT_REAL && A->class_ != MAT_COMPLEX) {
    MatErrorSource("%s(%s(%dx%d))", word, nameOf(A), A->rows, A->cols);
    MatErrorNotRealNorComplex(A, tag);
  }
  if (A->rows == 0 || A->cols == 0) {
    MatErrorSource("%s(%s(%dx%d))", word, nameOf(A), A->rows, A->cols);
    MatError(tag, "Zero-size matrix", A);
  }
}

// A real operand for a real kernel: m itself, or a new temporary of its real
// parts when m is complex; releaseIfMade releases what was made.
inline Matrix* realOperand(Matrix* m) { return m->class_ == MAT_COMPLEX ? realPartOf(m) : m; }
inline void releaseIfMade(Matrix* made, Matrix* given) {
  if (made != given) MatUndef(made);
}

// Frobenius norm of a real or complex matrix.
double frobeniusNorm(const Matrix* m);

// Adds a value to a Euclidean norm kept as scale * sqrt(ssq), so that no
// square overflows or underflows (start with scale 0, ssq 1).
inline void addToNorm(double x, double& scale, double& ssq) {
  const double a = std::fabs(x);
  if (a == 0.0) return;
  if (scale < a) {
    ssq = 1.0 + ssq * (scale / a) * (scale / a);
    scale = a;
  } else {
    ssq += (a / scale) * (a / scale);
  }
}

}  // namespace vorn_linalg

namespace vorn_linalg {

// Householder QR of an m x n work matrix with m >= n, optionally with column
// pivoting: on return w holds R (zeros below the diagonal), q the m x m
// unitary Q with A*P = Q*R, perm[k] the column (from 1) swapped into place
// k+1 at each of the min(m, n) steps. Returns the rank: the steps done
// before the largest remaining column norm reached zero.
int householderQR(Work<double>& w, Work<double>& q, int* perm, bool pivoting);
int householderQR(Work<cplx>& w, Work<cplx>& q, int* perm, bool pivoting);

}  // namespace vorn_linalg

namespace vorn_linalg {

// The iteration budgets of the eigenvalue and singular value iterations are
// multiples of this count (30 in the published routines); tests lower it to
// reach the non-convergence paths.
extern int iterationUnit;

// sqrt(a*a + b*b) without destructive overflow or underflow.
double pythag(double a, double b);

}  // namespace vorn_linalg
