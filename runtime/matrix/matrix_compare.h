// Element-wise comparisons, zero and equality tests.
#pragma once

// The random matrices, long reached through this header.
#include "runtime/matrix/matrix_random.h"

struct Matrix;

// a op b element by element, for two matrices of the same size; op is one
// of "==", "!=", "<", "<=", ">", ">=", "&&", "||", "max", "min". The result
// is real, 1.0 where the relation holds and 0.0 elsewhere; "&&" and "||"
// test for non-zero (a NaN is non-zero); "max" and "min" give the larger or
// smaller element (b when it is strictly larger or smaller, else a, so a
// NaN in a is kept and one in b is passed over). An empty operand gives an
// empty real matrix shaped like a. Operands of different classes are
// compared in their joint class. Complex operands: "==" and "!=" compare
// both parts, the orderings and "max"/"min" compare re*re + im*im, and
// "max"/"min" give a complex result. Polynomial and rational operands take
// only "==" and "!=".
Matrix* MatCompareElem(Matrix* a, Matrix* b, const char* op);

// Every element exactly zero (both parts of a complex one); true for an
// empty matrix. -0.0 is zero, NaN is not.
int MatIsZero(Matrix* m);
int MatIsNonZero(Matrix* m);
// False when class, rows or cols differ; otherwise true when a - b is zero
// everywhere. Real and complex elements are compared directly, so that
// equal infinities are equal (their difference would be NaN).
int MatIsEqual(Matrix* a, Matrix* b);
int MatIsNotEqual(Matrix* a, Matrix* b);
