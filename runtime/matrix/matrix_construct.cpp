#include "runtime/matrix/matrix_construct.h"

#include <algorithm>
#include <climits>
#include <cstdarg>

#include "runtime/core/memory.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/core/registry.h"

namespace {

using vorn_matrix::ClassTable;
using vorn_matrix::fillDoubles;
using vorn_matrix::kBadClass;
using vorn_matrix::offsetOf;

const char kBadSize[] = "Not appropriate column or row number";

inline const char* textOr(const char* name) { return name != nullptr ? name : ""; }

// A size a record can describe: no negative dimension and an element count
// that fits the record's 32-bit arithmetic.
inline bool sizeOk(int rows, int cols) {
  return rows >= 0 && cols >= 0 && static_cast<long long>(rows) * cols <= INT_MAX;
}

// The define path of every constructor: a parked record of the same count
// and class keeps its storage (stale values); otherwise a parked empty real
// record lends its record and name buffer, or a new record is made, and
// fresh storage is allocated. The result is a new temporary.
Matrix* defineRecord(const char* name, int rows, int cols, int class_) {
  const int n = rows * cols;
  Matrix* m = MatRequest(n, class_);
  if (m == nullptr) {
    m = MatRequest(0, MAT_REAL);
    if (m == nullptr) {
      m = static_cast<Matrix*>(emalloc(sizeof(Matrix)));
      m->name = nullptr;
      m->prev = nullptr;
      m->next = nullptr;
      m->parked = false;
      m->data = nullptr;
    }
    if (m->data != nullptr) efree(m->data);
    m->data = emalloc(vorn_matrix::storageBytes(static_cast<size_t>(n), class_));
    if (vorn_matrix::isPolyOrRational(class_)) vorn_matrix::fillEmptyElements(m->data, n, class_);
  }
  MatAppendToLastMat(m);
  m->rows = rows;
  m->cols = cols;
  vorn_registry::setLifetime(m, vorn_registry::kTemporary);
  m->class_ = class_;
  vorn_registry::setName(m->name, textOr(name));
  return m;
}

[[noreturn]] void sizeError(const char* tag) { MatError(tag, kBadSize, nullptr); }

// The named constructors: a size no record can describe is reported as
// fn("name", rows, cols) from fn().
Matrix* defineChecked(const char* fn, const char* tag, const char* name, int rows, int cols,
                      int class_) {
  if (!sizeOk(rows, cols)) {
    MatErrorSource("%s(\"%s\", %d, %d)", fn, textOr(name), rows, cols);
    sizeError(tag);
  }
  return defineRecord(name, rows, cols, class_);
}

// The unnamed constructors report a bad size as word(rows, cols), or
// word(n) for the square forms, from tag.
void checkSize(const char* word, const char* tag, int rows, int cols) {
  if (sizeOk(rows, cols)) return;
  MatErrorSource("%s(%d, %d)", word, rows, cols);
  sizeError(tag);
}
void checkSquare(const char* word, const char* tag, int n) {
  if (sizeOk(n, n)) return;
  MatErrorSource("%s(%d)", word, n);
  sizeError(tag);
}

// The unnamed constructor of each family; the element families make both
// of their classes, each under its own class, so that a released record is
// requested where it was parked.
Matrix* elementsOfClass(int class_, int rows, int cols) {
  return vorn_matrix::defineElements("", rows, cols, class_);
}
const ClassTable<Matrix* (*)(int class_, int rows, int cols)> kDefineOfClass{
    [](int, int rows, int cols) { return MatNonNameDef(rows, cols); },
    [](int, int rows, int cols) { return C_MatNonNameDef(rows, cols); }, elementsOfClass,
    elementsOfClass};

// Unnamed rows x cols matrix of class_, reported from tag with m.
Matrix* defineOfClass(Matrix* m, int class_, int rows, int cols, const char* tag) {
  if (!vorn_matrix::isValidClass(class_)) MatError(tag, kBadClass, m);
  const auto define = vorn_matrix::entryFor(kDefineOfClass, class_);
  if (define == nullptr) vorn_matrix::failUnservedClass(tag, m);
  return define(class_, rows, cols);
}

// Reads n doubles from a variable argument list into m's storage.
void readDoubles(Matrix* m, int n, va_list ap) {
  for (int k = 0; k < n; k++) MatReal(m)[k] = va_arg(ap, double);
}

}  // namespace

namespace vorn_matrix {

Matrix* defineElements(const char* name, int rows, int cols, int class_) {
  const char* fn = class_ <= MAT_C_POLY ? "P_MatDef" : "R_MatDef";
  const char* tag = class_ <= MAT_C_POLY ? "P_MatDef()" : "R_MatDef()";
  return defineChecked(fn, tag, name, rows, cols, class_);
}

}  // namespace vorn_matrix

// ---------------------------------------------------------------------------
// Real constructors.

Matrix* MatDef(const char* name, int rows, int cols) {
  return defineChecked("MatDef", "MatDef()", name, rows, cols, MAT_REAL);
}

Matrix* MatNonNameDef(int rows, int cols) { return MatDef("", rows, cols); }

