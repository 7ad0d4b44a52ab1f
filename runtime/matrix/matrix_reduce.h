// Reductions: a whole real matrix to one double, each row or column to one
// element, and running sums and products.
//
// Sums, products, means and standard deviations accumulate in long double
// (x87, 64-bit significand), each element added in storage order, and are
// rounded to double once: when returned or stored. Extremes start from the
// first element and move only to one strictly greater (smaller), so a NaN
// is never taken up unless it comes first. Complex extremes compare the
// squared modulus re*re + im*im.
#pragma once

struct Matrix;

// Whole real matrix; 0.0 for an empty one. A non-real m is the fatal
// "Not a real matrix".
double MatSumElem(Matrix* m);
double MatMeanElem(Matrix* m);
// sqrt(sum (x - mean)^2 / (count - 1)) with mean = MatMeanElem(m): NaN for
// one element.
double MatStdDevElem(Matrix* m);
double MatProdElem(Matrix* m);
double MatMaxElem(Matrix* m);
double MatMinElem(Matrix* m);
// The extreme and its first position in storage order as (*i, *j), 1-based;
// an empty m gives 0.0 at (0, 0).
double MatMaximumElem(Matrix* m, int* i, int* j);
double MatMinimumElem(Matrix* m, int* i, int* j);

// Each row (mode other than 1: rows x 1) or each column (mode 1: 1 x cols)
// reduced to one element of m's class; a vector reduces to 1 x 1. An empty
// m gives an empty matrix of its class: 0x0 for 1xn or nx1, rows x 0 by
// rows, 0 x cols by columns.
Matrix* MatSum(Matrix* m, int mode);
Matrix* MatMean(Matrix* m, int mode);
// A vector divides by its count (population form); rows or columns of a
// matrix by their count less one (sample form). A complex m gives the real
// sqrt(sum |z - mean|^2 / divisor).
Matrix* MatStdDev(Matrix* m, int mode);
Matrix* MatMax(Matrix* m, int mode);
Matrix* MatMin(Matrix* m, int mode);
Matrix* MatProd(Matrix* m, int mode);

// MatMax and MatMin with positions: returns the extremes as MatMax does and
// replaces the contents of index (which keeps its identity and lifetime
// code) by a real matrix of the same shape holding, for each extreme, its
// column within the row (by rows), its row within the column (mode 1), or
// its position in a vector.
Matrix* MatMaximum(Matrix* m, Matrix* index, int mode);
Matrix* MatMinimum(Matrix* m, Matrix* index, int mode);

// Element k of the result is the sum (product) of elements 1..k in storage
// order; m's size and class.
Matrix* MatCumSumElem(Matrix* m);
Matrix* MatCumProdElem(Matrix* m);
// The running sums (products) along each row (mode other than 1) or each
// column (mode 1), or along the whole of a vector; m's size and class.
Matrix* MatCumSum(Matrix* m, int mode);
Matrix* MatCumProd(Matrix* m, int mode);
