// The eigenvalue kernels' shared pieces: column-major square work arrays,
// the published routines themselves, and the ordering and normalisation of
// results. Internal to runtime/linalg and its tests.
#pragma once

#include <vector>

#include "runtime/linalg/linalg_internal.h"

namespace vorn_linalg {

// Column-major n x n array (the published routines' layout), from 0.
template <class T>
struct Square {
  int n = 0;
  std::vector<T> a;
  explicit Square(int order) : n(order), a(static_cast<size_t>(order) * order, T(0)) {}
  T& operator()(int i, int j) { return a[static_cast<size_t>(j) * n + i]; }
  const T& operator()(int i, int j) const { return a[static_cast<size_t>(j) * n + i]; }
  T* col(int j) { return a.data() + static_cast<size_t>(j) * n; }
};

// Balancing of a general matrix given as its parts: the real one, or the
// real and imaginary parts of a complex one; back-transformation of
// eigenvectors given the same way; the balancing matrix itself.
void balance(const std::vector<Square<double>*>& parts, int& low, int& igh, std::vector<double>& scale);
void balbak(int low, int igh, const std::vector<double>& scale, const std::vector<Square<double>*>& z, int m);
Square<double> diag_balance(int low, int igh, const std::vector<double>& scale, int n);

// Real general matrices (EISPACK).
void orthes(int low, int igh, Square<double>& a, std::vector<double>& ort);
void ortran(int low, int igh, Square<double>& a, std::vector<double>& ort, Square<double>& z);
int hqr(int low, int igh, Square<double>& h, std::vector<double>& wr, std::vector<double>& wi);
int hqr2(int low, int igh, Square<double>& h, std::vector<double>& wr, std::vector<double>& wi,
         Square<double>& z);

// Eigenvalues in descending order (real part, then imaginary part), the
// eigenvector columns following; unit Euclidean norm per column.
void orderEigen(std::vector<cplx>& val, Work<cplx>* vec);
void normalize_vector(Work<cplx>& vec);
void storeEigen(Matrix* val, Matrix* vec, const std::vector<cplx>& v, const Work<cplx>* z);
// Complex division (ar + i ai) / (br + i bi), EISPACK cdiv.
void cdiv(double ar, double ai, double br, double bi, double& cr, double& ci);
// A real n x n matrix into a column-major square, and back.
Square<double> squareOf(const Matrix* A);
void storeSquare(Matrix* M, Square<double>& a);
// The last step of the eigenvalue operations: orders the values (with
// orderVectors, the vector columns too), stores them in val and vec, and
// returns 0, or 1 after warn() when the iteration did not converge.
template <class Warn>
int finishEigen(std::vector<cplx>& values, Work<cplx>& vectors, bool orderVectors, Matrix* val, Matrix* vec,
                int ierr, Warn warn) {
  orderEigen(values, orderVectors ? &vectors : nullptr);
  storeEigen(val, vec, values, &vectors);
  if (ierr != 0) {
    warn();
    return 1;
  }
  return 0;
}
// Eigenvectors from the real columns of z: where im[j] is non-zero (and a
// column follows), columns j and j+1 hold the pair re +/- i*im.
void complexColumns(const Square<double>& z, const std::vector<double>& im, Work<cplx>& vectors);
// New n x (n+1) complex temporary: the n values in the first column, the
// n x n vectors beside them; val and vec are released.
Matrix* valuesBesideVectors(Matrix* val, Matrix* vec);

}  // namespace vorn_linalg
