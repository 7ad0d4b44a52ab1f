// Eigenvalues and eigenvectors of real and complex general matrices and of
// Hermitian matrices; balancing, Hessenberg and Schur forms; the companion
// matrix of a polynomial's coefficients.
//
// Eigenvalues come as an n x 1 complex column, eigenvectors as an n x n
// complex matrix with columns of unit Euclidean norm, both ordered by real
// part, largest first, and among equal real parts by imaginary part.
#pragma once

struct Matrix;

// Returns 0, or 1 when the QR iteration used up its budget of 30*n
// iterations ("Solution will not converge"): the eigenvalues found are
// kept, the others are 0, and the eigenvectors are then all 0.
int MatEig(Matrix* A, Matrix** val, Matrix** vec);
Matrix* MatEigVal(Matrix* A);
Matrix* MatEigVec(Matrix* A);
// Eigenvalues in column 1 and eigenvectors in columns 2 .. n+1.
Matrix* MatEigValVec(Matrix* A);
// The results have the shapes of MatEigValDef and MatEigVecDef.
Matrix* MatEigValDef(Matrix* A);
Matrix* MatEigVecDef(Matrix* A);

// Kernels: val n x 1 and vec n x n complex, defined by the caller.
int Mat_Eig(Matrix* A, Matrix* val, Matrix* vec);
int Mat_EigVal(Matrix* A, Matrix* val);
int C_Mat_Eig(Matrix* A, Matrix* val, Matrix* vec);
int C_Mat_EigVal(Matrix* A, Matrix* val);
Matrix* Mat_EigVec(Matrix* A);
Matrix* C_Mat_EigVec(Matrix* A);
Matrix* Mat_EigValVec(Matrix* A);
Matrix* C_Mat_EigValVec(Matrix* A);

// Hermitian A (complex class): real eigenvalues, descending, in a complex
// column, and orthonormal eigenvectors. Returns 0, or 1 when an eigenvalue
// took more than 30 iterations.
int MatHermitEig(Matrix* A, Matrix** val, Matrix** vec);
int C_Mat_HermitEig(Matrix* A, Matrix* val, Matrix* vec);

// B = inverse(D) * A * D with D a permuted diagonal scaling by powers of
// the radix, which brings rows and columns to comparable norms.
void MatBalance(Matrix* A, Matrix** D, Matrix** B);
void Mat_Balance(Matrix* A, Matrix* D, Matrix* B);
void C_Mat_Balance(Matrix* A, Matrix* D, Matrix* B);

// A = P * H * P' with P orthogonal (unitary) and H upper Hessenberg.
void MatHessenberg(Matrix* A, Matrix** P, Matrix** H);
void Mat_Hessenberg(Matrix* A, Matrix* P, Matrix* H);
void C_Mat_Hessenberg(Matrix* A, Matrix* P, Matrix* H);

// A = U * T * U' with U orthogonal (unitary) and T quasi upper triangular
// (real: 1 x 1 and 2 x 2 diagonal blocks) or upper triangular (complex).
// Returns 0, or 1 on non-convergence.
int MatSchur(Matrix* A, Matrix** U, Matrix** T);
int Mat_Schur(Matrix* A, Matrix* U, Matrix* T);
int C_Mat_Schur(Matrix* A, Matrix* U, Matrix* T);

// The k x k companion matrix of a row (or column) c of k values: c in the
// last row, ones on the superdiagonal, zeros elsewhere; real or complex as
// c is. With c the negated lower coefficients of a monic polynomial, its
// eigenvalues are the polynomial's roots.
Matrix* MatCompanion(Matrix* c);
