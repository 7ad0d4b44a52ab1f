#include "runtime/objects/complex_scalar.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "runtime/core/memory.h"
#include "runtime/core/terminal.h"
#include "runtime/core/util.h"
#include "runtime/io/textsave.h"
#include "runtime/matrix/matrix.h"
#include "runtime/core/registry.h"
#include "runtime/core/report.h"
#include "runtime/objects/list.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"

Complex* topcomp = nullptr;
Complex* lastcomp = nullptr;
char* comp_err_src = nullptr;

namespace {

struct ComplexKind {
  using Record = Complex;
  static constexpr const char* kPrefix = "Comp";
  static constexpr const char* kDuplicateUndef = "Duplicate undefing";

  static Complex*& top() { return topcomp; }
  static Complex*& last() { return lastcomp; }
  // Every Complex has the same shape: one stack.
  static bool bucketOf(const Complex*, size_t* key) {
    *key = 0;
    return true;
  }
  static void park(Complex*) {}
  static void poison(Complex* z) {
    vorn_registry::poisonBytes(&z->re, sizeof z->re);
    vorn_registry::poisonBytes(&z->im, sizeof z->im);
  }
  static void freeContents(Complex*) {}
  [[noreturn]] static void reportFatal(const char* tag, const char* message, Complex* z) {
    CompError(tag, message, z);
  }
  static Complex* destroyOperand() { return nullptr; }

  static constexpr const char* kAfterMessage = "";
  static constexpr const char* kLogFailure = "Can't open logfile.\n";
  static char* source() { return comp_err_src; }
  static void describe(std::string& body, bool second, const Complex* z) {
    const char* joint = second ? "and" : "for";
    if (z->name[0] != '\0')
      vorn_report::appendf(body, " %s '%s(%g,%g)'", joint, z->name, z->re, z->im);
    else
      vorn_report::appendf(body, " %s '(%g,%g)'", joint, z->re, z->im);
  }
  static void saveOperand(Complex* z) { CompFileSave(z, vorn_report::kLogFile, 1, 1); }
};

using Registry = vorn_registry::Registry<ComplexKind>;

}  // namespace

void CompInit() {
  if (topcomp != nullptr) return;
  topcomp = static_cast<Complex*>(emalloc(sizeof(Complex)));
  topcomp->name = StringDup("TOP_COMPLEX");
  topcomp->type = vorn_registry::kLocal;
  topcomp->re = 0.0;
  topcomp->im = 0.0;
  topcomp->prev = nullptr;
  topcomp->next = nullptr;
  topcomp->parked = false;
  lastcomp = topcomp;
  Registry::start(vorn_registry::envLimit("COMP_TABLE_MAX", 0, 0), 1);
  comp_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  comp_err_src[0] = '\0';
}

int CompTableCount() { return Registry::population(0); }
int CompLiveCount() { return Registry::liveCount(); }

Complex* CompRequest() { return Registry::request(0); }
void CompInstall(Complex* z) { Registry::install(z); }
void CompAppendToLastComp(Complex* z) { Registry::append(z); }
void CompSetLastComp(Complex* z) { lastcomp = z; }

Complex* CompDef(const char* name, double re, double im) {
  Complex* z = Registry::request(0);
  if (z == nullptr) z = Registry::allocate();
  Registry::enlist(z);
  z->re = re;
  z->im = im;
  vorn_registry::setName(z->name, name);
  return z;
}

void CompDestroy(Complex* z) { Registry::destroy(z); }
void CompUndef(Complex* z) { Registry::undef(z); }
void CompUndefs(Complex* z) { Registry::undefs(z); }
void CompTmpUndef() { Registry::tmpUndef(); }
void CompFree(Complex* z) { Registry::free(z); }
void CompFrees(Complex* marker) { Registry::frees(marker); }
Complex* CompSetName(Complex* z, const char* name) { return Registry::setName(z, name); }
Complex* CompSetType(Complex* z, int type) { return Registry::setType(z, type); }

