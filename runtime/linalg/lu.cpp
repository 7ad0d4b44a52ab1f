#include "runtime/linalg/lu.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "runtime/core/entry.h"
#include "runtime/linalg/linalg_internal.h"
#include "runtime/matrix/matrix_arith.h"

using namespace vorn_linalg;

namespace vorn_linalg {

bool hasZeroImaginary(const Matrix* m) {
  if (m->class_ != MAT_COMPLEX) return false;
  const size_t n = static_cast<size_t>(m->rows) * m->cols;
  const double* d = MatReal(m);
  for (size_t k = 0; k < n; k++)
    if (d[2 * k + 1] != 0.0) return false;
  return true;
}

Matrix* realPartOf(Matrix* m) {
  // Named as m: reports from the real kernels describe the operand given.
  Matrix* r = MatDef(nameOf(m), m->rows, m->cols);
  const size_t n = static_cast<size_t>(m->rows) * m->cols;
  for (size_t k = 0; k < n; k++) MatReal(r)[k] = MatReal(m)[2 * k];
  return r;
}

Matrix* complexCopyOf(Matrix* m) {
  Matrix* c = C_MatNonNameDef(m->rows, m->cols);
  const size_t n = static_cast<size_t>(m->rows) * m->cols;
  for (size_t k = 0; k < n; k++) {
    MatReal(c)[2 * k] = MatReal(m)[k];
    MatReal(c)[2 * k + 1] = 0.0;
  }
  return c;
}

Matrix* complexFromReal(Matrix* m) {
  Matrix* c = complexCopyOf(m);
  MatUndef(m);
  return c;
}

Matrix* zerosOfClass(int class_, int rows, int cols) {
  return class_ == MAT_COMPLEX ? C_MatZDef2(rows, cols) : MatZDef2(rows, cols);
}

Matrix* identityOfClass(int class_, int n) {
  Matrix* m = zerosOfClass(class_, n, n);
  const int w = class_ == MAT_COMPLEX ? 2 : 1;
  for (int i = 0; i < n; i++) MatReal(m)[(static_cast<size_t>(i) * n + i) * w] = 1.0;
  return m;
}

double frobeniusNorm(const Matrix* m) {
  const size_t n = static_cast<size_t>(m->rows) * m->cols * (m->class_ == MAT_COMPLEX ? 2 : 1);
  // Scaled sum of squares: no overflow for large entries.
  double scale = 0.0, ssq = 1.0;
  for (size_t k = 0; k < n; k++) addToNorm(MatReal(m)[k], scale, ssq);
  return scale * std::sqrt(ssq);
}

}  // namespace vorn_linalg

