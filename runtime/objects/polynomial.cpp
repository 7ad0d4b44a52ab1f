#include "runtime/objects/polynomial.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "runtime/core/memory.h"
#include "runtime/io/textsave.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/registry.h"
#include "runtime/matrix/report.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/list.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"

Polynomial* toppoly = nullptr;
Polynomial* lastpoly = nullptr;
char* poly_err_src = nullptr;

namespace {

// Buckets by degree (-1 .. garbage_degree_max) and class (0, 1).
Polynomial** polynomial_table = nullptr;
int* polynomial_table_count = nullptr;
int garbage_degree_max = 1000;
int garbage_table_max = 0;

inline bool recyclable(int degree, int class_) {
  return degree >= -1 && degree <= garbage_degree_max && (class_ == 0 || class_ == 1);
}

inline size_t bucketKey(int degree, int class_) {
  return 2 * (static_cast<size_t>(degree) + 1) + static_cast<size_t>(class_);
}

const char* variableName(const Polynomial* p) { return p->variable != nullptr ? p->variable : "s"; }

void describe(std::string& body, const char* joint, const Polynomial* p) {
  if (p->name[0] != '\0')
    vorn_report::appendf(body, " %s '%s(%s^%d)'", joint, p->name, variableName(p), p->degree);
  else
    vorn_report::appendf(body, " %s '(%s^%d)'", joint, variableName(p), p->degree);
}

struct Operands {
  Polynomial* p1;
  Polynomial* p2;
};

void saveOperands(const void* context) {
  const Operands* ops = static_cast<const Operands*>(context);
  for (Polynomial* p : {ops->p1, ops->p2})
    if (p != nullptr && p->degree != -1) PolyFileSave(p, vorn_report::kLogFile, 1, 1);
}

Polynomial* define(const char* name, int degree, const char* variable, int class_) {
  if (degree < -1) degree = -1;
  Polynomial* p = PolyRequest(degree, class_);
  if (p != nullptr) {
    MatAppendToLastMat(p->coef);   // back among the live matrices
    MatSetZero(p->coef);
  } else {
    p = static_cast<Polynomial*>(emalloc(sizeof(Polynomial)));
    p->name = nullptr;
    p->variable = nullptr;
    p->parked = false;
    p->coef = class_ == 0 ? MatZDef2(1, degree + 1) : C_MatZDef2(1, degree + 1);
    MatSetType(p->coef, vorn_registry::kHeld2);
  }
  PolyAppendToLastPoly(p);
  vorn_registry::setLifetime(p, vorn_registry::kTemporary);
  p->class_ = class_;
  p->degree = degree;
  vorn_registry::setName(p->name, name);
  PolySetVar(p, variable);
  return p;
}


// Number of doubles in p's coefficient row (two per complex coefficient).
inline size_t coefDoubles(const Polynomial* p) {
  const size_t n = p->degree < 0 ? 0 : static_cast<size_t>(p->degree) + 1;
  return p->class_ == 1 ? 2 * n : n;
}

inline double* coefData(Polynomial* p) { return static_cast<double*>(p->coef->data); }

void copyCoefficients(Polynomial* dst, Polynomial* src) {
  const size_t n = coefDoubles(src);
  if (n != 0) std::memcpy(coefData(dst), coefData(src), n * sizeof(double));
}

// Copy and Swap report their operands in this order: source (or second)
// first, as the Matrix kind does.
void checkSameShape(const char* tag, Polynomial* first, Polynomial* second) {
  if (first->class_ != second->class_) PolyError2(tag, "Confliction of class", first, second);
  if (first->degree != second->degree) PolyError2(tag, "Confliction of size", first, second);
}

}  // namespace

