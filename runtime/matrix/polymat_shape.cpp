// Shapes of polynomial and rational matrices: the family check, then the
// matrix routine that serves every class.
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/matrix/matrix_shape.h"
#include "runtime/matrix/matrix_sub.h"
#include "runtime/matrix/polymat.h"

namespace {

using Shape = Matrix* (*)(Matrix*);

Matrix* polyShape(Shape shape, Matrix* m, const char* tag) {
  MatNotPolynomialCheck(m, tag);
  return shape(m);
}
Matrix* ratShape(Shape shape, Matrix* m, const char* tag) {
  MatNotRationalCheck(m, tag);
  return shape(m);
}

// The block (i1..i2, j1..j2) through the range forms with unit steps.
Matrix* getBlock(Matrix* m, int i1, int i2, int j1, int j2) { return MatGetSubMatrix2(m, i1, i2, 1, j1, j2, 1); }
Matrix* setBlock(Matrix* dst, int i1, int i2, int j1, int j2, Matrix* src) {
  return MatSetSubMatrix2(dst, i1, i2, 1, j1, j2, 1, src);
}

}  // namespace

Matrix* P_Mat_FlipLR(Matrix* m) { return polyShape(MatFlipLR, m, "P_Mat_FlipLR()"); }
Matrix* P_Mat_FlipUD(Matrix* m) { return polyShape(MatFlipUD, m, "P_Mat_FlipUD()"); }
Matrix* P_Mat_RotateUp(Matrix* m) { return polyShape(MatRotateUp, m, "P_Mat_RotateUp()"); }
Matrix* P_Mat_RotateDown(Matrix* m) { return polyShape(MatRotateDown, m, "P_Mat_RotateDown()"); }
Matrix* P_Mat_RotateLeft(Matrix* m) { return polyShape(MatRotateLeft, m, "P_Mat_RotateLeft()"); }
Matrix* P_Mat_RotateRight(Matrix* m) { return polyShape(MatRotateRight, m, "P_Mat_RotateRight()"); }
Matrix* P_Mat_ShiftUp(Matrix* m) { return polyShape(MatShiftUp, m, "P_Mat_ShiftUp()"); }
Matrix* P_Mat_ShiftDown(Matrix* m) { return polyShape(MatShiftDown, m, "P_Mat_ShiftDown()"); }
Matrix* P_Mat_ShiftLeft(Matrix* m) { return polyShape(MatShiftLeft, m, "P_Mat_ShiftLeft()"); }
Matrix* P_Mat_ShiftRight(Matrix* m) { return polyShape(MatShiftRight, m, "P_Mat_ShiftRight()"); }
Matrix* P_Mat_ChangeRow(Matrix* m, int i, int j) {
  MatNotPolynomialCheck(m, "P_Mat_ChangeRow()");
  return MatChangeRow(m, i, j);
}
Matrix* P_Mat_ChangeColumn(Matrix* m, int i, int j) {
  MatNotPolynomialCheck(m, "P_Mat_ChangeColumn()");
  return MatChangeColumn(m, i, j);
}
Matrix* P_Mat_GetBlockSubMatrix(Matrix* m, int i1, int i2, int j1, int j2) {
  MatNotPolynomialCheck(m, "P_Mat_GetBlockSubMatrix()");
  return getBlock(m, i1, i2, j1, j2);
}
Matrix* P_Mat_SetBlockSubMatrix(Matrix* dst, int i1, int i2, int j1, int j2, Matrix* src) {
  MatNotPolynomialCheck(dst, "P_Mat_SetBlockSubMatrix()");
  return setBlock(dst, i1, i2, j1, j2, src);
}
Matrix* P_MatRealPart(Matrix* m) { return P_Mat_RealPart(m); }
Matrix* P_MatImagPart(Matrix* m) { return P_Mat_ImagPart(m); }

Matrix* R_Mat_FlipLR(Matrix* m) { return ratShape(MatFlipLR, m, "R_Mat_FlipLR()"); }
Matrix* R_Mat_FlipUD(Matrix* m) { return ratShape(MatFlipUD, m, "R_Mat_FlipUD()"); }
Matrix* R_Mat_RotateUp(Matrix* m) { return ratShape(MatRotateUp, m, "R_Mat_RotateUp()"); }
Matrix* R_Mat_RotateDown(Matrix* m) { return ratShape(MatRotateDown, m, "R_Mat_RotateDown()"); }
Matrix* R_Mat_RotateLeft(Matrix* m) { return ratShape(MatRotateLeft, m, "R_Mat_RotateLeft()"); }
Matrix* R_Mat_RotateRight(Matrix* m) { return ratShape(MatRotateRight, m, "R_Mat_RotateRight()"); }
Matrix* R_Mat_ShiftUp(Matrix* m) { return ratShape(MatShiftUp, m, "R_Mat_ShiftUp()"); }
Matrix* R_Mat_ShiftDown(Matrix* m) { return ratShape(MatShiftDown, m, "R_Mat_ShiftDown()"); }
Matrix* R_Mat_ShiftLeft(Matrix* m) { return ratShape(MatShiftLeft, m, "R_Mat_ShiftLeft()"); }
Matrix* R_Mat_ShiftRight(Matrix* m) { return ratShape(MatShiftRight, m, "R_Mat_ShiftRight()"); }
Matrix* R_Mat_ChangeRow(Matrix* m, int i, int j) {
  MatNotRationalCheck(m, "R_Mat_ChangeRow()");
  return MatChangeRow(m, i, j);
}
Matrix* R_Mat_ChangeColumn(Matrix* m, int i, int j) {
  MatNotRationalCheck(m, "R_Mat_ChangeColumn()");
  return MatChangeColumn(m, i, j);
}
Matrix* R_Mat_GetBlockSubMatrix(Matrix* m, int i1, int i2, int j1, int j2) {
  MatNotRationalCheck(m, "R_Mat_GetBlockSubMatrix()");
  return getBlock(m, i1, i2, j1, j2);
}
Matrix* R_Mat_SetBlockSubMatrix(Matrix* dst, int i1, int i2, int j1, int j2, Matrix* src) {
  MatNotRationalCheck(dst, "R_Mat_SetBlockSubMatrix()");
  return setBlock(dst, i1, i2, j1, j2, src);
}
Matrix* R_MatRealPart(Matrix* m) { return R_Mat_RealPart(m); }
Matrix* R_MatImagPart(Matrix* m) { return R_Mat_ImagPart(m); }
