// QR decomposition by Householder reflections with optional column
// pivoting, for real and complex matrices.
#pragma once

struct Matrix;

// A*P = Q*R with pivoting (P n x n permutation), A = Q*R without (P is then
// the identity): Q m x m orthogonal (unitary), R m x n upper triangular.
void MatQR(Matrix* A, Matrix** Q, Matrix** R, Matrix** P, int pivoting);
void Mat_QR(Matrix* A, Matrix* Q, Matrix* R, Matrix* P, int pivoting);
void C_Mat_QR(Matrix* A, Matrix* Q, Matrix* R, Matrix* P, int pivoting);
// m >= n only. perm receives min(m, n) column interchanges (from 1), rank
// the steps done before the remaining columns' norms reached zero; the
// reduction runs on over those columns, so A*P = Q*R holds in any case.
void Mat_QR_piv(Matrix* A, Matrix* Q, Matrix* R, int* perm, int* rank, int pivoting);
void C_Mat_QR_piv(Matrix* A, Matrix* Q, Matrix* R, int* perm, int* rank, int pivoting);

// x (a column) becomes the Householder vector with x(1) = 1 that maps x to
// a multiple of the first unit vector: divided by x(1) + sign(x(1))*||x||
// when ||x|| != 0 (sign(0) = -1; the phase of x(1) for complex x).
void Mat_HouseVector(Matrix* x);
void C_Mat_HouseVector(Matrix* x);
// A <- (I - 2*v*v'/(v'*v)) * A in place (v' the conjugate transpose).
void Mat_HousePreMul(Matrix* A, Matrix* v);
void C_Mat_HousePreMul(Matrix* A, Matrix* v);