void PolyInit() {
  if (toppoly != nullptr) return;
  toppoly = static_cast<Polynomial*>(emalloc(sizeof(Polynomial)));
  toppoly->name = StringDup("TOPPOLY");
  toppoly->variable = StringDup("s");
  toppoly->type = vorn_registry::kLocal;
  toppoly->class_ = 0;
  toppoly->degree = 0;
  toppoly->coef = MatSetType(MatSetName(MatZDef2(1, 1), "TOPPOLY"), vorn_registry::kHeld2);
  toppoly->prev = nullptr;
  toppoly->next = nullptr;
  toppoly->parked = false;
  lastpoly = toppoly;

  garbage_degree_max = vorn_registry::envLimit("POLYNOMIAL_DEGREE_MAX", 1000, 1000);
  garbage_table_max = vorn_registry::envLimit("POLYNOMIAL_TABLE_MAX", 0, 0);
  const size_t buckets = (static_cast<size_t>(garbage_degree_max) + 2) * 2;
  polynomial_table = vorn_registry::allocTable<Polynomial*>(buckets);
  polynomial_table_count = vorn_registry::allocTable<int>(buckets);
  poly_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  poly_err_src[0] = '\0';
}

int PolyTableCount(int degree, int class_) {
  return recyclable(degree, class_) ? polynomial_table_count[bucketKey(degree, class_)] : 0;
}

int PolyLiveCount() { return vorn_registry::liveCount(toppoly); }

Polynomial* PolyDef(const char* name, int degree, const char* variable) {
  return define(name, degree, variable, 0);
}

Polynomial* C_PolyDef(const char* name, int degree, const char* variable) {
  return define(name, degree, variable, 1);
}

void PolyAppendToLastPoly(Polynomial* p) { vorn_registry::append(lastpoly, p); }
void PolySetLastPoly(Polynomial* p) { lastpoly = p; }

Polynomial* PolyRequest(int degree, int class_) {
  if (!recyclable(degree, class_)) return nullptr;
  return vorn_registry::request(polynomial_table, polynomial_table_count, bucketKey(degree, class_));
}

void PolyInstall(Polynomial* p) {
  vorn_registry::install(polynomial_table, polynomial_table_count, bucketKey(p->degree, p->class_), p);
}

void PolyDestroy(Polynomial* p) {
  if (p->parked || !vorn_registry::unlink(lastpoly, p))
    PolyError("PolyDestroy()", "Duplicate destroying", nullptr);
  MatUndef(p->coef);
  if (p->variable != nullptr) efree(p->variable);
  efree(p->name);
  efree(p);
}

void PolyUndef(Polynomial* p) {
  if (p->parked) PolyError("PolyUndef()", "Duplicate undefining", nullptr);
  if (!recyclable(p->degree, p->class_) ||
      !vorn_registry::bucketAccepts(polynomial_table_count[bucketKey(p->degree, p->class_)],
                                    garbage_table_max)) {
    PolyDestroy(p);
    return;
  }
  if (!vorn_registry::unlink(lastpoly, p)) PolyError("PolyUndef()", "Duplicate undefining", nullptr);
  // The parked record keeps its coefficient row, but off the Matrix live
  // list: a release of matrices from a scope marker must not free it under
  // the parked polynomial.
  vorn_registry::unlink(lastmat, p->coef);
  p->type = vorn_registry::kTemporary;  // parked: off the live list
  PolyInstall(p);
}

void PolyUndefs(Polynomial* p) { vorn_registry::releaseFrom(p, PolyUndef); }

void PolyTmpUndef() { vorn_registry::releaseTemporaries(lastpoly, PolyUndef); }
void PolyFree(Polynomial* p) { vorn_registry::setLifetime(p, vorn_registry::kTemporary); }

void PolyFrees(Polynomial* marker) { vorn_registry::freeLocalsFrom(marker); }

Polynomial* PolySetName(Polynomial* p, const char* name) {
  vorn_registry::setName(p->name, name);
  return p;
}

Polynomial* PolySetType(Polynomial* p, int type) {
  vorn_registry::setLifetime(p, type);
  return p;
}

Polynomial* PolySetClass(Polynomial* p, int class_) {
  p->class_ = class_;
  return p;
}

Polynomial* PolySetDegree(Polynomial* p, int degree) {
  p->degree = degree;
  return p;
}

Polynomial* PolySetVar(Polynomial* p, const char* variable) {
  if (variable == nullptr || variable[0] == '\0') {
    if (p->variable != nullptr) efree(p->variable);
    p->variable = nullptr;
  } else {
    vorn_registry::setName(p->variable, variable);
  }
  return p;
}

