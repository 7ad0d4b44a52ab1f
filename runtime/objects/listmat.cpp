#include "runtime/objects/listmat.h"

#include <cstdio>
#include <initializer_list>

#include "runtime/linalg/eigen.h"
#include "runtime/linalg/lu.h"
#include "runtime/linalg/qr.h"
#include "runtime/linalg/qz.h"
#include "runtime/linalg/svd.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_reduce.h"
#include "runtime/matrix/matrix_sort.h"
#include "runtime/core/report.h"
#include "runtime/objects/list.h"

namespace {

// Packs two matrices (copies) and releases them.
List* packTwo(int class1, Matrix* first, int class2, Matrix* second) {
  List* l = ListElementsDef(2, class1, static_cast<void*>(first), class2, static_cast<void*>(second));
  MatUndef(first);
  MatUndef(second);
  return l;
}

using Extremes = Matrix* (*)(Matrix* m, Matrix* index, int mode);

List* extremesOf(Matrix* m, int by_col, Extremes extremes, const char* tag) {
  if (m->class_ != MAT_REAL && m->class_ != MAT_COMPLEX) {
    // Both wrappers describe the failing call as "maximum".
    std::snprintf(list_err_src, vorn_report::kSourceSize, "maximum_%s(%s)", by_col ? "col" : "row",
                  m->name[0] != '\0' ? m->name : "{...}");
    ListError(tag, "Not a real nor a complex matrix", ListDef("", 0));
  }
  Matrix* index = MatDef("", 0, 0);
  Matrix* values = extremes(m, index, by_col ? 1 : 0);
  return packTwo(LIST_MATRIX, values, LIST_INDEX, index);
}

using ExtremeElem = double (*)(Matrix* m, int* i, int* j);

List* extremeElemOf(Matrix* m, ExtremeElem extreme) {
  int i = 0, j = 0;
  const double value = extreme(m, &i, &j);
  Matrix* position = MatDef("", 1, 2);
  MatReal(position)[0] = i;
  MatReal(position)[1] = j;
  return packTwo(LIST_MATRIX, MatFillDef(1, 1, value), LIST_INDEX, position);
}

}  // namespace

List* ListMatSort(Matrix* m, int class_, int mode) {
  if (class_ != LIST_MATRIX && class_ != LIST_ARRAY && class_ != LIST_INDEX)
    ListError("ListMatSort()", "Incorrect class", nullptr);
  Matrix* index = MatDef("", 0, 0);
  Matrix* sorted = MatSort(m, index, mode);
  return packTwo(class_, sorted, LIST_INDEX, index);
}

List* ListMatSize(Matrix* m) { return ListElementsDef(2, LIST_INTEGER, m->rows, LIST_INTEGER, m->cols); }

List* ListMatMaximum(Matrix* m, int by_col) {
  return extremesOf(m, by_col, MatMaximum, "ListMatMaximum()");
}

List* ListMatMinimum(Matrix* m, int by_col) {
  return extremesOf(m, by_col, MatMinimum, "ListMatMinimum()");
}

List* ListMatMaximumElem(Matrix* m) { return extremeElemOf(m, MatMaximumElem); }
List* ListMatMinimumElem(Matrix* m) { return extremeElemOf(m, MatMinimumElem); }

namespace {

void releaseAll(std::initializer_list<Matrix*> ms) {
  for (Matrix* m : ms) MatUndef(m);
}

// The n x 1 eigenvalue column as an n x n diagonal matrix.
Matrix* diagonalOf(Matrix* column) {
  const int n = column->rows;
  Matrix* d = C_MatZDef2(n, n);
  for (int k = 0; k < n; k++) {
    MatReal(d)[2 * (static_cast<size_t>(k) * n + k)] = MatReal(column)[2 * k];
    MatReal(d)[2 * (static_cast<size_t>(k) * n + k) + 1] = MatReal(column)[2 * k + 1];
  }
  return d;
}

List* eigenList(Matrix* val, Matrix* vec, int status) {
  Matrix* d = diagonalOf(val);
  List* l = ListElementsDef(3, LIST_MATRIX, static_cast<void*>(d), LIST_MATRIX, static_cast<void*>(vec),
                            LIST_INTEGER, status);
  releaseAll({d, val, vec});
  return l;
}

}  // namespace