namespace {

// Products written out: the library's complex product guards infinities at
// a cost the inner loops cannot afford.
inline double mul(double a, double b) { return a * b; }
inline cplx mul(const cplx& a, const cplx& b) {
  return cplx(a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real());
}

template <class T>
void swapRows(Work<T>& w, int a, int b) {
  if (a != b) std::swap_ranges(w.row(a), w.row(a) + w.cols, w.row(b));
}

// LU with partial pivoting in place: multipliers below the diagonal, U on
// and above it. Ties keep the upper row.
template <class T>
int luInPlace(Work<T>& w, int* piv) {
  const int m = w.rows, n = w.cols;
  const int steps = std::min(n, m - 1);
  for (int k = 0; k < steps; k++) {
    int p = k;
    double best = magnitude(w(k, k));
    for (int i = k + 1; i < m; i++) {
      const double v = magnitude(w(i, k));
      if (v > best) {
        best = v;
        p = i;
      }
    }
    piv[k] = p + 1;
    swapRows(w, k, p);
    const T pivot = w(k, k);
    // Every candidate is zero: the column needs no elimination, and
    // dividing would fill L with 0/0.
    if (pivot == T(0)) continue;
    const T* rk = w.row(k);
    for (int i = k + 1; i < m; i++) {
      T* ri = w.row(i);
      const T lik = ri[k] / pivot;
      ri[k] = lik;
      if (lik == T(0)) continue;
      for (int j = k + 1; j < n; j++) ri[j] -= mul(lik, rk[j]);
    }
  }
  return steps;
}

template <class T>
int luPiv(Matrix* A, Matrix* L, Matrix* U, int* piv) {
  Work<T> w = workOf<T>(A);
  const int steps = luInPlace(w, piv);
  const int m = A->rows, n = A->cols, k = std::min(m, n);
  T* l = elemsOf<T>(L);
  T* u = elemsOf<T>(U);
  for (int i = 0; i < m; i++)
    for (int j = 0; j < k; j++) l[static_cast<size_t>(i) * k + j] = i > j ? w(i, j) : T(i == j ? 1 : 0);
  for (int i = 0; i < k; i++)
    for (int j = 0; j < n; j++) u[static_cast<size_t>(i) * n + j] = j >= i ? w(i, j) : T(0);
  return steps;
}

template <class T>
void luWithP(Matrix* A, Matrix* L, Matrix* U, Matrix* P) {
  std::vector<int> piv(std::max(A->rows, 1));
  const int steps = luPiv<T>(A, L, U, piv.data());
  const int m = A->rows;
  double* p = MatReal(P);
  for (int i = 0; i < m; i++)
    for (int j = 0; j < m; j++) p[static_cast<size_t>(i) * m + j] = i == j ? 1.0 : 0.0;
  MatPermutate(P, piv.data(), steps, 1);
}

// Row-oriented substitution: x_i = (b_i - sum l_ij x_j) / l_ii, all the
// columns of B at once; each element sees the same operations in the same
// order as a column-by-column sweep.
template <class T>
bool forSub(Work<T>& x, const T* l, int ld, double tol) {
  const int m = x.rows, p = x.cols;
  for (int i = 0; i < m; i++) {
    T* xi = x.row(i);
    const T* li = l + static_cast<size_t>(i) * ld;
    for (int j = 0; j < i; j++) {
      if (li[j] == T(0)) continue;
      const T* xj = x.row(j);
      for (int c = 0; c < p; c++) xi[c] -= mul(li[j], xj[c]);
    }
    if (!(magnitude(li[i]) > tol)) return false;
    for (int c = 0; c < p; c++) xi[c] = xi[c] / li[i];
  }
  return true;
}

template <class T>
bool backSub(Work<T>& x, const T* u, int ld, double tol) {
  const int m = x.rows, p = x.cols;
  for (int i = m - 1; i >= 0; i--) {
    T* xi = x.row(i);
    const T* ui = u + static_cast<size_t>(i) * ld;
    for (int j = m - 1; j > i; j--) {
      if (ui[j] == T(0)) continue;
      const T* xj = x.row(j);
      for (int c = 0; c < p; c++) xi[c] -= mul(ui[j], xj[c]);
    }
    if (!(magnitude(ui[i]) > tol)) return false;
    for (int c = 0; c < p; c++) xi[c] = xi[c] / ui[i];
  }
  return true;
}

template <class T>
Matrix* substitute(Matrix* X, Matrix* T_, Matrix* B, double tol, bool forward) {
  Work<T> x = workOf<T>(B);
  const bool ok = forward ? forSub(x, elemsOf<T>(T_), T_->cols, tol)
                          : backSub(x, elemsOf<T>(T_), T_->cols, tol);
  if (!ok) return nullptr;
  storeWork(X, x);
  return X;
}

// In-place LU solve on work arrays; false when a substitution stops.
template <class T>
bool luSolve(Work<T>& a, Work<T>& x, double tol) {
  std::vector<int> piv(std::max(a.rows, 1));
  const int steps = luInPlace(a, piv.data());
  for (int k = 0; k < steps; k++) swapRows(x, k, piv[k] - 1);
  // L's unit diagonal is implied: the multipliers sit where the ones would.
  const int n = a.rows, p = x.cols;
  for (int i = 0; i < n; i++) {
    T* xi = x.row(i);
    const T* li = a.row(i);
    for (int j = 0; j < i; j++) {
      if (li[j] == T(0)) continue;
      const T* xj = x.row(j);
      for (int c = 0; c < p; c++) xi[c] -= mul(li[j], xj[c]);
    }
    if (!(1.0 > tol)) return false;
  }
  return backSub(x, a.a.data(), n, tol);
}

template <class T>
Matrix* luSolveInto(Matrix* X, Matrix* A, Matrix* B, double tol) {
  Work<T> a = workOf<T>(A);
  Work<T> x = workOf<T>(B);
  if (!luSolve(a, x, tol)) return nullptr;
  storeWork(X, x);
  return X;
}

// Gauss-Jordan inversion in place with partial pivoting; det receives the
// determinant. A pivot within |tol| is reported from tag; a negative tol
// makes the report fatal.
template <class T>
void gaussJordan(Work<T>& a, T* det, double tol, Matrix* A, const char* tag) {
  const int n = a.rows;
  const bool fatal = tol < 0.0;
  const double limit = std::fabs(tol);
  std::vector<int> record(n);
  for (int k = 0; k < n; k++) record[k] = k;
  T d(1);
  for (int k = 0; k < n; k++) {
    int p = k;
    double best = magnitude(a(k, k));
    for (int i = k + 1; i < n; i++) {
      const double v = magnitude(a(i, k));
      if (v > best) {
        best = v;
        p = i;
      }
    }
    if (!(best > limit)) {
      MatErrorSource("inv(%s(%dx%d), %G)", nameOf(A), A->rows, A->cols, tol);
      if (fatal) MatError(tag, "Singular: result may be inaccurate", A);
      MatWarning(tag, "Singular: result may be inaccurate", A);
      if (best < vorn_eps) {
        const double sign = realOf(a(p, k)) < 0.0 ? -1.0 : 1.0;
        a(p, k) = T(sign * vorn_eps);
      }
    }
    const T pivot = a(p, k);
    d = mul(d, pivot);
    if (p != k) {
      d = -d;
      swapRows(a, k, p);
      std::swap(record[k], record[p]);
    }
    T* rk = a.row(k);
    for (int j = 0; j < n; j++)
      if (j != k) rk[j] = rk[j] / pivot;
    for (int i = 0; i < n; i++) {
      if (i == k) continue;
      T* ri = a.row(i);
      const T aik = ri[k];
      if (aik == T(0)) continue;
      for (int j = 0; j < n; j++)
        if (j != k) ri[j] -= mul(aik, rk[j]);
      ri[k] = -aik / pivot;
    }
    rk[k] = T(1) / pivot;
  }
  // Row k of the pivoted matrix is row record[k] of A, so column k of its
  // inverse is column record[k] of A's inverse.
  std::vector<T> line(n);
  for (int i = 0; i < n; i++) {
    T* ri = a.row(i);
    for (int k = 0; k < n; k++) line[record[k]] = ri[k];
    std::copy(line.begin(), line.end(), ri);
  }
  *det = d;
}

template <class T>
T determinantOf(Matrix* A) {
  Work<T> w = workOf<T>(A);
  std::vector<int> piv(std::max(A->rows, 1));
  const int steps = luInPlace(w, piv.data());
  T d(1);
  for (int k = 0; k < A->rows; k++) d = mul(d, w(k, k));
  for (int k = 0; k < steps; k++)
    if (piv[k] != k + 1) d = -d;
  return d;
}

// A complex operand for a complex kernel: m itself, or a new complex copy
// of a real m (released by releaseIfMade).
Matrix* complexOperand(Matrix* m) { return m->class_ == MAT_REAL ? complexCopyOf(m) : m; }

void checkTriangle(Matrix* B, Matrix* T_, const char* tag) {
  refuseOthers(B, tag);
  refuseOthers(T_, tag);
  if (B->rows == 0 || B->cols == 0 || T_->rows == 0 || T_->cols == 0) {
    MatErrorSource("%s(%dx%d) \\ %s(%dx%d)", nameOf(T_), T_->rows, T_->cols, nameOf(B), B->rows,
                   B->cols);
    MatError2(tag, "Zero-size matrix", T_, B);
  }
  MatNonSquareCheck(T_, tag);
  if (T_->rows != B->rows) MatError2(tag, "Row number is not same", T_, B);
}

Matrix* substituteChecked(Matrix* B, Matrix* T_, double tol, bool forward, const char* tag) {
  checkTriangle(B, T_, tag);
  Matrix* X;
  if (B->class_ == MAT_REAL && T_->class_ == MAT_REAL) {
    X = MatNonNameDef(B->rows, B->cols);
    X = substitute<double>(X, T_, B, tol, forward);
  } else {
    Matrix* b = complexOperand(B);
    Matrix* t = complexOperand(T_);
    X = C_MatNonNameDef(B->rows, B->cols);
    X = substitute<cplx>(X, t, b, tol, forward);
    releaseIfMade(b, B);
    releaseIfMade(t, T_);
  }
  if (X == nullptr) {
    MatErrorSource("%s(%dx%d) \\ %s(%dx%d)", nameOf(T_), T_->rows, T_->cols, nameOf(B), B->rows,
                   B->cols);
    MatError2(tag, "Singular", T_, B);
  }
  return X;
}

}  // namespace