void CompErrorWarning(const char* tag, const char* message, Complex* z1, Complex* z2, int is_error) {
  vorn_report::errorWarning<ComplexKind>(tag, message, z1, z2, is_error);
}
void CompError(const char* tag, const char* message, Complex* z) {
  vorn_report::fatal<ComplexKind>(tag, message, z, static_cast<Complex*>(nullptr));
}
void CompError2(const char* tag, const char* message, Complex* z1, Complex* z2) {
  vorn_report::fatal<ComplexKind>(tag, message, z1, z2);
}
void CompWarning(const char* tag, const char* message, Complex* z) {
  CompErrorWarning(tag, message, z, nullptr, 0);
}
void CompWarning2(const char* tag, const char* message, Complex* z1, Complex* z2) {
  CompErrorWarning(tag, message, z1, z2, 0);
}

// ---------------------------------------------------------------------------
// Values, construction, copy and assignment

namespace {

inline ComplexValue valueOf(const Complex* z) { return {z->re, z->im}; }

inline Complex* newComp(double re, double im) { return CompDef("", re, im); }
inline Complex* newComp(const ComplexValue& v) { return CompDef("", v.re, v.im); }

inline Complex* put(Complex* z, double re, double im) {
  z->re = re;
  z->im = im;
  return z;
}

inline Complex* put(Complex* z, const ComplexValue& v) { return put(z, v.re, v.im); }

inline bool isZeroDivisor(const Complex* b) { return std::fabs(b->re) + std::fabs(b->im) == 0.0; }

[[noreturn]] void divideByZero(const char* tag, Complex* z1, Complex* z2) {
  CompError2(tag, "Can't divide by zero", z1, z2);
}

// Division checks, each with its expression written into comp_err_src.
void checkDivisor(const char* tag, Complex* a, Complex* b) {
  if (!isZeroDivisor(b)) return;
  std::snprintf(comp_err_src, vorn_report::kSourceSize, "%s(%G,%G) / %s(%G,%G)", a->name, a->re,
                a->im, b->name, b->re, b->im);
  divideByZero(tag, a, b);
}

void checkDivisor1(const char* tag, double x, Complex* b) {
  if (!isZeroDivisor(b)) return;
  std::snprintf(comp_err_src, vorn_report::kSourceSize, "%G / %s(%G,%G)", x, b->name, b->re, b->im);
  divideByZero(tag, b, nullptr);
}

void checkDivisor2(const char* tag, Complex* a, double x) {
  if (x != 0.0) return;
  std::snprintf(comp_err_src, vorn_report::kSourceSize, "%s(%G,%G) / %G", a->name, a->re, a->im, x);
  divideByZero(tag, a, nullptr);
}

ComplexValue checkedInverse(const char* tag, Complex* z) {
  if (isZeroDivisor(z)) {
    std::snprintf(comp_err_src, vorn_report::kSourceSize, "inv(%s(%G,%G))", z->name, z->re, z->im);
    divideByZero(tag, z, nullptr);
  }
  const ComplexValue v = valueOf(z);
  ComplexValue r;
  ComplexValueInv(&r, &v);
  return r;
}

ComplexValue quotient(const ComplexValue& a, Complex* b) {
  const ComplexValue d = valueOf(b);
  ComplexValue r;
  ComplexValueDiv(&r, &a, &d);
  return r;
}

// x / b by the unscaled formula x*(u, -v)/(u^2 + v^2).
ComplexValue realOverComplex(double x, const Complex* b) {
  const double u = b->re;
  const double v = b->im;
  const double e = u * u + v * v;
  return {x * u / e, -x * v / e};
}

using ValueFunction = ComplexValue* (*)(ComplexValue*, const ComplexValue*);

Complex* applyNew(ValueFunction f, Complex* z) {
  const ComplexValue v = valueOf(z);
  ComplexValue r;
  f(&r, &v);
  return newComp(r);
}

Complex* applySelf(ValueFunction f, Complex* z) {
  ComplexValue v = valueOf(z);
  f(&v, &v);
  return put(z, v);
}

Complex* eachPart(double (*f)(double), Complex* z) { return newComp(f(z->re), f(z->im)); }

// z^n for n >= 1 by binary exponentiation from the lowest bit up.
ComplexValue positivePower(ComplexValue base, unsigned int n) {
  ComplexValue result{};
  bool started = false;
  for (;;) {
    if (n & 1u) {
      if (started) ComplexValueMulSelf(&result, &base);
      else result = base;
      started = true;
    }
    n >>= 1;
    if (n == 0) break;
    ComplexValueMulSelf(&base, &base);
  }
  return result;
}

}  // namespace

