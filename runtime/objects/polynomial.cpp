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
#include "runtime/core/registry.h"
#include "runtime/core/report.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/list.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"

Polynomial* toppoly = nullptr;
Polynomial* lastpoly = nullptr;
char* poly_err_src = nullptr;

namespace {

// Buckets by degree (-1 .. garbage_degree_max) and class (0, 1).
int garbage_degree_max = 1000;

inline bool recyclable(int degree, int class_) {
  return degree >= -1 && degree <= garbage_degree_max && (class_ == 0 || class_ == 1);
}

inline size_t bucketKey(int degree, int class_) {
  return 2 * (static_cast<size_t>(degree) + 1) + static_cast<size_t>(class_);
}

const char* variableName(const Polynomial* p) { return p->variable != nullptr ? p->variable : "s"; }

struct PolynomialKind {
  using Record = Polynomial;
  static constexpr const char* kPrefix = "Poly";
  static constexpr const char* kDuplicateUndef = "Duplicate undefining";

  static Polynomial*& top() { return toppoly; }
  static Polynomial*& last() { return lastpoly; }
  static bool bucketOf(const Polynomial* p, size_t* key) {
    if (!recyclable(p->degree, p->class_)) return false;
    *key = bucketKey(p->degree, p->class_);
    return true;
  }
  // The parked record keeps its coefficient row, but off the Matrix live
  // list: a release of matrices from a scope marker must not free it under
  // the parked polynomial.
  static void park(Polynomial* p) { vorn_registry::unlink(lastmat, p->coef); }
  static void poison(Polynomial* p) {
    const int n = p->coef->rows * p->coef->cols * (p->class_ == 1 ? 2 : 1);
    vorn_registry::poisonBytes(p->coef->data, sizeof(double) * static_cast<size_t>(n));
  }
  static void freeContents(Polynomial* p) {
    MatUndef(p->coef);
    if (p->variable != nullptr) efree(p->variable);
  }
  [[noreturn]] static void reportFatal(const char* tag, const char* message, Polynomial* p) {
    PolyError(tag, message, p);
  }
  static Polynomial* destroyOperand() { return nullptr; }

  static constexpr const char* kAfterMessage = "";
  static constexpr const char* kLogFailure = "Can't open logfile.\n";
  static char* source() { return poly_err_src; }
  static void describe(std::string& body, bool second, const Polynomial* p) {
    const char* joint = second ? "and" : "for";
    if (p->name[0] != '\0')
      vorn_report::appendf(body, " %s '%s(%s^%d)'", joint, p->name, variableName(p), p->degree);
    else
      vorn_report::appendf(body, " %s '(%s^%d)'", joint, variableName(p), p->degree);
  }
  static void saveOperand(Polynomial* p) {
    if (p->degree != -1) PolyFileSave(p, vorn_report::kLogFile, 1, 1);
  }
};

using Registry = vorn_registry::Registry<PolynomialKind>;

Polynomial* define(const char* name, int degree, const char* variable, int class_) {
  if (degree < -1) degree = -1;
  Polynomial* p = PolyRequest(degree, class_);
  if (p != nullptr) {
    MatAppendToLastMat(p->coef);   // back among the live matrices
    MatSetZero(p->coef);
  } else {
    p = Registry::allocate();
    p->variable = nullptr;
    p->coef = class_ == 0 ? MatZDef2(1, degree + 1) : C_MatZDef2(1, degree + 1);
    MatSetType(p->coef, vorn_registry::kHeld2);
  }
  Registry::enlist(p);
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
  Registry::start(vorn_registry::envLimit("POLYNOMIAL_TABLE_MAX", 0, 0),
                  (static_cast<size_t>(garbage_degree_max) + 2) * 2);
  poly_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  poly_err_src[0] = '\0';
}

int PolyTableCount(int degree, int class_) {
  return recyclable(degree, class_) ? Registry::population(bucketKey(degree, class_)) : 0;
}

int PolyLiveCount() { return Registry::liveCount(); }

Polynomial* PolyDef(const char* name, int degree, const char* variable) {
  return define(name, degree, variable, 0);
}

Polynomial* C_PolyDef(const char* name, int degree, const char* variable) {
  return define(name, degree, variable, 1);
}

void PolyAppendToLastPoly(Polynomial* p) { Registry::append(p); }
void PolySetLastPoly(Polynomial* p) { lastpoly = p; }

Polynomial* PolyRequest(int degree, int class_) {
  return recyclable(degree, class_) ? Registry::request(bucketKey(degree, class_)) : nullptr;
}

void PolyInstall(Polynomial* p) { Registry::install(p); }
void PolyDestroy(Polynomial* p) { Registry::destroy(p); }
void PolyUndef(Polynomial* p) { Registry::undef(p); }
void PolyUndefs(Polynomial* p) { Registry::undefs(p); }
void PolyTmpUndef() { Registry::tmpUndef(); }
void PolyFree(Polynomial* p) { Registry::free(p); }
void PolyFrees(Polynomial* marker) { Registry::frees(marker); }
Polynomial* PolySetName(Polynomial* p, const char* name) { return Registry::setName(p, name); }
Polynomial* PolySetType(Polynomial* p, int type) { return Registry::setType(p, type); }

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

void PolyErrorWarning(const char* tag, const char* message, Polynomial* p1, Polynomial* p2, int is_error) {
  vorn_report::errorWarning<PolynomialKind>(tag, message, p1, p2, is_error);
}
void PolyError(const char* tag, const char* message, Polynomial* p) {
  vorn_report::fatal<PolynomialKind>(tag, message, p, static_cast<Polynomial*>(nullptr));
}
void PolyError2(const char* tag, const char* message, Polynomial* p1, Polynomial* p2) {
  vorn_report::fatal<PolynomialKind>(tag, message, p1, p2);
}
void PolyWarning(const char* tag, const char* message, Polynomial* p) {
  PolyErrorWarning(tag, message, p, nullptr, 0);
}
void PolyWarning2(const char* tag, const char* message, Polynomial* p1, Polynomial* p2) {
  PolyErrorWarning(tag, message, p1, p2, 0);
}

void PolyUndefCheck(Polynomial* p, const char* tag) {
  Registry::checkLive(p, tag);
  if (p->degree == -1) PolyError(tag, "Undefined polynomial", p);
}

void PolyUndefCheck2(Polynomial* p, Polynomial* q, const char* tag) {
  Registry::checkLive(p, tag);
  Registry::checkLive(q, tag);
  if (p->degree == -1 || q->degree == -1) PolyError2(tag, "Undefined polynomial", p, q);
}

Polynomial* PolyCopy(Polynomial* dst, Polynomial* src) {
  checkSameShape("PolyCopy()", src, dst);
  if (dst != src) copyCoefficients(dst, src);
  return dst;
}

Polynomial* PolyDup(Polynomial* p) {
  Registry::checkLive(p, "PolyDup()");
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