int Mat_LU_piv(Matrix* A, Matrix* L, Matrix* U, int* piv) { return luPiv<double>(A, L, U, piv); }
int C_Mat_LU_piv(Matrix* A, Matrix* L, Matrix* U, int* piv) { return luPiv<cplx>(A, L, U, piv); }
void Mat_LU(Matrix* A, Matrix* L, Matrix* U, Matrix* P) { luWithP<double>(A, L, U, P); }
void C_Mat_LU(Matrix* A, Matrix* L, Matrix* U, Matrix* P) { luWithP<cplx>(A, L, U, P); }

void MatPermutate(Matrix* M, const int* piv, int count, int rows) {
  const int w = M->class_ == MAT_COMPLEX ? 2 : 1;
  double* d = MatReal(M);
  const size_t rowLen = static_cast<size_t>(M->cols) * w;
  for (int i = 0; i < count; i++) {
    const int k = piv[i] - 1;
    if (k == i) continue;
    if (rows != 0) {
      std::swap_ranges(d + i * rowLen, d + (i + 1) * rowLen, d + k * rowLen);
    } else {
      for (int r = 0; r < M->rows; r++)
        for (int p = 0; p < w; p++) std::swap(d[r * rowLen + i * w + p], d[r * rowLen + k * w + p]);
    }
  }
}