Complex* CompDef2(Complex* a, Complex* b) { return newComp(a->re - b->im, a->im + b->re); }
Complex* CompDup(Complex* z) {
  Registry::checkLive(z, "CompDup()");
  return newComp(z->re, z->im);
}
Complex* CompCopy(Complex* dst, Complex* src) { return put(dst, src->re, src->im); }

Complex* CompElementChange(Complex* a, Complex* b) {
  vorn_registry::swapLifetime(a, b);
  std::swap(a->re, b->re);
  std::swap(a->im, b->im);
  return a;
}

Complex* CompElementCopy(Complex* dst, Complex* src) {
  vorn_registry::setLifetime(dst, src->type);
  return put(dst, src->re, src->im);
}

Complex* CompMove(Complex* dst, Complex* src) {
  return vorn_registry::moveRecord(dst, src, CompElementChange);
}

Complex* CompSwap(Complex* a, Complex* b) {
  std::swap(a->re, b->re);
  std::swap(a->im, b->im);
  return a;
}

Complex* CompAssign(Complex* dst, Complex* src) {
  return vorn_registry::assignRecord(dst, src, CompElementChange, CompElementCopy, [] {
    ListTmpUndef();
    RatTmpUndef();
    PolyTmpUndef();
    MatTmpUndef();
    vnStringTmpUndef();
    CompTmpUndef();
  });
}

Complex* CompSetZero(Complex* z) { return put(z, 0.0, 0.0); }
Complex* CompSetOne(Complex* z) { return put(z, 1.0, 0.0); }
Complex* CompSetInf(Complex* z) { return put(z, get_infinity(), get_infinity()); }
Complex* CompSetNaN(Complex* z) { return put(z, get_nan(), get_nan()); }

Complex* CompSetRealPart(Complex* z, double re) {
  z->re = re;
  return z;
}

Complex* CompSetImagPart(Complex* z, double im) {
  z->im = im;
  return z;
}

Complex* CompSetValue(Complex* z, double re, double im) { return put(z, re, im); }

ComplexValue CompToComplexValue(Complex* z) { return valueOf(z); }
Complex* ComplexValueToComp(const ComplexValue* v) { return newComp(*v); }

// ---------------------------------------------------------------------------
// Arithmetic

Complex* CompAdd(Complex* a, Complex* b) { return newComp(a->re + b->re, a->im + b->im); }
Complex* CompAdd1(double x, Complex* b) { return newComp(x + b->re, b->im); }
Complex* CompAdd2(Complex* a, double x) { return newComp(a->re + x, a->im); }
Complex* CompAddSelf(Complex* a, Complex* b) { return put(a, a->re + b->re, a->im + b->im); }
Complex* CompAddSelf1(double x, Complex* b) { return put(b, x + b->re, b->im); }
Complex* CompAddSelf2(Complex* a, double x) { return put(a, a->re + x, a->im); }

Complex* CompSub(Complex* a, Complex* b) { return newComp(a->re - b->re, a->im - b->im); }
Complex* CompSub1(double x, Complex* b) { return newComp(x - b->re, -b->im); }
Complex* CompSub2(Complex* a, double x) { return newComp(a->re - x, a->im); }
Complex* CompSubSelf(Complex* a, Complex* b) { return put(a, a->re - b->re, a->im - b->im); }
Complex* CompSubSelf1(double x, Complex* b) { return put(b, x - b->re, -b->im); }
Complex* CompSubSelf2(Complex* a, double x) { return put(a, a->re - x, a->im); }

Complex* CompMul(Complex* a, Complex* b) {
  const ComplexValue x = valueOf(a), y = valueOf(b);
  ComplexValue r;
  return newComp(*ComplexValueMul(&r, &x, &y));
}

Complex* CompMul1(double x, Complex* b) { return newComp(x * b->re, x * b->im); }
Complex* CompMul2(Complex* a, double x) { return newComp(a->re * x, a->im * x); }

Complex* CompMulSelf(Complex* a, Complex* b) {
  ComplexValue x = valueOf(a);
  const ComplexValue y = valueOf(b);
  return put(a, *ComplexValueMulSelf(&x, &y));
}

