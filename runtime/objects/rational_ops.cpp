#include "runtime/objects/rational_ops.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/core/entry.h"
#include "runtime/core/memory.h"
#include "runtime/core/registry.h"
#include "runtime/core/report.h"
#include "runtime/linalg/linalg_internal.h"
#include "runtime/linalg/lu.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/polynomial_ops.h"
#include "runtime/objects/polytext.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/rational_internal.h"

namespace {

using vorn_rational::adopt;

void setSource(const char* format, ...) __attribute__((format(printf, 1, 2)));
void setSource(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(rat_err_src, vorn_report::kSourceSize, format, ap);
  va_end(ap);
}

inline bool isZ(Rational* r) { return PolyIsZero(r->nume) != 0; }

// The constant x over 1, of the class.
Rational* constant(double re, double im, int class_) {
  Rational* r = class_ == 1 ? C_RatDef("", 0, 0) : RatDef("", 0, 0);
  double* n = MatReal(r->nume->coef);
  n[0] = re;
  if (class_ == 1) n[1] = im;
  MatReal(r->deno->coef)[0] = 1.0;
  return r;
}

inline int jointClass(Rational* a, Rational* b) { return a->class_ == 1 || b->class_ == 1 ? 1 : 0; }

// p q and p +- q for temporaries p (and q for the sum), released once used.
Polynomial* mulTake(Polynomial* p, Polynomial* q) {
  Polynomial* r = PolyMul(p, q);
  PolyUndef(p);
  return r;
}
Polynomial* addTake(Polynomial* p, Polynomial* q, bool subtract) {
  Polynomial* r = subtract ? PolySub(p, q) : PolyAdd(p, q);
  PolyUndef(p);
  PolyUndef(q);
  return r;
}

void checkDefined(Rational* r, const char* tag) { RatUndefCheck(r, tag); }

// The Polynomial operation f on numerator and denominator, recombined.
template <class F>
Rational* onBoth(Rational* r, const char* tag, F f) {
  checkDefined(r, tag);
  return adopt(f(r->nume), f(r->deno));
}

// Repeated squaring, as PolyPow; intermediates are released when replaced.
Rational* power(Rational* r, unsigned n) {
  Rational* result = nullptr;
  Rational* square = RatDup(r);
  for (unsigned bits = n; bits != 0; bits >>= 1) {
    if (bits & 1u) {
      Rational* next = result == nullptr ? RatDup(square) : RatMul(result, square);
      if (result != nullptr) RatUndef(result);
      result = next;
    }
    if (bits > 1) {
      Rational* next = RatMul(square, square);
      RatUndef(square);
      square = next;
    }
  }
  RatUndef(square);
  return result;
}

// x Dr as a polynomial temporary.
Polynomial* scaledDeno(Rational* r, double re, double im, bool complex) {
  if (!complex) return PolyScale(r->deno, re);
  Complex* z = CompDef("", re, im);
  Polynomial* p = PolyScaleC(r->deno, z);
  CompUndef(z);
  return p;
}

// r + x, r - x or x - r for a real or complex scalar x.
Rational* withScalar(Rational* r, double re, double im, bool complex, int op, const char* tag) {
  checkDefined(r, tag);
  const int class_ = complex || r->class_ == 1 ? 1 : 0;
  const bool scalarZero = re == 0.0 && im == 0.0;
  if (isZ(r)) {
    if (scalarZero) return constant(0.0, 0.0, class_);
    return op < 0 ? constant(-re, -im, class_) : constant(re, im, class_);  // op < 0: r - x
  }
  if (scalarZero) {
    Rational* copy = op > 1 ? RatNegate(r) : RatDup(r);  // op > 1: x - r
    if (class_ == 1 && copy->class_ == 0) {
      Rational* wide = RatRealToComp(copy);
      RatUndef(copy);
      return wide;
    }
    return copy;
  }
  Polynomial* xd = scaledDeno(r, re, im, complex);
  Polynomial* n = op > 1 ? PolySub(xd, r->nume) : op < 0 ? PolySub(r->nume, xd) : PolyAdd(r->nume, xd);
  PolyUndef(xd);
  return adopt(n, PolyDup(r->deno));
}

[[noreturn]] void evalError(Rational* r, const char* tag, const char* message, const Complex* z, double x) {
  if (z != nullptr)
    setSource("eval(%s(s^%d/s^%d), (%g,%g))", r->name, r->nume_degree, r->deno_degree, z->re, z->im);
  else
    setSource("eval(%s(s^%d/s^%d), %g)", r->name, r->nume_degree, r->deno_degree, x);
  RatError(tag, message, r);
}

// The quotient of two complex temporaries, both released.
Complex* quotient(Complex* n, Complex* d) {
  Complex* q = CompDiv(n, d);
  CompUndef(n);
  CompUndef(d);
  return q;
}

const char* variableOf(const Rational* r) {
  return r->nume->variable != nullptr ? r->nume->variable : r->deno->variable;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction.

Rational* RatNumeDenoDef(Polynomial* n, Polynomial* d) {
  static const char* const tag = "RatNumeDenoDef()";
  if (n->class_ != 0 && n->class_ != 1) RatError(tag, "Invalid numerator", nullptr);
  if (d->class_ != 0 && d->class_ != 1) RatError(tag, "Invalid polynomials", nullptr);
  return adopt(PolyDup(n), PolyDup(d));
}

Rational* RatNumeDef(Polynomial* n) {
  Polynomial* one = n->class_ == 1 ? C_PolyDef("", 0, n->variable) : PolyDef("", 0, n->variable);
  MatReal(one->coef)[0] = 1.0;
  return adopt(PolyDup(n), one);
}

Rational* RatDenoDef(Polynomial* d) {
  Polynomial* one = d->class_ == 1 ? C_PolyDef("", 0, d->variable) : PolyDef("", 0, d->variable);
  MatReal(one->coef)[0] = 1.0;
  return adopt(one, PolyDup(d));
}

Rational* RatSameClassDef(Rational* r, int n, int d) { return r->class_ == 1 ? C_RatDef("", n, d) : RatDef("", n, d); }

Rational* RatSameDef(Rational* r) { return RatSameClassDef(r, r->nume_degree, r->deno_degree); }

Rational* RatMulDef(Rational* r, Rational* q) {
  const int n = r->nume_degree + q->nume_degree;
  const int d = r->deno_degree + q->deno_degree;
  return jointClass(r, q) == 1 ? C_RatDef("", n, d) : RatDef("", n, d);
}

Rational* RatAddDef(Rational* r, Rational* q) {
  const int n = std::max(r->nume_degree + q->deno_degree, r->deno_degree + q->nume_degree);
  const int d = r->deno_degree + q->deno_degree;
  return jointClass(r, q) == 1 ? C_RatDef("", n, d) : RatDef("", n, d);
}

Rational* RatIDef(int n, int d) { return adopt(PolyIDef(n, nullptr), PolyIDef(d, nullptr)); }
Rational* C_RatIDef(int n, int d) { return adopt(C_PolyIDef(n, nullptr), C_PolyIDef(d, nullptr)); }
Rational* RatConst(double x) { return constant(x, 0.0, 0); }
Rational* C_RatConst(Complex* z) { return constant(z->re, z->im, 1); }

namespace {

// Replaces *slot by a copy of p (widened for a complex r); a complex p into
// a real r is refused.
void setPart(Rational* r, Polynomial*& slot, int& degree, Polynomial* p) {
  static const char* const tag = "RatSetNume()";
  if (p->class_ == 1 && r->class_ == 0) RatError(tag, "Class Error", r);
  Polynomial* copy = r->class_ == 1 && p->class_ == 0 ? PolyRealToComp(p) : PolyDup(p);
  PolySetType(copy, vorn_registry::kHeld2);
  PolyUndef(slot);
  slot = copy;
  degree = copy->degree;
}

}  // namespace

Rational* RatSetNume(Rational* r, Polynomial* n) {
  setPart(r, r->nume, r->nume_degree, n);
  return r;
}

Rational* RatSetDeno(Rational* r, Polynomial* d) {
  setPart(r, r->deno, r->deno_degree, d);
  return r;
}

Polynomial* RatNume(Rational* r) { return PolyDup(r->nume); }
Polynomial* RatDeno(Rational* r) { return PolyDup(r->deno); }

// ---------------------------------------------------------------------------
// Arithmetic.

Rational* RatAdd(Rational* a, Rational* b) {
  RatUndefCheck2(a, b, "RatAdd()");
  if (isZ(a) && isZ(b)) return constant(0.0, 0.0, jointClass(a, b));
  if (isZ(a)) return RatDup(b);
  if (isZ(b)) return RatDup(a);
  Polynomial* left = PolyMul(a->nume, b->deno);
  Polynomial* n = addTake(left, PolyMul(b->nume, a->deno), false);
  return adopt(n, PolyMul(a->deno, b->deno));
}

Rational* RatSub(Rational* a, Rational* b) {
  RatUndefCheck2(a, b, "RatSub()");
  if (isZ(a) && isZ(b)) return constant(0.0, 0.0, jointClass(a, b));
  if (isZ(b)) return RatDup(a);
  if (isZ(a)) return RatNegate(b);
  // a + (-b): the negated product adds as a difference, bit for bit.
  Polynomial* left = PolyMul(a->nume, b->deno);
  Polynomial* n = addTake(left, PolyMul(b->nume, a->deno), true);
  return adopt(n, PolyMul(a->deno, b->deno));
}

Rational* RatAdd_Polynomial(Rational* r, Polynomial* p) {
  RatUndefCheck(r, "RatAdd_Polynomial()");
  if (isZ(r)) return RatNumeDef(p);
  if (PolyIsZero(p)) return RatDup(r);
  Polynomial* pd = PolyMul(p, r->deno);
  Polynomial* n = PolyAdd(r->nume, pd);
  PolyUndef(pd);
  return adopt(n, PolyDup(r->deno));
}

Rational* RatSub_Polynomial(Rational* r, Polynomial* p, int reversed) {
  RatUndefCheck(r, "RatSub_Polynomial()");
  if (isZ(r)) {
    if (reversed) return RatNumeDef(p);
    Polynomial* minus = PolyNegate(p);
    Rational* q = RatNumeDef(minus);
    PolyUndef(minus);
    return q;
  }
  if (PolyIsZero(p)) return reversed ? RatNegate(r) : RatDup(r);
  Polynomial* pd = PolyMul(p, r->deno);
  Polynomial* n = reversed ? PolySub(pd, r->nume) : PolySub(r->nume, pd);
  PolyUndef(pd);
  return adopt(n, PolyDup(r->deno));
}

Rational* RatAdd_Complex(Rational* r, Complex* z) { return withScalar(r, z->re, z->im, true, 0, "RatAdd_Complex()"); }
Rational* RatSub_Complex(Rational* r, Complex* z, int reversed) {
  return withScalar(r, z->re, z->im, true, reversed ? 2 : -1, "RatSub_Complex()");
}
Rational* RatAdd_double(Rational* r, double x) { return withScalar(r, x, 0.0, false, 0, "RatAdd_double()"); }
Rational* RatSub_double(Rational* r, double x, int reversed) {
  return withScalar(r, x, 0.0, false, reversed ? 2 : -1, "RatSub_double()");
}

Rational* RatMul(Rational* a, Rational* b) {
  RatUndefCheck2(a, b, "RatMul()");
  if (isZ(a) || isZ(b)) return constant(0.0, 0.0, jointClass(a, b));
  return adopt(PolyMul(a->nume, b->nume), PolyMul(a->deno, b->deno));
}

Rational* RatInv(Rational* r) {
  checkDefined(r, "RatInv()");
  return adopt(PolyDup(r->deno), PolyDup(r->nume));
}

Rational* RatDiv(Rational* a, Rational* b) {
  RatUndefCheck2(a, b, "RatDiv()");
  if (isZ(a)) return constant(0.0, 0.0, jointClass(a, b));
  Rational* inverse = RatInv(b);
  Rational* q = RatMul(a, inverse);
  RatUndef(inverse);
  return q;
}

Rational* RatScale(Rational* r, double x) {
  checkDefined(r, "RatScale()");
  return adopt(PolyScale(r->nume, x), PolyDup(r->deno));
}

Rational* RatScaleC(Rational* r, Complex* z) {
  static const char* const tag = "RatScaleC()";
  if (z == nullptr) {
    setSource("%s(s^%d/s^%d) * (NULL,NULL)", r->name, r->nume_degree, r->deno_degree);
    RatError(tag, "scale is NULL complex", r);
  }
  checkDefined(r, tag);
  return adopt(PolyScaleC(r->nume, z), PolyDup(r->deno));
}

Rational* RatScaleP(Rational* r, Polynomial* p) {
  checkDefined(r, "RatScaleP()");
  return adopt(PolyMul(r->nume, p), PolyDup(r->deno));
}

Rational* RatScaleSelf(Rational* r, double x) {
  checkDefined(r, "RatScaleSelf()");
  PolyScaleSelf(r->nume, x);
  return r;
}

Rational* RatPow(Rational* r, int n) {
  checkDefined(r, "RatPow()");
  if (n == 0) return constant(1.0, 0.0, r->class_);
  if (n == 1) return RatDup(r);
  if (n < 0) {
    Rational* inverse = RatInv(r);
    // -n without overflow for the most negative n.
    Rational* p = power(inverse, static_cast<unsigned>(-(n + 1)) + 1u);
    RatUndef(inverse);
    return p;
  }
  return power(r, static_cast<unsigned>(n));
}

Rational* RatNegate(Rational* r) {
  checkDefined(r, "RatNegate()");
  return adopt(PolyNegate(r->nume), PolyDup(r->deno));
}

Rational* RatConj(Rational* r) { return onBoth(r, "RatConj()", PolyConj); }
Rational* RatRealToComp(Rational* r) { return onBoth(r, "RatRealToComp()", PolyRealToComp); }

namespace {

// With N = a + ib and D = c + id: the real part (ac + bd)/(c^2 + d^2), or
// the imaginary part (bc - ad)/(c^2 + d^2).
Rational* part(Rational* r, bool imaginary, const char* tag) {
  checkDefined(r, tag);
  Polynomial* a = PolyRealPart(r->nume);
  Polynomial* b = PolyImagPart(r->nume);
  Polynomial* c = PolyRealPart(r->deno);
  Polynomial* d = PolyImagPart(r->deno);
  Polynomial* first = imaginary ? PolyMul(b, c) : PolyMul(a, c);
  Polynomial* n = addTake(first, imaginary ? PolyMul(a, d) : PolyMul(b, d), imaginary);
  Polynomial* cc = PolyMul(c, c);
  Polynomial* m = addTake(cc, PolyMul(d, d), false);
  for (Polynomial* p : {a, b, c, d}) PolyUndef(p);
  return adopt(n, m);
}

}  // namespace

Rational* RatRealPart(Rational* r) { return part(r, false, "RatRealPart()"); }
Rational* RatImagPart(Rational* r) { return part(r, true, "RatImagPart()"); }

Rational* RatRealAndImag(Rational* re, Rational* im) {
  static const char* const tag = "RatRealAndImag()";
  RatUndefCheck2(re, im, tag);
  if (re->class_ != 0 || im->class_ != 0) {
    setSource("(%s(s^%d/s^%d), %s(s^%d/s^%d))", re->name, re->nume_degree, re->deno_degree, im->name, im->nume_degree,
              im->deno_degree);
    RatError2(tag, "Not a real Rational", re, im);
  }
  Complex* i = CompDef("", 0.0, 1.0);
  Rational* scaled = RatScaleC(im, i);
  Rational* r = RatAdd(re, scaled);
  RatUndef(scaled);
  CompUndef(i);
  return r;
}

Rational* RatCeil(Rational* r) { return onBoth(r, "RatCeil()", PolyCeil); }
Rational* RatFloor(Rational* r) { return onBoth(r, "RatFloor()", PolyFloor); }
Rational* RatRint(Rational* r) { return onBoth(r, "RatRint()", PolyRint); }
Rational* RatFixToZero(Rational* r) { return onBoth(r, "RatFixToZero()", PolyFixToZero); }
Rational* RatRoundToZero(Rational* r, double tol) {
  return onBoth(r, "RatRoundToZero()", [tol](Polynomial* p) { return PolyRoundToZero(p, tol); });
}

Rational* RatSimplify(Rational* r, double tol) {
  checkDefined(r, "RatSimplify()");
  PolySimplify(r->nume, tol);
  PolySimplify(r->deno, tol);
  r->nume_degree = r->nume->degree;
  r->deno_degree = r->deno->degree;
  return r;
}

// ---------------------------------------------------------------------------
// Evaluation.

double RatEval(Rational* r, double x) {
  static const char* const tag = "RatEval()";
  checkDefined(r, tag);
  if (r->class_ != 0) evalError(r, tag, "Not a real ratnomial", nullptr, x);
  return PolyEval(r->nume, x) / PolyEval(r->deno, x);
}

Complex* RatEvalC(Rational* r, Complex* z) {
  static const char* const tag = "RatEvalC()";
  checkDefined(r, tag);
  if (r->class_ != 0) evalError(r, tag, "Not a real ratnomial", z, 0.0);
  return quotient(PolyEvalC(r->nume, z), PolyEvalC(r->deno, z));
}

Complex* C_RatEval(Rational* r, double x) {
  static const char* const tag = "C_RatEval()";
  checkDefined(r, tag);
  if (r->class_ != 1) evalError(r, tag, "Not a complex ratnomial", nullptr, x);
  return quotient(C_PolyEval(r->nume, x), C_PolyEval(r->deno, x));
}

Complex* C_RatEvalC(Rational* r, Complex* z) {
  static const char* const tag = "C_RatEvalC()";
  checkDefined(r, tag);
  if (r->class_ != 1) evalError(r, tag, "Not a complex ratnomial", z, 0.0);
  return quotient(C_PolyEvalC(r->nume, z), C_PolyEvalC(r->deno, z));
}

Rational* RatEvalP(Rational* r, Polynomial* p) {
  checkDefined(r, "RatEvalP()");
  return adopt(PolyEvalP(r->nume, p), PolyEvalP(r->deno, p));
}

Rational* PolyEvalR(Polynomial* p, Rational* r) {
  PolyUndefCheck(p, "PolyEvalR()");
  checkDefined(r, "PolyEvalR()");
  const bool complex = p->class_ == 1;
  auto coefficient = [&](int k) {
    const double* c = MatReal(p->coef);
    return complex ? constant(c[2 * k], c[2 * k + 1], 1) : constant(c[k], 0.0, 0);
  };
  Rational* acc = coefficient(p->degree);
  for (int k = p->degree - 1; k >= 0; k--) {
    Rational* product = RatMul(acc, r);
    RatUndef(acc);
    Rational* c = coefficient(k);
    acc = RatAdd(product, c);
    RatUndef(product);
    RatUndef(c);
  }
  return acc;
}

Rational* RatEvalR(Rational* r, Rational* q) {
  checkDefined(r, "RatEvalR()");
  Rational* n = PolyEvalR(r->nume, q);
  Rational* d = PolyEvalR(r->deno, q);
  Rational* v = RatDiv(n, d);
  RatUndef(n);
  RatUndef(d);
  return v;
}

Matrix* RatEvalM(Rational* r, Matrix* a) {
  checkDefined(r, "RatEvalM()");
  Matrix* n = PolyEvalM(r->nume, a);
  Matrix* d = PolyEvalM(r->deno, a);
  // The Frobenius norm of d, real or complex, sets the singularity tolerance.
  Matrix* inverse = MatInv(d, vorn_linalg::frobeniusNorm(d) * vorn_eps);
  Matrix* v = MatMul(n, inverse);
  MatUndef(n);
  MatUndef(d);
  MatUndef(inverse);
  return v;
}

Matrix* RatZeros(Rational* r) {
  checkDefined(r, "RatZeros()");
  return PolyRoots(r->nume);
}

Matrix* RatPoles(Rational* r) {
  checkDefined(r, "RatPoles()");
  return PolyRoots(r->deno);
}

// ---------------------------------------------------------------------------
// Calculus and shifts.

Rational* RatDerivative(Rational* r, int n) {
  static const char* const tag = "RatDerivative()";
  checkDefined(r, tag);
  if (n < 0) RatError(tag, "Index must be semipositive", r);
  if (n == 0) return RatDup(r);
  // N_k = N_{k-1}' D - k N_{k-1} D'; the result is N_n / D^(n+1).
  Polynomial* dprime = PolyDerivative(r->deno, 1);
  Polynomial* nk = PolyDup(r->nume);
  for (int k = 1; k <= n; k++) {
    Polynomial* left = mulTake(PolyDerivative(nk, 1), r->deno);
    Polynomial* right = mulTake(PolyScale(nk, static_cast<double>(k)), dprime);
    PolyUndef(nk);
    nk = addTake(left, right, true);
  }
  PolyUndef(dprime);
  return adopt(nk, PolyPow(r->deno, n + 1));
}

Rational* RatLowerShift(Rational* r, int n) {
  checkDefined(r, "RatLowerShift()");
  Polynomial* d = PolyLowerShift(r->deno, n);
  if (PolyIsZero(d)) MatReal(d->coef)[0] = 1.0;
  return adopt(PolyLowerShift(r->nume, n), d);
}

Rational* RatHigherShift(Rational* r, int n) {
  checkDefined(r, "RatHigherShift()");
  return adopt(PolyHigherShift(r->nume, n), PolyHigherShift(r->deno, n));
}

// ---------------------------------------------------------------------------
// Display and files.

Rational* RatPrint(Rational* r) {
  char* nume = nullptr;
  char* deno = nullptr;
  RatToString(r, &nume, &deno, 0, variableOf(r));
  const int l1 = static_cast<int>(std::strlen(nume));
  const int l2 = static_cast<int>(std::strlen(deno));
  int w = std::max(l1, l2);
  const bool named = r->name != nullptr && r->name[0] != '\0';
  const int n = named ? static_cast<int>(std::strlen(r->name)) : 0;
  const int indent = named ? n + 4 : 7;
  nume = PolyStringWrap(nume, indent, 79, "\n");
  deno = PolyStringWrap(deno, indent, 79, "\n");
  if (named ? w + n + 5 > 79 : w + 8 > 79) w = named ? 74 - n : 71;
  const std::string bar(static_cast<size_t>(w + 2), '-');
  auto centred = [&](const char* text, int length) {
    std::printf("%*s", indent + (length < w ? (w - length) / 2 : 0), "");
    std::printf("%s\n", text);
  };
  if (!named) std::printf("\n");
  centred(nume, l1);
  std::printf("%s = %s\n", named ? r->name : "ans", bar.c_str());
  centred(deno, l2);
  std::fflush(stdout);
  efree(nume);
  efree(deno);
  return r;
}

void RatAllPrint() {
  for (Rational* r = toprat->next; r != nullptr; r = r->next) RatPrint(r);
}

Rational* RatFileWrite(Rational* r, const char* base) {
  checkDefined(r, "RatFileWrite()");
  const std::string path(base);
  PolyFileWrite(r->nume, (path + ".N").c_str());
  PolyFileWrite(r->deno, (path + ".D").c_str());
  return r;
}

Rational* RatFileRead(const char* base) {
  const std::string path(base);
  return adopt(PolyFileRead((path + ".N").c_str()), PolyFileRead((path + ".D").c_str()));
}