void MatLU(Matrix* A, Matrix** L, Matrix** U, Matrix** P) {
  const char* tag = "MatLU()";
  refuseOthers(A, tag);
  if (A->rows == 0 || A->cols == 0) {
    MatErrorSource("lu(%s(%dx%d))", nameOf(A), A->rows, A->cols);
    MatError(tag, "Zero-size matrix", A);
  }
  const int m = A->rows, n = A->cols, k = std::min(m, n);
  *P = MatNonNameDef(m, m);
  if (A->class_ == MAT_COMPLEX && !hasZeroImaginary(A)) {
    *L = C_MatNonNameDef(m, k);
    *U = C_MatNonNameDef(k, n);
    C_Mat_LU(A, *L, *U, *P);
    return;
  }
  Matrix* a = realOperand(A);
  *L = MatNonNameDef(m, k);
  *U = MatNonNameDef(k, n);
  Mat_LU(a, *L, *U, *P);
  releaseIfMade(a, A);
  if (A->class_ == MAT_COMPLEX) {
    *L = complexFromReal(*L);
    *U = complexFromReal(*U);
  }
}

Matrix* Mat_ForSub(Matrix* X, Matrix* L, Matrix* B, double tol) {
  return substitute<double>(X, L, B, tol, true);
}
Matrix* Mat_BackSub(Matrix* X, Matrix* U, Matrix* B, double tol) {
  return substitute<double>(X, U, B, tol, false);
}
Matrix* C_Mat_ForSub(Matrix* X, Matrix* L, Matrix* B, double tol) {
  return substitute<cplx>(X, L, B, tol, true);
}
Matrix* C_Mat_BackSub(Matrix* X, Matrix* U, Matrix* B, double tol) {
  return substitute<cplx>(X, U, B, tol, false);
}

