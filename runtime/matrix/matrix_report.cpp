#include "runtime/matrix/matrix_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/io/textsave.h"
#include "runtime/matrix/matrix.h"
#include "runtime/core/report.h"

namespace {

struct MatrixReport {
  static constexpr const char* kAfterMessage = "";
  static constexpr const char* kLogFailure = "Can't open %s.\n";
  static char* source() { return mat_err_src; }
  static void describe(std::string& body, bool second, const Matrix* m) {
    const char* joint = second ? "and" : "for";
    if (m->name[0] != '\0')
      vorn_report::appendf(body, " %s '%s(%d x %d)'", joint, m->name, m->rows, m->cols);
    else
      vorn_report::appendf(body, " %s '(%d x %d)'", joint, m->rows, m->cols);
  }
  // Small operands (1 to 100 elements) are appended to the log in the text
  // save layout.
  static void saveOperand(Matrix* m) {
    if (m->rows == 0 || m->cols == 0) return;
    if (static_cast<long>(m->rows) * m->cols >= 101) return;
    MatFileSave(m, vorn_report::kLogFile, 1, 1, "");
  }
};

}  // namespace

void MatErrorSource(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(mat_err_src, vorn_report::kSourceSize, format, ap);
  va_end(ap);
}

void MatErrorWarning(const char* tag, const char* message, Matrix* m1, Matrix* m2, int is_error) {
  vorn_report::errorWarning<MatrixReport>(tag, message, m1, m2, is_error);
}

void MatError(const char* tag, const char* message, Matrix* m) {
  vorn_report::fatal<MatrixReport>(tag, message, m, static_cast<Matrix*>(nullptr));
}

void MatError2(const char* tag, const char* message, Matrix* m1, Matrix* m2) {
  vorn_report::fatal<MatrixReport>(tag, message, m1, m2);
}

void MatWarning(const char* tag, const char* message, Matrix* m) {
  MatErrorWarning(tag, message, m, nullptr, 0);
}

void MatWarning2(const char* tag, const char* message, Matrix* m1, Matrix* m2) {
  MatErrorWarning(tag, message, m1, m2, 0);
}

void MatZeroSizeCheck(Matrix* m, const char* tag) {
  if (m->rows == 0 || m->cols == 0) MatError(tag, "Zero-size matrix", m);
}

void MatZeroSizeCheck2(Matrix* a, Matrix* b, const char* tag) {
  if (a->rows == 0 || a->cols == 0 || b->rows == 0 || b->cols == 0)
    MatError2(tag, "Zero-size matrix", a, b);
}

void MatSameSizeCheck(Matrix* a, Matrix* b, const char* tag) {
  if (a->rows != b->rows || a->cols != b->cols) MatError2(tag, "Not same size", a, b);
}

void MatSameClassCheck(Matrix* a, Matrix* b, const char* tag) {
  if (a->class_ != b->class_) MatError2(tag, "Not same class", a, b);
}

void MatNonSquareCheck(Matrix* m, const char* tag) {
  if (m->rows != m->cols) MatError(tag, "Not a square matrix", m);
}

void MatNonSquareCheck2(Matrix* a, Matrix* b, const char* tag) {
  if (a->rows != a->cols || b->rows != b->cols) MatError2(tag, "Not square matrices", a, b);
}

void MatNotRealCheck(Matrix* m, const char* tag) {
  if (m->class_ != MAT_REAL) MatError(tag, "Not a real matrix", m);
}

void MatNotComplexCheck(Matrix* m, const char* tag) {
  if (m->class_ != MAT_COMPLEX) MatError(tag, "Not a complex matrix", m);
}

void MatNotRealNorComplexCheck(Matrix* m, const char* tag) {
  if (m->class_ != MAT_REAL && m->class_ != MAT_COMPLEX)
    MatError(tag, "Not a real nor complex matrix", m);
}

void MatNotPolynomialCheck(Matrix* m, const char* tag) {
  if (m->class_ != MAT_POLY && m->class_ != MAT_C_POLY) MatError(tag, "Not a polynomial matrix", m);
}

void MatNotRationalCheck(Matrix* m, const char* tag) {
  if (m->class_ != MAT_RATIONAL && m->class_ != MAT_C_RATIONAL)
    MatError(tag, "Not a rational matrix", m);
}

void MatErrorNotRealNorComplex(Matrix* m, const char* tag) {
  MatError(tag, "Not a real nor complex matrix", m);
}

void MatErrorNotRealNorComplex2(Matrix* a, Matrix* b, const char* tag) {
  MatError2(tag, "Not a real nor complex matrix", a, b);
}
