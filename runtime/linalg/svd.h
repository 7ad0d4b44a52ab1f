// Singular value decomposition of real and complex matrices, and the rank,
// singularity and pseudo-inverse tests that rest on it.
#pragma once

struct Matrix;

// A = U*S*V' (V' conjugated for complex A): s min(m, n) x 1 real, in
// descending order; U m x m, V n x n. Returns 0, or 1 when the iteration
// did not converge (after the warning; the results are then partial).
int MatSVD(Matrix* A, Matrix** s, Matrix** U, Matrix** V);
// Kernels: results of the shapes above, defined by the caller.
int Mat_SVD(Matrix* A, Matrix* s, Matrix* U, Matrix* V);
int C_Mat_SVD(Matrix* A, Matrix* s, Matrix* U, Matrix* V);

Matrix* MatSingVal(Matrix* A);        // s
Matrix* MatSingLeftVec(Matrix* A);    // U
Matrix* MatSingRightVec(Matrix* A);   // V
// Block-diagonal combinations: diag(U, V), (m+n) x (m+n); and
// diag(U, S, V) with S the m x n matrix of the singular values,
// (2m+n) x (m+2n).
Matrix* MatSingVec(Matrix* A);
Matrix* MatSingValVec(Matrix* A);
double MatMinSingVal(Matrix* A);

// Number of leading singular values greater than tol; a negative tol stands
// for ||A||_F * vorn_eps.
int MatRank(Matrix* A, double tol);
int MatIsSingular(Matrix* A, double tol);      // smallest singular value <= tol
int MatIsNonSingular(Matrix* A, double tol);
int MatIsFullRank(Matrix* A, double tol);      // rank = rows or rank = cols

// Moore-Penrose pseudo-inverse V*S+*U' (n x m) from the singular values
// greater than tol (negative: ||A||_F * vorn_eps).
Matrix* MatPseudoInv(Matrix* A, double tol);
Matrix* Mat_PseudoInv(Matrix* X, Matrix* A, double tol);
Matrix* C_Mat_PseudoInv(Matrix* X, Matrix* A, double tol);