Complex* CompMulSelf1(double x, Complex* b) { return put(b, x * b->re, x * b->im); }
Complex* CompMulSelf2(Complex* a, double x) { return put(a, a->re * x, a->im * x); }

Complex* CompDiv(Complex* a, Complex* b) {
  checkDivisor("CompDiv()", a, b);
  return newComp(quotient(valueOf(a), b));
}

Complex* CompDiv1(double x, Complex* b) {
  checkDivisor1("CompDiv1()", x, b);
  return newComp(realOverComplex(x, b));
}

Complex* CompDiv2(Complex* a, double x) {
  checkDivisor2("CompDiv2()", a, x);
  return newComp(a->re / x, a->im / x);
}

Complex* CompDivSelf(Complex* a, Complex* b) {
  checkDivisor("CompDivSelf()", a, b);
  return put(a, quotient(valueOf(a), b));
}

Complex* CompDivSelf1(double x, Complex* b) {
  checkDivisor1("CompDivSelf1()", x, b);
  return put(b, quotient({x, 0.0}, b));
}

Complex* CompDivSelf2(Complex* a, double x) {
  checkDivisor2("CompDivSelf2()", a, x);
  return put(a, a->re / x, a->im / x);
}

Complex* CompInv(Complex* z) { return newComp(checkedInverse("CompInv()", z)); }
Complex* CompInvSelf(Complex* z) { return put(z, checkedInverse("CompInvSelf()", z)); }
Complex* CompNegate(Complex* z) { return newComp(-z->re, -z->im); }
Complex* CompNegateSelf(Complex* z) { return put(z, -z->re, -z->im); }
Complex* CompConj(Complex* z) { return newComp(z->re, -z->im); }
Complex* CompConjSelf(Complex* z) { return put(z, z->re, -z->im); }

// ---------------------------------------------------------------------------
// Elementary functions

double CompAbs(Complex* z) {
  const ComplexValue v = valueOf(z);
  return ComplexValueAbs(&v);
}

double CompArg(Complex* z) { return std::atan2(z->im, z->re); }

Complex* CompSgn(Complex* z) {
  const double r = CompAbs(z);
  return newComp(z->re / r, z->im / r);
}

Complex* CompSqrt(Complex* z) { return applyNew(ComplexValueSqrt, z); }
Complex* CompSqrtSelf(Complex* z) { return applySelf(ComplexValueSqrt, z); }
Complex* CompLog(Complex* z) { return applyNew(ComplexValueLog, z); }
Complex* CompLogSelf(Complex* z) { return applySelf(ComplexValueLog, z); }
Complex* CompLog10(Complex* z) { return applyNew(ComplexValueLog10, z); }
Complex* CompLog10Self(Complex* z) { return applySelf(ComplexValueLog10, z); }
Complex* CompExp(Complex* z) { return applyNew(ComplexValueExp, z); }
Complex* CompExpSelf(Complex* z) { return applySelf(ComplexValueExp, z); }

Complex* CompPow(Complex* z, int n) {
  if (n == 0) return newComp(1.0, 0.0);
  if (n == 1) return CompDup(z);
  if (n < 0) {
    // The power -n of the inverse; -n == 1 is the inverse itself.
    const ComplexValue w = checkedInverse("CompInv()", z);
    const unsigned int m = 0u - static_cast<unsigned int>(n);
    return newComp(m == 1u ? w : positivePower(w, m));
  }
  return newComp(positivePower(valueOf(z), static_cast<unsigned int>(n)));
}

Complex* CompPow2(Complex* a, Complex* b) {
  const ComplexValue x = valueOf(a), y = valueOf(b);
  ComplexValue r;
  return newComp(*ComplexValuePow2(&r, &x, &y));
}

