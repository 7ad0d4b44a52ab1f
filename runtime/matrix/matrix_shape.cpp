// Rearrangements are selections: index vectors through MatGetSubMatrix, or
// blocks through MatAreaCopy, both of which copy any class as it is.
#include "runtime/matrix/matrix_shape.h"

#include <vector>

#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/matrix/matrix_sub.h"
#include "runtime/matrix/polymat.h"

namespace {

using vorn_matrix::nameOf;
using Order = std::vector<int>;   // indices from 1

void requireClass(Matrix* m, const char* source, const char* tag) {
  if (vorn_matrix::isValidClass(m->class_)) return;
  MatErrorSource("%s(%s(%dx%d))", source, nameOf(m), m->rows, m->cols);
  vorn_matrix::failUnservedClass(tag, m);
}

// 1..n moved by `by` places, wrapping around: element a is a + by.
Order rotated(int n, int by) {
  Order order(static_cast<size_t>(n));
  for (int a = 0; a < n; a++) order[static_cast<size_t>(a)] = ((a + by) % n + n) % n + 1;
  return order;
}
Order reversed(int n) {
  Order order(static_cast<size_t>(n));
  for (int a = 0; a < n; a++) order[static_cast<size_t>(a)] = n - a;
  return order;
}
Order exchanged(int n, int i, int j) {
  Order order = rotated(n, 0);
  order[static_cast<size_t>(i - 1)] = j;
  order[static_cast<size_t>(j - 1)] = i;
  return order;
}

Matrix* indexOf(const Order& order) {
  Matrix* index = MatDef("", 1, static_cast<int>(order.size()));
  for (size_t a = 0; a < order.size(); a++) MatReal(index)[a] = order[a];
  return index;
}

// m(rows[a], cols[b]) for every a and b.
Matrix* select(Matrix* m, const Order& rows, const Order& cols) {
  Matrix* r = indexOf(rows);
  Matrix* c = indexOf(cols);
  Matrix* result = MatGetSubMatrix(m, r, c);
  MatUndef(r);
  MatUndef(c);
  return result;
}

Matrix* rearranged(Matrix* m, const Order& rows, const Order& cols, const char* source, const char* tag) {
  requireClass(m, source, tag);
  return select(m, rows, cols);
}

// A zero matrix of m's shape and class holding m's block (i1..i2, j1..j2)
// at (i, j); nothing when the block is empty.
Matrix* shifted(Matrix* m, int i, int j, int i1, int j1, int i2, int j2, const char* source, const char* tag) {
  requireClass(m, source, tag);
  Matrix* result = MatSameZDef(m);
  if (i1 <= i2 && j1 <= j2) MatAreaCopy(result, i, j, m, i1, j1, i2, j2);
  return result;
}

Matrix* exchange(Matrix* m, int i, int j, bool rows, const char* tag) {
  const int n = rows ? m->rows : m->cols;
  if (i < 1 || j < 1 || i > n || j > n) {
    MatErrorSource("%s(%s(%dx%d), %d, %d)", rows ? "change_row" : "change_col", nameOf(m), m->rows, m->cols, i, j);
    MatError(tag, rows ? "Not appropriate row number" : "Not appropriate column number", m);
  }
  requireClass(m, rows ? "change_row" : "change_col", tag);
  return rows ? select(m, exchanged(n, i, j), rotated(m->cols, 0)) : select(m, rotated(m->rows, 0), exchanged(n, i, j));
}

// The real (imaginary) parts of a complex m as a real matrix.
Matrix* complexPart(Matrix* m, int part) {
  Matrix* result = MatDef("", m->rows, m->cols);
  const size_t n = vorn_matrix::elementCount(m);
  for (size_t k = 0; k < n; k++) MatReal(result)[k] = MatReal(m)[2 * k + static_cast<size_t>(part)];
  return result;
}
Matrix* complexRealPart(Matrix* m) { return complexPart(m, 0); }
Matrix* complexImagPart(Matrix* m) { return complexPart(m, 1); }
Matrix* realImagPart(Matrix* m) { return MatZDef2(m->rows, m->cols); }

Matrix* partOf(Matrix* m, const vorn_matrix::ClassTable<Matrix* (*)(Matrix*)>& table, const char* source,
               const char* tag) {
  if (const auto part = vorn_matrix::entryFor(table, m->class_)) return part(m);
  MatErrorSource("%s(%s(%dx%d))", source, nameOf(m), m->rows, m->cols);
  vorn_matrix::failUnservedClass(tag, m);
}

}  // namespace

Matrix* MatFlipLR(Matrix* m) {
  return rearranged(m, rotated(m->rows, 0), reversed(m->cols), "fliplr", "MatFlipLR()");
}
Matrix* MatFlipUD(Matrix* m) {
  return rearranged(m, reversed(m->rows), rotated(m->cols, 0), "flipud", "MatFlipUD()");
}
Matrix* MatRotateUp(Matrix* m) {
  return rearranged(m, rotated(m->rows, 1), rotated(m->cols, 0), "rotate_up", "MatRotateUp()");
}
Matrix* MatRotateDown(Matrix* m) {
  return rearranged(m, rotated(m->rows, -1), rotated(m->cols, 0), "rotate_down", "MatRotateDown()");
}
Matrix* MatRotateLeft(Matrix* m) {
  return rearranged(m, rotated(m->rows, 0), rotated(m->cols, 1), "rotate_left", "MatRotateLeft()");
}
Matrix* MatRotateRight(Matrix* m) {
  return rearranged(m, rotated(m->rows, 0), rotated(m->cols, -1), "rotate_right", "MatRotateRight()");
}

Matrix* MatShiftUp(Matrix* m) {
  return shifted(m, 1, 1, 2, 1, m->rows, m->cols, "shift_up", "MatShiftUp()");
}
Matrix* MatShiftDown(Matrix* m) {
  return shifted(m, 2, 1, 1, 1, m->rows - 1, m->cols, "shift_down", "MatShiftDown()");
}
Matrix* MatShiftLeft(Matrix* m) {
  return shifted(m, 1, 1, 1, 2, m->rows, m->cols, "shift_left", "MatShiftLeft()");
}
Matrix* MatShiftRight(Matrix* m) {
  return shifted(m, 1, 2, 1, 1, m->rows, m->cols - 1, "shift_right", "MatShiftRight()");
}

Matrix* MatChangeRow(Matrix* m, int i, int j) { return exchange(m, i, j, true, "MatChangeRow()"); }
Matrix* MatChangeColumn(Matrix* m, int i, int j) { return exchange(m, i, j, false, "MatChangeColumn()"); }

Matrix* MatRealPart(Matrix* m) {
  static const vorn_matrix::ClassTable<Matrix* (*)(Matrix*)> kParts{MatDup, complexRealPart, P_MatRealPart,
                                                                     R_MatRealPart};
  return partOf(m, kParts, "real", "MatRealPart()");
}
Matrix* MatImagPart(Matrix* m) {
  static const vorn_matrix::ClassTable<Matrix* (*)(Matrix*)> kParts{realImagPart, complexImagPart, P_MatImagPart,
                                                                     R_MatImagPart};
  return partOf(m, kParts, "imag", "MatImagPart()");
}
