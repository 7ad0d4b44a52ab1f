#include "runtime/objects/rational.h"

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
#include "runtime/objects/polynomial.h"
#include "runtime/objects/polynomial_ops.h"
#include "runtime/objects/rational_internal.h"
#include "runtime/objects/vnstring.h"

Rational* toprat = nullptr;
Rational* lastrat = nullptr;
char* rat_err_src = nullptr;

namespace {


Polynomial* heldPolynomial(int degree, int class_) {
  Polynomial* p = class_ == 0 ? PolyDef("", degree, nullptr) : C_PolyDef("", degree, nullptr);
  return PolySetType(p, vorn_registry::kHeld2);
}

void releasePolynomials(Rational* r) {
  if (r->nume != nullptr) PolyUndef(r->nume);
  if (r->deno != nullptr) PolyUndef(r->deno);
  r->nume = nullptr;
  r->deno = nullptr;
  r->nume_degree = 0;
  r->deno_degree = 0;
}

struct RationalKind {
  using Record = Rational;
  static constexpr const char* kPrefix = "Rat";
  static constexpr const char* kDuplicateUndef = "Duplicate undefining";

  static Rational*& top() { return toprat; }
  static Rational*& last() { return lastrat; }
  // One stack, not keyed by size: a parked record holds no polynomials.
  static bool bucketOf(const Rational*, size_t* key) {
    *key = 0;
    return true;
  }
  static void park(Rational* r) { releasePolynomials(r); }
  static void poison(Rational*) {}  // nothing is kept to poison
  static void freeContents(Rational* r) { releasePolynomials(r); }
  [[noreturn]] static void reportFatal(const char* tag, const char* message, Rational* r) {
    RatError(tag, message, r);
  }
  static Rational* destroyOperand() { return nullptr; }

  static constexpr const char* kAfterMessage = "";
  static constexpr const char* kLogFailure = "Can't open logfile\n";
  static char* source() { return rat_err_src; }
  static void describe(std::string& body, bool second, const Rational* r) {
    const char* joint = second ? "and" : "for";
    if (r->name[0] != '\0')
      vorn_report::appendf(body, " %s '%s(s^%d/s^%d)'", joint, r->name, r->nume_degree, r->deno_degree);
    else
      vorn_report::appendf(body, " %s '(s^%d/s^%d)'", joint, r->nume_degree, r->deno_degree);
  }
  static void saveOperand(Rational* r) {
    if (r->nume == nullptr || r->deno == nullptr) return;
    if (r->nume->degree == -1 || r->deno->degree == -1) return;
    RatFileSave(r, vorn_report::kLogFile, 1, 1);
  }
};

using Registry = vorn_registry::Registry<RationalKind>;

// A record for a new temporary (the newest parked one, else a new one),
// appended to the live list; its polynomials are the caller's to set.
Rational* newRecord(const char* name, int class_) {
  Rational* r = RatRequest();
  if (r == nullptr) r = Registry::allocate();
  Registry::enlist(r);
  r->class_ = class_;
  vorn_registry::setName(r->name, name);
  return r;
}

Rational* define(const char* name, int n, int d, int class_) {
  if (n < 0 || d < 0) n = d = -1;
  Rational* r = newRecord(name, class_);
  r->nume_degree = n;
  r->deno_degree = d;
  r->nume = heldPolynomial(n, class_);
  r->deno = heldPolynomial(d, class_);
  return r;
}

bool isUndefined(const Rational* r) {
  return r->nume == nullptr || r->deno == nullptr || r->nume->degree == -1 || r->deno->degree == -1;
}

// Copy and Swap report their operands in this order: source (or second)
// first, as the Matrix kind does.
void checkSameShape(const char* tag, Rational* first, Rational* second) {
  if (first->class_ != second->class_) RatError2(tag, "Confliction of class", first, second);
  if (first->nume_degree != second->nume_degree || first->deno_degree != second->deno_degree)
    RatError2(tag, "Confliction of size", first, second);
}


}  // namespace

namespace vorn_rational {

Rational* adopt(Polynomial* n, Polynomial* d) {
  const int class_ = n->class_ == 1 || d->class_ == 1 ? 1 : 0;
  if (n->class_ != class_) {
    Polynomial* wide = PolyRealToComp(n);
    PolyUndef(n);
    n = wide;
  }
  if (d->class_ != class_) {
    Polynomial* wide = PolyRealToComp(d);
    PolyUndef(d);
    d = wide;
  }
  // One variable for both: the one present, none when they differ.
  const bool distinct =
      n->variable != nullptr && d->variable != nullptr && std::strcmp(n->variable, d->variable) != 0;
  const char* present = n->variable != nullptr ? n->variable : d->variable;
  const std::string variable = present != nullptr && !distinct ? present : "";
  PolySetVar(n, variable.c_str());
  PolySetVar(d, variable.c_str());
  Rational* r = newRecord("", class_);
  r->nume = PolySetType(n, vorn_registry::kHeld2);
  r->deno = PolySetType(d, vorn_registry::kHeld2);
  r->nume_degree = n->degree;
  r->deno_degree = d->degree;
  return r;
}

}  // namespace vorn_rational

void RatInit() {
  if (toprat != nullptr) return;
  toprat = static_cast<Rational*>(emalloc(sizeof(Rational)));
  toprat->name = StringDup("TOPRAT");
  toprat->type = vorn_registry::kLocal;
  toprat->class_ = 0;
  toprat->nume_degree = 0;
  toprat->deno_degree = 0;
  toprat->nume = PolySetName(heldPolynomial(0, 0), "TOPRAT-NUME");
  toprat->deno = PolySetName(heldPolynomial(0, 0), "TOPRAT-DENO");
  toprat->prev = nullptr;
  toprat->next = nullptr;
  toprat->parked = false;
  lastrat = toprat;
  Registry::start(vorn_registry::envLimit("RATIONAL_TABLE_MAX", 0, 0), 1);
  rat_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  rat_err_src[0] = '\0';
}