Complex* CompSin(Complex* z) { return applyNew(ComplexValueSin, z); }
Complex* CompSinSelf(Complex* z) { return applySelf(ComplexValueSin, z); }
Complex* CompCos(Complex* z) { return applyNew(ComplexValueCos, z); }
Complex* CompCosSelf(Complex* z) { return applySelf(ComplexValueCos, z); }
Complex* CompTan(Complex* z) { return applyNew(ComplexValueTan, z); }
Complex* CompSinh(Complex* z) { return applyNew(ComplexValueSinh, z); }
Complex* CompSinhSelf(Complex* z) { return applySelf(ComplexValueSinh, z); }
Complex* CompCosh(Complex* z) { return applyNew(ComplexValueCosh, z); }
Complex* CompCoshSelf(Complex* z) { return applySelf(ComplexValueCosh, z); }
Complex* CompTanh(Complex* z) { return applyNew(ComplexValueTanh, z); }
Complex* CompAsin(Complex* z) { return applyNew(ComplexValueAsin, z); }
Complex* CompAcos(Complex* z) { return applyNew(ComplexValueAcos, z); }
Complex* CompAtan(Complex* z) { return applyNew(ComplexValueAtan, z); }
Complex* CompAsinh(Complex* z) { return applyNew(ComplexValueAsinh, z); }
Complex* CompAcosh(Complex* z) { return applyNew(ComplexValueAcosh, z); }
Complex* CompAtanh(Complex* z) { return applyNew(ComplexValueAtanh, z); }

// ---------------------------------------------------------------------------
// Rounding and tests

Complex* CompCeil(Complex* z) { return eachPart(std::ceil, z); }
Complex* CompFloor(Complex* z) { return eachPart(std::floor, z); }
Complex* CompRint(Complex* z) { return eachPart(std::rint, z); }
Complex* CompFixToZero(Complex* z) { return eachPart(fix_to_zero, z); }

Complex* CompRoundToZero(Complex* z, double eps) {
  return newComp(round_to_zero(z->re, eps), round_to_zero(z->im, eps));
}

int CompIsFinite(Complex* z) { return isFinite(z->re) && isFinite(z->im); }
int CompIsNaN(Complex* z) { return isNaN(z->re) || isNaN(z->im); }
int CompIsInf(Complex* z) { return isInf(z->re) || isInf(z->im); }

// ---------------------------------------------------------------------------
// Text, terminal and files

char* CompToString(Complex* z, char* buffer, const char* format) {
  const ComplexValue v = valueOf(z);
  return ComplexValueToString(&v, buffer, format);
}

Complex* CompPrint(Complex* z) {
  char* const text = CompToString(z, nullptr, nullptr);
  if (z->name[0] != '\0') std::printf("%s = %s\n", z->name, text);
  else std::printf("ans = %s\n", text);
  std::fflush(stdout);
  efree(text);
  return z;
}

void CompAllPrint() {
  for (Complex* z = topcomp->next; z != nullptr; z = z->next) CompPrint(z);
}

Complex* CompInput(const char* name) { return CompEdit(CompDef(name, 0.0, 0.0)); }

// The number entry echoes straight to descriptor 1, so the prompt pieces are
// flushed before each read.
Complex* CompEdit(Complex* z) {
  if (z->name[0] != '\0') std::printf("%s = (%15.8E , %15.8E) ----> ", z->name, z->re, z->im);
  else std::printf("Complex = (%15.8E , %15.8E) ----> ", z->re, z->im);
  std::printf("( ");
  std::fflush(stdout);
  const double re = get_double(z->re, 0);
  std::printf(" , ");
  std::fflush(stdout);
  const double im = get_double(z->im, 0);
  std::printf(" )\n");
  std::fflush(stdout);
  return put(z, re, im);
}

Complex* CompFileWrite(Complex* z, const char* path) {
  const bool toStdout = std::strcmp(path, "stdout") == 0;
  FILE* const fp = toStdout ? stdout : std::fopen(path, "w");
  if (fp == nullptr) {
    std::fprintf(stderr, "CompFileWrite(): Can not open %s.\n", path);
    return z;
  }
  char* const text = CompToString(z, nullptr, nullptr);
  std::fputs(text, fp);
  efree(text);
  if (toStdout) std::fflush(stdout);
  else std::fclose(fp);
  return z;
}

Complex* CompFileRead(const char* path) {
  const bool fromStdin = std::strcmp(path, "stdin") == 0;
  FILE* const fp = fromStdin ? stdin : std::fopen(path, "r");
  if (fp == nullptr) CompError("CompFileRead()", "Can't open file", nullptr);
  double re = 0.0;
  double im = 0.0;
  if (std::fscanf(fp, "%lf", &re) != 1) re = 0.0;
  else if (std::fscanf(fp, "%lf", &im) != 1) im = 0.0;
  if (!fromStdin) std::fclose(fp);
  return newComp(re, im);
}
