#include "runtime/objects/listmat.h"

#include <cstdio>

#include "runtime/matrix/matrix.h"
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
