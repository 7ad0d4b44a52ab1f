// Sub-matrix selection and assignment: blocks by corner indices, rows and
// columns by index vectors, elements by running index, and the series and
// index complements that the range forms and deletion build on.
//
// Index vectors are real matrices with at most one row; each value is
// rounded to the nearest integer (ties to even) before use. Selections
// return new temporaries; assignments change dst in place and return it.
// Writing may grow dst and widen its class to the joint class of dst and
// src; an empty src truncates (MatPut) or deletes rows, columns or elements.
#pragma once

struct Matrix;

// Series and index sets.

// 1 x n row vector from, from+step, ... (each term the previous plus step);
// 1 x 0 when step points away from `to`, the single value from when step is 0.
Matrix* MatSeries(double from, double to, double step);
// 1 x n row vector of the integers low..high that are not values of index,
// ascending. Index values must be distinct integers within low..high.
Matrix* MatComplementIndex(Matrix* index, int low, int high);

// Blocks.

// m(i1..i2, j1..j2) as a new temporary of m's class.
Matrix* MatCut(Matrix* m, int i1, int j1, int i2, int j2);
// Writes src into dst with its top-left element at (i, j), growing and
// widening dst as needed. An empty src truncates dst: at (1, 1) to 0x0, at
// (1, j) to its first j-1 columns, at (i, 1) to its first i-1 rows.
Matrix* MatPut(Matrix* dst, int i, int j, Matrix* src);
// Writes src(i1..i2, j1..j2) into dst at (i, j); never grows or widens dst.
Matrix* MatAreaCopy(Matrix* dst, int i, int j, Matrix* src, int i1, int j1, int i2, int j2);

// Rows and columns by index vectors.

// Element (a, b) of the result is m(rows[a], cols[b]).
Matrix* MatGetSubMatrix(Matrix* m, Matrix* rows, Matrix* cols);
Matrix* MatGetSubMatrix2(Matrix* m, int i1, int i2, int istep, int j1, int j2, int jstep);
// dst(rows[a], cols[b]) = src(a, b); an empty src deletes whole rows or
// whole columns (all of the other dimension must be listed).
Matrix* MatSetSubMatrix(Matrix* dst, Matrix* rows, Matrix* cols, Matrix* src);
Matrix* MatSetSubMatrix2(Matrix* dst, int i1, int i2, int istep, int j1, int j2, int jstep,
                         Matrix* src);
// MatSetSubMatrix over the columns j .. j+src.cols-1 (to dst.cols when src
// is empty); MatSetColVecs likewise over rows.
Matrix* MatSetRowVecs(Matrix* dst, Matrix* rows, int j, Matrix* src);
Matrix* MatSetColVecs(Matrix* dst, int i, Matrix* cols, Matrix* src);
Matrix* MatSetRowVecs2(Matrix* dst, int i1, int i2, int istep, int j, Matrix* src);
Matrix* MatSetColVecs2(Matrix* dst, int i, int j1, int j2, int jstep, Matrix* src);

// Elements by running index.

// The elements of m at the running indices, in index order: a row vector
// when m has one row, else a column (m's own shape when m has no elements).
Matrix* MatGetVecSubMatrix(Matrix* m, Matrix* index);
Matrix* MatGetVecSubMatrix2(Matrix* m, int from, int to, int step);
// The element of running index index[a] takes src's a-th element (storage
// order); an empty src deletes the listed elements.
Matrix* MatSetVecSubMatrix(Matrix* dst, Matrix* index, Matrix* src);
Matrix* MatSetVecSubMatrix2(Matrix* dst, int from, int to, int step, Matrix* src);
