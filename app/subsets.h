// Random subsets and binomial coefficients for aggregated EM. Subsets are
// real 1 x K rows listing their elements in increasing order; integer
// values are stored as doubles.
#pragma once

struct Matrix;

// M random K-element subsets of {1 .. N}, one per row of an M x K matrix;
// distinct unless the approximate path of SampIntsAWOrep was taken.
Matrix* mCnk(int N, int K, int M);

// n random integers from 1 .. m (1 x n): without repetition through a
// random permutation, or, when m > 999 and m / 50 >= n, as n independent
// uniform draws. m < n (or n < 0) ends the process with status 1; n = 0
// gives an empty row and draws nothing.
Matrix* SampIntsAWOrep(int m, int n);

// The binomial coefficient B(N, K) in 32-bit integers, by cancelling the
// factors of K'! = min(K, N - K)! against N (N-1) ... before multiplying.
// Status 1 when a factor could overflow maxint; 0 for K < 0 or K > N.
int combination(int N, int K);

// Fills cmb (1 x K) with the idx-th K-element subset of {1 .. N} in
// lexicographic order and returns it; idx outside 1 .. B(N, K) ends the
// process with status 1.
Matrix* idx2cmb(int N, int K, int idx, Matrix* cmb);

// 1 when b divides a (b (a / b) = a, integer division), else 0; 0 for b = 0.
int isdiv(int a, int b);

// Prints every K-element subset of {1 .. N} in lexicographic order, one
// numbered line each ("cmb<p>: e1 e2 ...").
void listcombinations(int N, int K);