Matrix* MatZDef2(int rows, int cols) {
  checkSize("Z", "MatZDef2()", rows, cols);
  Matrix* m = MatDef("", rows, cols);
  fillDoubles(m, 0.0);
  return m;
}

Matrix* MatZDef(int n) {
  checkSquare("Z", "MatZDef()", n);
  return MatZDef2(n, n);
}

Matrix* MatOneDef(int rows, int cols) {
  checkSize("ONE", "MatOneDef()", rows, cols);
  Matrix* m = MatDef("", rows, cols);
  fillDoubles(m, 1.0);
  return m;
}

Matrix* MatFillDef(int rows, int cols, double value) {
  if (!sizeOk(rows, cols)) sizeError("MatFillDef()");
  Matrix* m = MatDef("", rows, cols);
  fillDoubles(m, value);
  return m;
}

Matrix* MatSameSizeFillDef(Matrix* m, double value) { return MatFillDef(m->rows, m->cols, value); }

Matrix* MatIDef2(int rows, int cols) {
  checkSize("I", "MatIDef2()", rows, cols);
  Matrix* m = MatZDef2(rows, cols);
  const int n = std::min(rows, cols);
  for (int i = 1; i <= n; i++) MatReal(m)[offsetOf(m, i, i)] = 1.0;
  return m;
}

Matrix* MatIDef(int n) {
  checkSquare("I", "MatIDef()", n);
  return MatIDef2(n, n);
}

Matrix* MatRowVec(int n, ...) {
  Matrix* m = n == 0 ? MatDef("", 0, 0) : MatDef("", 1, n);
  va_list ap;
  va_start(ap, n);
  readDoubles(m, n, ap);
  va_end(ap);
  return m;
}

Matrix* MatColumnVec(int n, ...) {
  Matrix* m = MatDef("", n, 1);
  va_list ap;
  va_start(ap, n);
  readDoubles(m, n, ap);
  va_end(ap);
  return m;
}

Matrix* MatDiagDef(int n, ...) {
  Matrix* m = MatZDef(n);
  va_list ap;
  va_start(ap, n);
  for (int i = 1; i <= n; i++) MatReal(m)[offsetOf(m, i, i)] = va_arg(ap, double);
  va_end(ap);
  return m;
}

Matrix* MatVander(int n, ...) {
  Matrix* m = MatDef("", n, n);
  va_list ap;
  va_start(ap, n);
  for (int i = 1; i <= n; i++) {
    const double x = va_arg(ap, double);
    double power = 1.0;
    for (int j = 1; j <= n; j++) {
      MatReal(m)[offsetOf(m, i, j)] = power;
      power = power * x;
    }
  }
  va_end(ap);
  return m;
}

Matrix* MatSameDef(Matrix* m) { return defineOfClass(m, m->class_, m->rows, m->cols, "MatSameDef()"); }

Matrix* MatSameZDef(Matrix* m) { return MatSetZero(MatSameDef(m)); }

Matrix* MatSameClassDef(Matrix* m, int rows, int cols) {
  return defineOfClass(m, m->class_, rows, cols, "MatSameClassDef()");
}

Matrix* MatSameClassZDef(Matrix* m, int rows, int cols) {
  return MatSetZero(defineOfClass(m, m->class_, rows, cols, "MatSameClassZDef()"));
}

Matrix* MatTransDef(Matrix* m) { return defineOfClass(m, m->class_, m->cols, m->rows, "MatTransDef()"); }

Matrix* MatMulDef(Matrix* a, Matrix* b) {
  if (a->cols != b->rows) MatError2("MatMulDef()", "Size Error", a, b);
  if (!vorn_matrix::isValidClass(a->class_) || !vorn_matrix::isValidClass(b->class_))
    MatError2("MatMulDef()", kBadClass, a, b);
  if (vorn_matrix::isPolyOrRational(a->class_) || vorn_matrix::isPolyOrRational(b->class_))
    return vorn_matrix::defineElements("", a->rows, b->cols, MatJointClass(a->class_, b->class_));
  if (a->class_ == MAT_COMPLEX || b->class_ == MAT_COMPLEX) return C_MatMulDef(a, b);
  return MatDef("", a->rows, b->cols);
}

// ---------------------------------------------------------------------------
// Complex constructors.

Matrix* C_MatDef(const char* name, int rows, int cols) {
  return defineChecked("C_MatDef", "C_MatDef()", name, rows, cols, MAT_COMPLEX);
}

Matrix* C_MatNonNameDef(int rows, int cols) { return C_MatDef("", rows, cols); }

Matrix* C_MatZDef2(int rows, int cols) {
  checkSize("Z", "C_MatZDef2()", rows, cols);
  Matrix* m = C_MatDef("", rows, cols);
  fillDoubles(m, 0.0);
  return m;
}

Matrix* C_MatSameDef(Matrix* m) { return C_MatDef("", m->rows, m->cols); }

Matrix* C_MatTransDef(Matrix* m) { return C_MatDef("", m->cols, m->rows); }

Matrix* C_MatMulDef(Matrix* a, Matrix* b) {
  if (a->cols != b->rows) MatError2("C_MatMulDef()", "Size Error", a, b);
  return C_MatDef("", a->rows, b->cols);
}
