// Rearrangements of a whole matrix (flips, rotations, shifts, row and
// column exchanges) and its real and imaginary parts, for every class.
//
// Each returns a new temporary and leaves m unchanged. Rearrangements keep
// m's size and class; element objects are copied. Rotations and shifts move
// the rows or columns by one place: a rotation brings the row (column)
// that leaves at one end back in at the other, a shift brings in zeros of
// m's class. An m with no elements gives an empty matrix of its shape.
#pragma once

struct Matrix;

Matrix* MatFlipLR(Matrix* m);        // column j becomes column cols+1-j
Matrix* MatFlipUD(Matrix* m);        // row i becomes row rows+1-i
Matrix* MatRotateUp(Matrix* m);      // row i+1 moves to row i, row 1 to the last
Matrix* MatRotateDown(Matrix* m);
Matrix* MatRotateLeft(Matrix* m);    // column j+1 moves to column j, column 1 to the last
Matrix* MatRotateRight(Matrix* m);
Matrix* MatShiftUp(Matrix* m);       // row i+1 moves to row i, the last row is zero
Matrix* MatShiftDown(Matrix* m);
Matrix* MatShiftLeft(Matrix* m);
Matrix* MatShiftRight(Matrix* m);
// Rows (columns) i and j exchanged; each must lie within m, else the fatal
// "Not appropriate row number" ("Not appropriate column number").
Matrix* MatChangeRow(Matrix* m, int i, int j);
Matrix* MatChangeColumn(Matrix* m, int i, int j);

// The parts, element by element: a real matrix for classes 0 and 1 (a real
// m is its own real part, zeros its imaginary part); for classes 2 to 5 the
// parts of each polynomial or rational, of class 2 or 4.
Matrix* MatRealPart(Matrix* m);
Matrix* MatImagPart(Matrix* m);