Matrix* MatForSub(Matrix* B, Matrix* L, double tol) {
  return substituteChecked(B, L, tol, true, "MatForSub()");
}
Matrix* MatBackSub(Matrix* B, Matrix* U, double tol) {
  return substituteChecked(B, U, tol, false, "MatBackSub()");
}

Matrix* Mat_LUSolve(Matrix* X, Matrix* A, Matrix* B, double tol) {
  return luSolveInto<double>(X, A, B, tol);
}
Matrix* C_Mat_LUSolve(Matrix* X, Matrix* A, Matrix* B, double tol) {
  return luSolveInto<cplx>(X, A, B, tol);
}

Matrix* MatLUSolve(Matrix* A, Matrix* B, double tol) {
  const char* tag = "MatLUSolve()";
  refuseOthers(A, tag);
  refuseOthers(B, tag);
  MatNonSquareCheck(A, tag);
  if (A->rows != B->rows) MatError2(tag, "Row number is not same", A, B);
  const bool complexA = A->class_ == MAT_COMPLEX && !hasZeroImaginary(A);
  const bool complexB = B->class_ == MAT_COMPLEX && !hasZeroImaginary(B);
  const bool complexResult = A->class_ == MAT_COMPLEX || B->class_ == MAT_COMPLEX;
  Matrix* X;
  if (complexA || complexB) {
    Matrix* a = complexOperand(A);
    Matrix* b = complexOperand(B);
    X = C_Mat_LUSolve(C_MatNonNameDef(B->rows, B->cols), a, b, tol);
    releaseIfMade(a, A);
    releaseIfMade(b, B);
  } else {
    Matrix* a = realOperand(A);
    Matrix* b = realOperand(B);
    X = Mat_LUSolve(MatNonNameDef(B->rows, B->cols), a, b, tol);
    releaseIfMade(a, A);
    releaseIfMade(b, B);
    if (X != nullptr && complexResult) X = complexFromReal(X);
  }
  if (X == nullptr) MatError2(tag, "Singular", A, B);
  return X;
}

Matrix* Mat_Inv(Matrix* X, Matrix* A, double* det, double tol) {
  Work<double> a = workOf<double>(A);
  gaussJordan(a, det, tol, A, "Mat_Inv()");
  storeWork(X, a);
  return X;
}

Matrix* C_Mat_Inv(Matrix* X, Matrix* A, cplx* det, double tol) {
  Work<cplx> a = workOf<cplx>(A);
  gaussJordan(a, det, tol, A, "C_Mat_Inv()");
  storeWork(X, a);
  return X;
}

Matrix* MatInv(Matrix* A, double tol) {
  const char* tag = "MatInv()";
  refuseOthers(A, tag);
  if (A->rows != A->cols) {
    MatErrorSource("inv(%s(%dx%d), %G)", nameOf(A), A->rows, A->cols, tol);
    MatError(tag, "Not a square matrix", A);
  }
  if (A->class_ == MAT_COMPLEX && !hasZeroImaginary(A)) {
    cplx det;
    return C_Mat_Inv(C_MatNonNameDef(A->rows, A->cols), A, &det, tol);
  }
  Matrix* a = realOperand(A);
  double det;
  Matrix* X = Mat_Inv(MatNonNameDef(A->rows, A->cols), a, &det, tol);
  releaseIfMade(a, A);
  return A->class_ == MAT_COMPLEX ? complexFromReal(X) : X;
}

double MatDeterm(Matrix* A) {
  const char* tag = "MatDeterm()";
  MatErrorSource("det(%s(%dx%d))", nameOf(A), A->rows, A->cols);
  refuseOthers(A, tag);
  MatZeroSizeCheck(A, tag);
  MatNonSquareCheck(A, tag);
  MatNotRealCheck(A, tag);
  mat_err_src[0] = '\0';
  return determinantOf<double>(A);
}

cplx C_MatDeterm(Matrix* A) { return determinantOf<cplx>(A); }
