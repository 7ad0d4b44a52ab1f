// LU decomposition with partial pivoting, forward and back substitution,
// square systems, Gauss-Jordan inversion and the determinant, for real and
// complex matrices. The user-level operations check their operands and
// return new temporaries; the Mat_ (real) and C_Mat_ (complex) kernels
// write into results the caller has defined with the right shape.
#pragma once

#include <complex>

struct Matrix;

// P*A = L*U for an m x n A: L m x k unit lower, U k x n upper, P m x m,
// k = min(m, n). A complex A with zero imaginary parts gives complex L, U
// and a real P.
void MatLU(Matrix* A, Matrix** L, Matrix** U, Matrix** P);
void Mat_LU(Matrix* A, Matrix* L, Matrix* U, Matrix* P);
void C_Mat_LU(Matrix* A, Matrix* L, Matrix* U, Matrix* P);
// Records in piv[0 .. steps-1] the row (from 1) swapped with row k+1 at
// step k+1 and returns the number of steps, min(n, m - 1). A column with
// no nonzero pivot candidate is left uneliminated, so the factors stay
// finite and P*A = L*U holds for a singular A too.
int Mat_LU_piv(Matrix* A, Matrix* L, Matrix* U, int* piv);
int C_Mat_LU_piv(Matrix* A, Matrix* L, Matrix* U, int* piv);

// For i = 1 .. count, swaps row (rows != 0) or column i of M with row or
// column piv[i-1].
void MatPermutate(Matrix* M, const int* piv, int count, int rows);

// X with L*X = B (only L's lower triangle is read), and X with U*X = B.
// A diagonal entry of magnitude <= tol is the fatal "Singular"; a triangle
// that is not square or whose order differs from B's rows is reported too.
Matrix* MatForSub(Matrix* B, Matrix* L, double tol);
Matrix* MatBackSub(Matrix* B, Matrix* U, double tol);
// The kernels return X, or nullptr when a diagonal entry is within tol.
Matrix* Mat_ForSub(Matrix* X, Matrix* L, Matrix* B, double tol);
Matrix* Mat_BackSub(Matrix* X, Matrix* U, Matrix* B, double tol);
Matrix* C_Mat_ForSub(Matrix* X, Matrix* L, Matrix* B, double tol);
Matrix* C_Mat_BackSub(Matrix* X, Matrix* U, Matrix* B, double tol);

// X = inverse(A) * B through LU; a failed substitution is "Singular".
Matrix* MatLUSolve(Matrix* A, Matrix* B, double tol);
Matrix* Mat_LUSolve(Matrix* X, Matrix* A, Matrix* B, double tol);
Matrix* C_Mat_LUSolve(Matrix* X, Matrix* A, Matrix* B, double tol);

// Gauss-Jordan inverse. A pivot of magnitude <= |tol| gives the warning
// "Singular: result may be inaccurate" (fatal for a negative tol) and is
// raised to vorn_eps when smaller. An empty A gives an empty result.
Matrix* MatInv(Matrix* A, double tol);
Matrix* Mat_Inv(Matrix* X, Matrix* A, double* det, double tol);
Matrix* C_Mat_Inv(Matrix* X, Matrix* A, std::complex<double>* det, double tol);

// Determinant through LU: real square A only.
double MatDeterm(Matrix* A);
std::complex<double> C_MatDeterm(Matrix* A);