int RatTableCount() { return Registry::population(0); }
int RatLiveCount() { return Registry::liveCount(); }

Rational* RatDef(const char* name, int n, int d) { return define(name, n, d, 0); }
Rational* C_RatDef(const char* name, int n, int d) { return define(name, n, d, 1); }

void RatAppendToLastRat(Rational* r) { Registry::append(r); }
void RatSetLastRat(Rational* r) { lastrat = r; }
Rational* RatRequest() { return Registry::request(0); }
void RatInstall(Rational* r) { Registry::install(r); }
void RatDestroy(Rational* r) { Registry::destroy(r); }
void RatUndef(Rational* r) { Registry::undef(r); }
void RatUndefs(Rational* r) { Registry::undefs(r); }
void RatTmpUndef() { Registry::tmpUndef(); }
void RatFree(Rational* r) { Registry::free(r); }
void RatFrees(Rational* marker) { Registry::frees(marker); }
Rational* RatSetName(Rational* r, const char* name) { return Registry::setName(r, name); }
Rational* RatSetType(Rational* r, int type) { return Registry::setType(r, type); }

Rational* RatSetClass(Rational* r, int class_) {
  r->class_ = class_;
  return r;
}

Rational* RatSetVar(Rational* r, const char* variable) {
  PolySetVar(r->nume, variable);
  PolySetVar(r->deno, variable);
  return r;
}

Rational* RatSetZero(Rational* r) {
  for (Polynomial* p : {r->nume, r->deno})
    if (p->degree >= 0) MatSetZero(p->coef);
  return r;
}

void RatErrorWarning(const char* tag, const char* message, Rational* r1, Rational* r2, int is_error) {
  vorn_report::errorWarning<RationalKind>(tag, message, r1, r2, is_error);
}
void RatError(const char* tag, const char* message, Rational* r) {
  vorn_report::fatal<RationalKind>(tag, message, r, static_cast<Rational*>(nullptr));
}
void RatError2(const char* tag, const char* message, Rational* r1, Rational* r2) {
  vorn_report::fatal<RationalKind>(tag, message, r1, r2);
}
void RatWarning(const char* tag, const char* message, Rational* r) {
  RatErrorWarning(tag, message, r, nullptr, 0);
}
void RatWarning2(const char* tag, const char* message, Rational* r1, Rational* r2) {
  RatErrorWarning(tag, message, r1, r2, 0);
}

void RatUndefCheck(Rational* r, const char* tag) {
  Registry::checkLive(r, tag);
  if (isUndefined(r)) RatError(tag, "Undefined rational", r);
}

void RatUndefCheck2(Rational* r, Rational* q, const char* tag) {
  Registry::checkLive(r, tag);
  Registry::checkLive(q, tag);
  if (isUndefined(r) || isUndefined(q)) RatError2(tag, "Undefined rational", r, q);
}

Rational* RatCopy(Rational* dst, Rational* src) {
  checkSameShape("RatCopy()", src, dst);
  if (dst == src) return dst;
  PolyCopy(dst->nume, src->nume);
  PolyCopy(dst->deno, src->deno);
  return dst;
}

Rational* RatDup(Rational* r) {
  Registry::checkLive(r, "RatDup()");
  Rational* copy = newRecord("", r->class_);
  copy->nume = PolySetType(PolyDup(r->nume), vorn_registry::kHeld2);
  copy->deno = PolySetType(PolyDup(r->deno), vorn_registry::kHeld2);
  copy->nume_degree = r->nume_degree;
  copy->deno_degree = r->deno_degree;
  return copy;
}

Rational* RatElementCopy(Rational* dst, Rational* src) {
  if (dst == src) return dst;
  PolyElementCopy(dst->nume, src->nume);
  PolyElementCopy(dst->deno, src->deno);
  vorn_registry::setLifetime(dst->nume, vorn_registry::kHeld2);
  vorn_registry::setLifetime(dst->deno, vorn_registry::kHeld2);
  vorn_registry::setLifetime(dst, src->type);
  dst->class_ = src->class_;
  dst->nume_degree = src->nume_degree;
  dst->deno_degree = src->deno_degree;
  return dst;
}

Rational* RatElementChange(Rational* a, Rational* b) {
  vorn_registry::swapLifetime(a, b);
  std::swap(a->class_, b->class_);
  std::swap(a->nume_degree, b->nume_degree);
  std::swap(a->deno_degree, b->deno_degree);
  std::swap(a->nume, b->nume);
  std::swap(a->deno, b->deno);
  return a;
}

Rational* RatMove(Rational* dst, Rational* src) {
  return vorn_registry::moveRecord(dst, src, RatElementChange);
}

Rational* RatSwap(Rational* a, Rational* b) {
  checkSameShape("RatSwap()", b, a);
  if (a == b) return a;
  PolySwap(a->nume, b->nume);
  PolySwap(a->deno, b->deno);
  return a;
}

Rational* RatAssign(Rational* dst, Rational* src) {
  RatUndefCheck(src, "RatAssign()");
  return vorn_registry::assignRecord(dst, src, RatElementChange, RatElementCopy, [] {
    ListTmpUndef();
    vnStringTmpUndef();
    RatTmpUndef();
    PolyTmpUndef();
    CompTmpUndef();
    MatTmpUndef();
  });
}
