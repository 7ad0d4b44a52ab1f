#include "runtime/objects/rational.h"

#include <cstdio>
#include <cstdlib>
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
#include "runtime/objects/polynomial.h"
#include "runtime/objects/vnstring.h"

Rational* toprat = nullptr;
Rational* lastrat = nullptr;
char* rat_err_src = nullptr;

namespace {

// One stack, not keyed by size: a parked record holds no polynomials.
Rational* rational_table = nullptr;
int rational_table_count = 0;
int garbage_table_max = 0;

void describe(std::string& body, const char* joint, const Rational* r) {
  if (r->name[0] != '\0')
    vorn_report::appendf(body, " %s '%s(s^%d/s^%d)'", joint, r->name, r->nume_degree, r->deno_degree);
  else
    vorn_report::appendf(body, " %s '(s^%d/s^%d)'", joint, r->nume_degree, r->deno_degree);
}

struct Operands {
  Rational* r1;
  Rational* r2;
};

void saveOperands(const void* context) {
  const Operands* ops = static_cast<const Operands*>(context);
  for (Rational* r : {ops->r1, ops->r2}) {
    if (r == nullptr || r->nume == nullptr || r->deno == nullptr) continue;
    if (r->nume->degree == -1 || r->deno->degree == -1) continue;
    RatFileSave(r, vorn_report::kLogFile, 1, 1);
  }
}

Polynomial* heldPolynomial(int degree, int class_) {
  Polynomial* p = class_ == 0 ? PolyDef("", degree, nullptr) : C_PolyDef("", degree, nullptr);
  return PolySetType(p, vorn_registry::kHeld2);
}

// A record for a new temporary (the newest parked one, else a new one),
// appended to the live list; its polynomials are the caller's to set.
Rational* newRecord(const char* name, int class_) {
  Rational* r = RatRequest();
  if (r == nullptr) {
    r = static_cast<Rational*>(emalloc(sizeof(Rational)));
    r->name = nullptr;
    r->parked = false;
  }
  RatAppendToLastRat(r);
  vorn_registry::setLifetime(r, vorn_registry::kTemporary);
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

void releasePolynomials(Rational* r) {
  if (r->nume != nullptr) PolyUndef(r->nume);
  if (r->deno != nullptr) PolyUndef(r->deno);
  r->nume = nullptr;
  r->deno = nullptr;
  r->nume_degree = 0;
  r->deno_degree = 0;
}

}  // namespace

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
  garbage_table_max = vorn_registry::envLimit("RATIONAL_TABLE_MAX", 0, 0);
  rat_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  rat_err_src[0] = '\0';
}

int RatTableCount() { return rational_table_count; }

int RatLiveCount() { return vorn_registry::liveCount(toprat); }

Rational* RatDef(const char* name, int n, int d) { return define(name, n, d, 0); }
Rational* C_RatDef(const char* name, int n, int d) { return define(name, n, d, 1); }

void RatAppendToLastRat(Rational* r) { vorn_registry::append(lastrat, r); }
void RatSetLastRat(Rational* r) { lastrat = r; }
Rational* RatRequest() { return vorn_registry::request(&rational_table, &rational_table_count, 0); }
void RatInstall(Rational* r) { vorn_registry::install(&rational_table, &rational_table_count, 0, r); }

void RatDestroy(Rational* r) {
  if (r->parked || !vorn_registry::unlink(lastrat, r))
    RatError("RatDestroy()", "Duplicate destroying", nullptr);
  releasePolynomials(r);
  efree(r->name);
  efree(r);
}

void RatUndef(Rational* r) {
  if (r->parked) RatError("RatUndef()", "Duplicate undefining", nullptr);
  if (!vorn_registry::bucketAccepts(rational_table_count, garbage_table_max)) {
    RatDestroy(r);
    return;
  }
  if (!vorn_registry::unlink(lastrat, r)) RatError("RatUndef()", "Duplicate undefining", nullptr);
  releasePolynomials(r);
  r->type = vorn_registry::kTemporary;  // parked: off the live list
  RatInstall(r);
}

void RatUndefs(Rational* r) { vorn_registry::releaseFrom(r, RatUndef); }

void RatTmpUndef() { vorn_registry::releaseTemporaries(lastrat, RatUndef); }
void RatFree(Rational* r) { vorn_registry::setLifetime(r, vorn_registry::kTemporary); }

void RatFrees(Rational* marker) { vorn_registry::freeLocalsFrom(marker); }

Rational* RatSetName(Rational* r, const char* name) {
  vorn_registry::setName(r->name, name);
  return r;
}

Rational* RatSetType(Rational* r, int type) {
  vorn_registry::setLifetime(r, type);
  return r;
}

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
  std::string body;
  if (vorn_report::hasSource(rat_err_src)) {
    vorn_report::appendf(body, "\n%s : %s", rat_err_src, message);
  } else {
    vorn_report::appendf(body, "\n%s", message);
    if (r1 != nullptr) describe(body, "for", r1);
    if (r2 != nullptr) describe(body, "and", r2);
  }
  Operands ops{r1, r2};
  vorn_report::emit(tag, body, rat_err_src, is_error, "Can't open logfile\n", saveOperands, &ops);
}

void RatError(const char* tag, const char* message, Rational* r) {
  RatErrorWarning(tag, message, r, nullptr, 1);
  std::abort();
}

void RatError2(const char* tag, const char* message, Rational* r1, Rational* r2) {
  RatErrorWarning(tag, message, r1, r2, 1);
  std::abort();
}

void RatWarning(const char* tag, const char* message, Rational* r) {
  RatErrorWarning(tag, message, r, nullptr, 0);
}

void RatWarning2(const char* tag, const char* message, Rational* r1, Rational* r2) {
  RatErrorWarning(tag, message, r1, r2, 0);
}

void RatUndefCheck(Rational* r, const char* tag) {
  if (isUndefined(r)) RatError(tag, "Undefined rational", r);
}

void RatUndefCheck2(Rational* r, Rational* q, const char* tag) {
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
