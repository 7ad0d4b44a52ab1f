// Matrix construction, assignment, copy, move, swap and element access.
// Constructors return new temporaries, taking a recycled record of the same
// element count and class when one is parked; indices count from 1.
// A negative size, or one whose element count exceeds 32 bits, is the fatal
// "Not appropriate column or row number".
#pragma once

#include <cstddef>

#include "runtime/matrix/matrix.h"


// Real constructors.
Matrix* MatDef(const char* name, int rows, int cols);   // elements not initialised
Matrix* MatNonNameDef(int rows, int cols);
Matrix* MatZDef2(int rows, int cols);
Matrix* MatZDef(int n);
Matrix* MatOneDef(int rows, int cols);
Matrix* MatFillDef(int rows, int cols, double value);
Matrix* MatSameSizeFillDef(Matrix* m, double value);
Matrix* MatIDef2(int rows, int cols);
Matrix* MatIDef(int n);
Matrix* MatRowVec(int n, ...);      // n doubles follow
Matrix* MatColumnVec(int n, ...);
Matrix* MatDiagDef(int n, ...);
Matrix* MatVander(int n, ...);
Matrix* MatSameDef(Matrix* m);
Matrix* MatSameZDef(Matrix* m);
Matrix* MatSameClassDef(Matrix* m, int rows, int cols);
Matrix* MatSameClassZDef(Matrix* m, int rows, int cols);
Matrix* MatTransDef(Matrix* m);
Matrix* MatMulDef(Matrix* a, Matrix* b);   // a.rows x b.cols of the product's class

// Complex constructors.
Matrix* C_MatDef(const char* name, int rows, int cols);
Matrix* C_MatNonNameDef(int rows, int cols);
Matrix* C_MatZDef2(int rows, int cols);
Matrix* C_MatSameDef(Matrix* m);
Matrix* C_MatTransDef(Matrix* m);
Matrix* C_MatMulDef(Matrix* a, Matrix* b);

// Assignment, copy, move and swap.
// dst = src of compiled code: dst keeps its name and lifetime code and takes
// src's class, size and values (a temporary src hands over its storage);
// then the temporaries of every kind are released.
Matrix* MatAssign(Matrix* dst, Matrix* src);
Matrix* MatCopy(Matrix* dst, Matrix* src);
Matrix* MatDup(Matrix* m);
Matrix* MatElementChange(Matrix* a, Matrix* b);
Matrix* MatMove(Matrix* dst, Matrix* src);
Matrix* MatElementCopy(Matrix* dst, Matrix* src);
Matrix* MatSwap(Matrix* a, Matrix* b);
// Grow m in place (same identity, name and type), old values at the top
// left, new elements zero; EnlargeClass gives the result ref's class.
Matrix* MatEnlarge(Matrix* m, int rows, int cols);
Matrix* MatEnlargeClass(Matrix* m, int rows, int cols, Matrix* ref);
Matrix* MatSetZero(Matrix* m);
Matrix* MatFillValue(Matrix* m, double value);
Matrix* MatReshape(Matrix* m, int rows, int cols);

// Element access. Setters grow m to cover the index; readers never grow.
// The element accessors are the inner loops of compiled code: a real
// element inside the matrix is reached inline, everything else (other
// classes, growth, reports) goes through the checked paths.
Matrix* MatSetValueChecked(Matrix* m, int i, int j, double value) __attribute__((cold));
double* MatGetPtrChecked(Matrix* m, int i, int j);
// Reports the misuse of a real element read; never returns. Kept apart so
// the inline readers below carry no return path to plan registers around.
[[noreturn]] void MatGetPtrFail(Matrix* m, int i, int j) __attribute__((cold));

inline bool MatIsRealCell(const Matrix* m, int i, int j) {
  // 1 <= i <= rows, 1 <= j <= cols and class 0, tested together: one branch.
  const bool outside = (static_cast<unsigned>(i) - 1u >= static_cast<unsigned>(m->rows)) |
                       (static_cast<unsigned>(j) - 1u >= static_cast<unsigned>(m->cols)) |
                       (m->class_ != MAT_REAL);
#ifdef VORN_CHECKS
  if (m->parked) return false;  // reported on the checked path
#endif
  return !outside;
}
inline double* MatGetPtr(Matrix* m, int i, int j) {
  if (__builtin_expect(!MatIsRealCell(m, i, j), 0)) MatGetPtrFail(m, i, j);
  return MatReal(m) + static_cast<size_t>(i - 1) * m->cols + (j - 1);
}
inline double MatGetValue(Matrix* m, int i, int j) { return *MatGetPtr(m, i, j); }
inline Matrix* MatSetValue(Matrix* m, int i, int j, double value) {
  if (__builtin_expect(!MatIsRealCell(m, i, j), 0)) return MatSetValueChecked(m, i, j, value);
  MatReal(m)[static_cast<size_t>(i - 1) * m->cols + (j - 1)] = value;
  return m;
}
Matrix* Mat_SetValue(Matrix* m, int i, int j, double value);
Matrix* MatSetVecValue(Matrix* m, int k, double value);
Matrix* Mat_SetVecValue(Matrix* m, int k, double value);
double MatGetVecValue(Matrix* m, int k);
double* MatGetVecPtr(Matrix* m, int k);
int MatGetRows(Matrix* m);
int MatGetCols(Matrix* m);
int MatLength(Matrix* m);
int MatIsComplexValue(Matrix* m);
int MatIsRealValue(Matrix* m);
Matrix* MatColumnVector(Matrix* m, int j);
Matrix* MatRowVector(Matrix* m, int i);

// Complex element access: element (i, j) as (re, im).
Matrix* C_MatSetValue(Matrix* m, int i, int j, double re, double im);
Matrix* C_MatSetVecValue(Matrix* m, int k, double re, double im);
double* C_MatGetPtr(Matrix* m, int i, int j);     // address of the real part
double* C_MatGetVecPtr(Matrix* m, int k);
