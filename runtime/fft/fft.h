// Radix-2 fast Fourier transform of the rows (or columns) of real and
// complex matrices, and its inverse.
//
// For a row x(0..n-1) the transform is X(k) = sum_j x(j) e^(-2 pi i jk/n)
// and the inverse x(j) = (1/n) sum_k X(k) e^(+2 pi i jk/n); column k+1 of
// the result holds X(k). Results are new complex temporaries.
#pragma once

struct Matrix;

// Every row of m (every column when by_columns is not 0, and always the
// column of a single-column m) brought to n points, zero-filled or cut,
// then transformed. n must be a power of two. A real operand needs n >= 4
// for the forward transform except n = 1, which gives the first column
// itself as a complex matrix.
Matrix* MatFFT(Matrix* m, int n, int by_columns);
Matrix* MatIFFT(Matrix* m, int n, int by_columns);

// Kernels over whole rows: result is a complex matrix of x's shape and is
// not x; each row's length is a power of two (at least 4 for Mat_FFT).
Matrix* Mat_FFT(Matrix* result, Matrix* x);     // x real
Matrix* Mat_IFFT(Matrix* result, Matrix* x);    // x real
Matrix* C_Mat_FFT(Matrix* result, Matrix* x);   // x complex
Matrix* C_Mat_IFFT(Matrix* result, Matrix* x);  // x complex
// Copies complex x into result and transforms each row with four1(isign),
// then reorders it to the convention above (1/n applied for isign -1).
Matrix* c_mat_four(Matrix* result, Matrix* x, int isign);

// Numerical Recipes in C, 2nd ed. (Press et al., 1992), section 12.2 and
// 12.3. data holds the points from index 0 (the book counts from 1).
//
// four1: nn complex points as (re, im) pairs, nn a power of two, replaced
// by sum_j x(j) e^(isign 2 pi i jk/nn), isign 1 or -1 (no 1/nn).
void four1(double* data, int nn, int isign);
// realft: n real points, n a power of two >= 2. isign 1 replaces them by
// H(0), H(n/2) and then the (re, im) pairs of H(1) .. H(n/2-1), H the
// transform with the positive exponent; isign -1 undoes it up to a factor
// n/2.
void realft(double* data, int n, int isign);
