#include "runtime/matrix/matrix.h"

#include <cstdarg>
#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_print.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/matrix/registry.h"
#include "runtime/matrix/report.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/list.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"

Matrix* topmat = nullptr;
Matrix* lastmat = nullptr;
char* mat_err_src = nullptr;

namespace {

constexpr int kClasses = 6;

Matrix** matrix_table = nullptr;
int* matrix_table_count = nullptr;
int garbage_size_max = 1000;
int garbage_table_max = 0;

inline size_t bucketKey(int n, int class_) {
  return static_cast<size_t>(n) * kClasses + static_cast<size_t>(class_);
}

inline bool recyclable(int n, int class_) {
  return n >= 0 && n <= garbage_size_max && class_ >= 0 && class_ < kClasses;
}

// Scope markers of the all-kinds scope (MatObjectControl).
String* str_last = nullptr;
Complex* comp_last = nullptr;
Matrix* mat_last = nullptr;
Polynomial* poly_last = nullptr;
Rational* rat_last = nullptr;
List* list_last = nullptr;

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
  const size_t buckets = (static_cast<size_t>(garbage_size_max) + 1) * kClasses;
  matrix_table = vorn_registry::allocTable<Matrix*>(buckets);
  matrix_table_count = vorn_registry::allocTable<int>(buckets);

  mat_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  mat_err_src[0] = '\0';
}

int MatGarbageSizeMax() { return garbage_size_max; }
int MatGarbageTableMax() { return garbage_table_max; }

int MatTableCount(int n, int class_) {
  return recyclable(n, class_) ? matrix_table_count[bucketKey(n, class_)] : 0;
}

int MatLiveCount() { return vorn_registry::liveCount(topmat); }

void MatAppendToLastMat(Matrix* m) { vorn_registry::append(lastmat, m); }
void MatSetLastMat(Matrix* m) { lastmat = m; }

Matrix* MatRequest(int n, int class_) {
  if (!recyclable(n, class_)) return nullptr;
  return vorn_registry::request(matrix_table, matrix_table_count, bucketKey(n, class_));
}

// A record whose count or class has no bucket is freed instead of parked,
// and a record already parked is refused: a bucket never holds it twice.
void MatInstall(Matrix* m) {
  if (m->parked) MatError("MatInstall()", "Duplicate undefining", nullptr);
  const int n = m->rows * m->cols;
  if (!recyclable(n, m->class_)) {
    MatElementDestroy(m);
    efree(m->name);
    efree(m);
    return;
  }
  vorn_registry::install(matrix_table, matrix_table_count, bucketKey(n, m->class_), m);
}

void MatElementDestroy(Matrix* m) {
  const int n = m->rows * m->cols;
  if (n == 0) return;
  if (m->class_ == MAT_POLY || m->class_ == MAT_C_POLY) {
    for (int k = 0; k < n; k++) PolyUndef(MatPolys(m)[k]);
  } else if (m->class_ == MAT_RATIONAL || m->class_ == MAT_C_RATIONAL) {
    for (int k = 0; k < n; k++) RatUndef(MatRats(m)[k]);
  }
  if (m->data != nullptr) efree(m->data);
  m->data = nullptr;
}

void MatDestroy(Matrix* m) {
  if (m->parked || !vorn_registry::unlink(lastmat, m))
    MatError("MatDestroy()", "Duplicate destroying", MatDef("", 0, 0));
  MatElementDestroy(m);
  efree(m->name);
  m->data = nullptr;
  m->rows = 0;
  m->cols = 0;
  m->name = nullptr;
  m->prev = nullptr;
  m->next = nullptr;
  efree(m);
}

