#include "runtime/matrix/matrix.h"

#include <cstdarg>
#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_print.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/core/registry.h"
#include "runtime/core/report.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"

Matrix* topmat = nullptr;
Matrix* lastmat = nullptr;
char* mat_err_src = nullptr;

namespace {

constexpr int kClasses = 6;

int garbage_size_max = 1000;
int garbage_table_max = 0;

inline bool recyclable(int n, int class_) {
  return n >= 0 && n <= garbage_size_max && class_ >= 0 && class_ < kClasses;
}

inline size_t bucketKey(int n, int class_) {
  return static_cast<size_t>(n) * kClasses + static_cast<size_t>(class_);
}

bool isPolynomialClass(int class_) { return class_ == MAT_POLY || class_ == MAT_C_POLY; }
bool isRationalClass(int class_) { return class_ == MAT_RATIONAL || class_ == MAT_C_RATIONAL; }

struct MatrixKind {
  using Record = Matrix;
  static constexpr const char* kPrefix = "Mat";
  static constexpr const char* kDuplicateUndef = "Duplicate undefining";

  static Matrix*& top() { return topmat; }
  static Matrix*& last() { return lastmat; }
  static bool bucketOf(const Matrix* m, size_t* key) {
    const int n = m->rows * m->cols;
    if (!recyclable(n, m->class_)) return false;
    *key = bucketKey(n, m->class_);
    return true;
  }
  // A parked polynomial or rational record holds fresh empty elements, so a
  // revived one never shows the values it held before. They wait off the
  // live lists, as the coefficient row of a parked polynomial does: a scope
  // release must not reach them, and they count as live only again when
  // their matrix is.
  static void park(Matrix* m) {
    const int n = m->rows * m->cols;
    if (isPolynomialClass(m->class_)) {
      for (int k = 0; k < n; k++) {
        PolyUndef(MatPolys(m)[k]);
        MatPolys(m)[k] = PolySetType(PolyDef("", -1, nullptr), vorn_registry::kHeld3);
        detach(MatPolys(m)[k]);
      }
    } else if (isRationalClass(m->class_)) {
      for (int k = 0; k < n; k++) {
        RatUndef(MatRats(m)[k]);
        MatRats(m)[k] = RatSetType(RatDef("", -1, -1), vorn_registry::kHeld2);
        detach(MatRats(m)[k]);
      }
    }
  }
  static void detach(Polynomial* p) {
    vorn_registry::unlink(lastpoly, p);
    vorn_registry::unlink(lastmat, p->coef);
  }
  static void detach(Rational* r) {
    vorn_registry::unlink(lastrat, r);
    detach(r->nume);
    detach(r->deno);
  }
  static void poison(Matrix* m) {
    const size_t n = static_cast<size_t>(m->rows) * static_cast<size_t>(m->cols);
    if (m->class_ == MAT_REAL) vorn_registry::poisonBytes(m->data, n * sizeof(double));
    if (m->class_ == MAT_COMPLEX) vorn_registry::poisonBytes(m->data, 2 * n * sizeof(double));
  }
  static void freeContents(Matrix* m) { MatElementDestroy(m); }
  [[noreturn]] static void reportFatal(const char* tag, const char* message, Matrix* m) {
    MatError(tag, message, m);
  }
  static Matrix* destroyOperand() { return MatDef("", 0, 0); }
};

using Registry = vorn_registry::Registry<MatrixKind>;

// Puts the empty elements of a record taken from the table back on their
// live lists. Out of line: real and complex records, the common case, only
// test their class.
__attribute__((noinline)) void attachElements(Matrix* m) {
  const int n = m->rows * m->cols;
  auto attach = [](Polynomial* p) {
    PolyAppendToLastPoly(p);
    MatAppendToLastMat(p->coef);
  };
  if (isPolynomialClass(m->class_)) {
    for (int k = 0; k < n; k++) attach(MatPolys(m)[k]);
  } else if (isRationalClass(m->class_)) {
    for (int k = 0; k < n; k++) {
      RatAppendToLastRat(MatRats(m)[k]);
      attach(MatRats(m)[k]->nume);
      attach(MatRats(m)[k]->deno);
    }
  }
}


}  // namespace

