// Printing matrices to standard output in the runtime's block layout.
#pragma once

struct Matrix;

Matrix* MatPrint(Matrix* m);
Matrix* MatPrintArray(Matrix* m);
Matrix* MatPrintIndex(Matrix* m);
void MatPrintHead(Matrix* m, int kind);   // 1 matrix, 2 array, 3 index
void Mat_Print(Matrix* m);
void C_Mat_Print(Matrix* m);