void MatUndef(Matrix* m) {
  if (m->parked) MatError("MatUndef()", "Duplicate undefining", nullptr);
  const int n = m->rows * m->cols;
  if (!recyclable(n, m->class_) ||
      !vorn_registry::bucketAccepts(matrix_table_count[bucketKey(n, m->class_)], garbage_table_max)) {
    MatDestroy(m);
    return;
  }
  if (!vorn_registry::unlink(lastmat, m)) MatError("MatUndef()", "Duplicate undefining", nullptr);
  // A parked polynomial or rational record holds fresh empty elements, so a
  // revived one never shows the values it held before.
  if (m->class_ == MAT_POLY || m->class_ == MAT_C_POLY) {
    for (int k = 0; k < n; k++) {
      PolyUndef(MatPolys(m)[k]);
      MatPolys(m)[k] = PolySetType(PolyDef("", -1, nullptr), 3);
    }
  } else if (m->class_ == MAT_RATIONAL || m->class_ == MAT_C_RATIONAL) {
    for (int k = 0; k < n; k++) {
      RatUndef(MatRats(m)[k]);
      MatRats(m)[k] = RatSetType(RatDef("", -1, -1), 2);
    }
  }
  m->type = vorn_registry::kTemporary;  // parked: off the live list
  MatInstall(m);
}

void MatUndefs(Matrix* m) { vorn_registry::releaseFrom(m, MatUndef); }

void MatMultiUndefs(int count, ...) {
  va_list ap;
  va_start(ap, count);
  for (int i = 0; i < count; i++) MatUndef(va_arg(ap, Matrix*));
  va_end(ap);
}

void MatTmpUndef() { vorn_registry::releaseTemporaries(lastmat, MatUndef); }

void MatFree(Matrix* m) { vorn_registry::setLifetime(m, vorn_registry::kTemporary); }

void MatFrees(Matrix* marker) { vorn_registry::freeLocalsFrom(marker); }

void MatObjectTmpUndefWalk() {
  // Anything made temporary while these walks run (a nested List released
  // with its holder) is left for the next release.
  vorn_registry::tmpEpochSeen = vorn_registry::tmpEpoch;
  // A kind whose count has not moved has nothing new for its walk, and a
  // walk would stop at once on a last record that is a local or marker.
  using vorn_registry::kindChangedSinceWalk;
  using vorn_registry::kLocal;
  if (kindChangedSinceWalk<Rational>() && lastrat->type != kLocal) RatTmpUndef();
  if (kindChangedSinceWalk<Polynomial>() && lastpoly->type != kLocal) PolyTmpUndef();
  if (kindChangedSinceWalk<List>() && lastlist->type != kLocal) ListTmpUndef();
  if (kindChangedSinceWalk<String>() && lastvnstring->type != kLocal) vnStringTmpUndef();
  if (kindChangedSinceWalk<Complex>() && lastcomp->type != kLocal) CompTmpUndef();
  if (kindChangedSinceWalk<Matrix>() && lastmat->type != kLocal) MatTmpUndef();
}

void MatObjectControl(int flag) {
  if (flag == 1) {
    str_last = vnStringSetType(vnStringDef("", -1), 1);
    comp_last = CompSetType(CompDef("", 0.0, 0.0), 1);
    mat_last = MatSetType(MatDef("", 0, 0), 1);
    poly_last = PolySetType(PolyDef("", -1, nullptr), 1);
    rat_last = RatSetType(RatDef("", -1, -1), 1);
    list_last = ListSetType(ListDef("", 0), 1);
    return;
  }
  if (list_last != nullptr) ListUndefs(list_last);
  if (rat_last != nullptr) RatUndefs(rat_last);
  if (poly_last != nullptr) PolyUndefs(poly_last);
  if (mat_last != nullptr) MatUndefs(mat_last);
  if (comp_last != nullptr) CompUndefs(comp_last);
  if (str_last != nullptr) vnStringUndefs(str_last);
  list_last = nullptr;
  rat_last = nullptr;
  poly_last = nullptr;
  mat_last = nullptr;
  comp_last = nullptr;
  str_last = nullptr;
}

Matrix* MatSetName(Matrix* m, const char* text) {
  vorn_registry::setName(m->name, text);
  return m;
}

Matrix* MatSetType(Matrix* m, int type) {
  vorn_registry::setLifetime(m, type);
  return m;
}

Matrix* MatSetClass(Matrix* m, int class_) {
  m->class_ = class_;
  return m;
}

void MatAllPrint() {
  for (Matrix* m = topmat->next; m != nullptr; m = m->next) MatPrint(m);
}

void MatMatrixTableCheck() {
  for (int n = 0; n <= garbage_size_max; n++) {
    Matrix* head = matrix_table[bucketKey(n, MAT_REAL)];
    if (head != nullptr) MatPrint(head);  // empty buckets have nothing to show
  }
}