void MatInit() {
  if (topmat != nullptr) return;
  topmat = static_cast<Matrix*>(emalloc(sizeof(Matrix)));
  topmat->name = StringDup("TOPMAT");
  topmat->type = vorn_registry::kLocal;
  topmat->class_ = MAT_REAL;
  topmat->rows = 0;
  topmat->cols = 0;
  topmat->data = emalloc(sizeof(double));
  topmat->prev = nullptr;
  topmat->next = nullptr;
  topmat->parked = false;
  lastmat = topmat;

  garbage_table_max = vorn_registry::envLimit("MATRIX_TABLE_MAX", 0, 0);
  garbage_size_max = vorn_registry::envLimit("MATRIX_SIZE_MAX", 1000, 1000);
  Registry::start(garbage_table_max, (static_cast<size_t>(garbage_size_max) + 1) * kClasses);

  mat_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  mat_err_src[0] = '\0';
}

int MatGarbageSizeMax() { return garbage_size_max; }
int MatGarbageTableMax() { return garbage_table_max; }

int MatTableCount(int n, int class_) {
  return recyclable(n, class_) ? Registry::population(bucketKey(n, class_)) : 0;
}

int MatLiveCount() { return Registry::liveCount(); }

void MatAppendToLastMat(Matrix* m) { Registry::append(m); }
void MatSetLastMat(Matrix* m) { lastmat = m; }

Matrix* MatRequest(int n, int class_) {
  Matrix* m = recyclable(n, class_) ? Registry::request(bucketKey(n, class_)) : nullptr;
  if (m != nullptr && m->class_ >= MAT_POLY) attachElements(m);
  return m;
}

void MatInstall(Matrix* m) { Registry::install(m); }

void MatElementDestroy(Matrix* m) {
  const int n = m->rows * m->cols;
  if (n == 0) return;
  if (isPolynomialClass(m->class_)) {
    for (int k = 0; k < n; k++) PolyUndef(MatPolys(m)[k]);
  } else if (isRationalClass(m->class_)) {
    for (int k = 0; k < n; k++) RatUndef(MatRats(m)[k]);
  }
  if (m->data != nullptr) efree(m->data);
  m->data = nullptr;
}

void MatDestroy(Matrix* m) { Registry::destroy(m); }
void MatUndef(Matrix* m) { Registry::undef(m); }
void MatUndefs(Matrix* m) { Registry::undefs(m); }

void MatMultiUndefs(int count, ...) {
  va_list ap;
  va_start(ap, count);
  for (int i = 0; i < count; i++) MatUndef(va_arg(ap, Matrix*));
  va_end(ap);
}

void MatTmpUndef() { Registry::tmpUndef(); }
void MatFree(Matrix* m) { Registry::free(m); }
void MatFrees(Matrix* marker) { Registry::frees(marker); }
Matrix* MatSetName(Matrix* m, const char* text) { return Registry::setName(m, text); }
Matrix* MatSetType(Matrix* m, int type) { return Registry::setType(m, type); }

void MatCheckLive(Matrix* m, const char* tag) { Registry::checkLive(m, tag); }

Matrix* MatSetClass(Matrix* m, int class_) {
  m->class_ = class_;
  return m;
}

void MatAllPrint() {
  for (Matrix* m = topmat->next; m != nullptr; m = m->next) MatPrint(m);
}

void MatMatrixTableCheck() {
  for (int n = 0; n <= garbage_size_max; n++) {
    Matrix* head = Registry::head(bucketKey(n, MAT_REAL));
    if (head != nullptr) MatPrint(head);  // empty buckets have nothing to show
  }
}