void PolyErrorWarning(const char* tag, const char* message, Polynomial* p1, Polynomial* p2,
                      int is_error) {
  std::string body;
  if (vorn_report::hasSource(poly_err_src)) {
    vorn_report::appendf(body, "\n%s : %s", poly_err_src, message);
  } else {
    vorn_report::appendf(body, "\n%s", message);
    if (p1 != nullptr) describe(body, "for", p1);
    if (p2 != nullptr) describe(body, "and", p2);
  }
  Operands ops{p1, p2};
  vorn_report::emit(tag, body, poly_err_src, is_error, "Can't open logfile.\n", saveOperands, &ops);
}

void PolyError(const char* tag, const char* message, Polynomial* p) {
  PolyErrorWarning(tag, message, p, nullptr, 1);
  std::abort();
}

void PolyError2(const char* tag, const char* message, Polynomial* p1, Polynomial* p2) {
  PolyErrorWarning(tag, message, p1, p2, 1);
  std::abort();
}

void PolyWarning(const char* tag, const char* message, Polynomial* p) {
  PolyErrorWarning(tag, message, p, nullptr, 0);
}

void PolyWarning2(const char* tag, const char* message, Polynomial* p1, Polynomial* p2) {
  PolyErrorWarning(tag, message, p1, p2, 0);
}

void PolyUndefCheck(Polynomial* p, const char* tag) {
  if (p->degree == -1) PolyError(tag, "Undefined polynomial", p);
}

void PolyUndefCheck2(Polynomial* p, Polynomial* q, const char* tag) {
  if (p->degree == -1 || q->degree == -1) PolyError2(tag, "Undefined polynomial", p, q);
}

Polynomial* PolyCopy(Polynomial* dst, Polynomial* src) {
  checkSameShape("PolyCopy()", src, dst);
  if (dst != src) copyCoefficients(dst, src);
  return dst;
}

Polynomial* PolyDup(Polynomial* p) {
  Polynomial* copy = define("", p->degree, p->variable, p->class_);
  copyCoefficients(copy, p);
  return copy;
}

Polynomial* PolyElementCopy(Polynomial* dst, Polynomial* src) {
  if (dst == src) return dst;
  if (dst->class_ != src->class_ || dst->degree != src->degree) {
    // A row of the new shape replaces the old one, which goes back to the
    // Matrix registry.
    const int cols = src->degree + 1 < 0 ? 0 : src->degree + 1;
    Matrix* row = src->class_ == 1 ? C_MatZDef2(1, cols) : MatZDef2(1, cols);
    MatSetType(row, vorn_registry::kHeld2);
    std::swap(dst->coef, row);
    MatUndef(row);
  }
  dst->degree = src->degree;
  dst->class_ = src->class_;
  vorn_registry::setLifetime(dst, src->type);
  PolySetVar(dst, src->variable);
  copyCoefficients(dst, src);
  return dst;
}

Polynomial* PolyElementChange(Polynomial* a, Polynomial* b) {
  std::swap(a->degree, b->degree);
  vorn_registry::swapLifetime(a, b);
  std::swap(a->class_, b->class_);
  std::swap(a->variable, b->variable);
  std::swap(a->coef, b->coef);
  return a;
}

Polynomial* PolyMove(Polynomial* dst, Polynomial* src) {
  return vorn_registry::moveRecord(dst, src, PolyElementChange);
}

Polynomial* PolySwap(Polynomial* a, Polynomial* b) {
  checkSameShape("PolySwap()", b, a);
  if (a == b) return a;
  double* x = coefData(a);
  double* y = coefData(b);
  const size_t n = coefDoubles(a);
  for (size_t k = 0; k < n; k++) std::swap(x[k], y[k]);
  return a;
}

Polynomial* PolyAssign(Polynomial* dst, Polynomial* src) {
  PolyUndefCheck(src, "PolyAssign()");
  return vorn_registry::assignRecord(dst, src, PolyElementChange, PolyElementCopy, [] {
    RatTmpUndef();
    ListTmpUndef();
    vnStringTmpUndef();
    PolyTmpUndef();
    CompTmpUndef();
    MatTmpUndef();
  });
}
