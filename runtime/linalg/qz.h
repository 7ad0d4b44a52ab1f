// The generalized eigenproblem A*x = lambda*B*x by the QZ algorithm.
//
// Eigenvalues come as an n x 1 complex column (infinite where B is
// singular), eigenvectors as an n x n complex matrix with unit columns,
// ordered as the ordinary eigenproblem's.
#pragma once

struct Matrix;

// Returns 0, or 1 when the QZ iteration used up its budget of 30*n
// iterations ("Solution will not converge"; the values not reached are 0
// and the eigenvectors all 0).
int MatGEig(Matrix* A, Matrix* B, Matrix** val, Matrix** vec);
Matrix* MatGEigVal(Matrix* A, Matrix* B);
Matrix* MatGEigVec(Matrix* A, Matrix* B);
// Eigenvalues in column 1 and eigenvectors in columns 2 .. n+1.
Matrix* MatGEigValVec(Matrix* A, Matrix* B);

// Q*A*Z = AA and Q*B*Z = BB with orthogonal (unitary) Q and Z, BB upper
// triangular, AA quasi upper triangular (1 x 1 and 2 x 2 blocks) for real
// operands and upper triangular for complex ones; V holds the generalized
// eigenvectors as MatGEig gives them. Returns 0 or 1.
int MatQZ(Matrix* A, Matrix* B, Matrix** AA, Matrix** BB, Matrix** Q, Matrix** Z, Matrix** V);

// Kernels, on square operands of one order, results defined by the
// caller. The complex ones (AA and BB upper triangular, Q and Z unitary)
// take real or complex operands and report non-convergence as
// "Solution(value) will not converge" (values only) or "Solution(vector)
// will not converge"; a zero on BB's diagonal is the warning "Zero
// division" and an infinite eigenvalue.
int Mat_GEig(Matrix* A, Matrix* B, Matrix* val, Matrix* vec);
int Mat_GEigVal(Matrix* A, Matrix* B, Matrix* val);
int Mat_QZ(Matrix* A, Matrix* B, Matrix* AA, Matrix* BB, Matrix* Q, Matrix* Z, Matrix* V);
int C_Mat_GEig(Matrix* A, Matrix* B, Matrix* val, Matrix* vec);
int C_Mat_GEigVal(Matrix* A, Matrix* B, Matrix* val);
int C_Mat_QZ(Matrix* A, Matrix* B, Matrix* AA, Matrix* BB, Matrix* Q, Matrix* Z, Matrix* V);