List* ListMatBalance(Matrix* m) {
  Matrix *D, *B;
  MatBalance(m, &D, &B);
  return packTwo(LIST_MATRIX, D, LIST_MATRIX, B);
}

List* ListMatEig(Matrix* m) {
  Matrix *val, *vec;
  const int status = MatEig(m, &val, &vec);
  return eigenList(val, vec, status);
}

List* ListMatGEig(Matrix* a, Matrix* b) {
  Matrix *val, *vec;
  const int status = MatGEig(a, b, &val, &vec);
  return eigenList(val, vec, status);
}

List* ListMatSVD(Matrix* m) {
  Matrix *s, *U, *V;
  const int status = MatSVD(m, &s, &U, &V);
  Matrix* S = MatZDef2(m->rows, m->cols);
  for (int k = 0; k < s->rows; k++) MatReal(S)[static_cast<size_t>(k) * m->cols + k] = MatReal(s)[k];
  List* l = ListElementsDef(4, LIST_MATRIX, static_cast<void*>(U), LIST_MATRIX, static_cast<void*>(S),
                            LIST_MATRIX, static_cast<void*>(V), LIST_INTEGER, status);
  releaseAll({s, U, V, S});
  return l;
}

List* ListMatLU(Matrix* m, int flag) {
  Matrix *L, *U, *P;
  MatLU(m, &L, &U, &P);
  if (flag == 0) {
    Matrix* Pt = MatTrans(P);
    Matrix* PtL = MatMul(Pt, L);
    List* l = ListElementsDef(2, LIST_MATRIX, static_cast<void*>(PtL), LIST_MATRIX, static_cast<void*>(U));
    releaseAll({L, U, P, Pt, PtL});
    return l;
  }
  List* l = ListElementsDef(3, LIST_MATRIX, static_cast<void*>(L), LIST_MATRIX, static_cast<void*>(U),
                            LIST_MATRIX, static_cast<void*>(P));
  releaseAll({L, U, P});
  return l;
}

List* ListMatHessenberg(Matrix* m) {
  Matrix *P, *H;
  MatHessenberg(m, &P, &H);
  return packTwo(LIST_MATRIX, P, LIST_MATRIX, H);
}

List* ListMatSchur(Matrix* m) {
  Matrix *U, *T;
  const int status = MatSchur(m, &U, &T);
  List* l = ListElementsDef(3, LIST_MATRIX, static_cast<void*>(U), LIST_MATRIX, static_cast<void*>(T),
                            LIST_INTEGER, status);
  releaseAll({U, T});
  return l;
}

List* ListMatQR(Matrix* m, int flag) {
  Matrix *Q, *R, *P;
  MatQR(m, &Q, &R, &P, flag);
  if (flag == 0) {
    MatUndef(P);
    return packTwo(LIST_MATRIX, Q, LIST_MATRIX, R);
  }
  List* l = ListElementsDef(3, LIST_MATRIX, static_cast<void*>(Q), LIST_MATRIX, static_cast<void*>(R),
                            LIST_MATRIX, static_cast<void*>(P));
  releaseAll({Q, R, P});
  return l;
}

List* ListMatQZ(Matrix* a, Matrix* b) {
  Matrix *AA, *BB, *Q, *Z, *V;
  const int status = MatQZ(a, b, &AA, &BB, &Q, &Z, &V);
  List* l = ListElementsDef(6, LIST_MATRIX, static_cast<void*>(AA), LIST_MATRIX, static_cast<void*>(BB),
                            LIST_MATRIX, static_cast<void*>(Q), LIST_MATRIX, static_cast<void*>(Z),
                            LIST_MATRIX, static_cast<void*>(V), LIST_INTEGER, status);
  releaseAll({AA, BB, Q, Z, V});
  return l;
}
