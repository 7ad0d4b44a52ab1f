// The element kinds of polynomial and rational matrices: what the shapes
// written once over an element kind need of its elements.
#pragma once

#include <cstddef>

#include "runtime/core/registry.h"
#include "runtime/core/vorn_assert.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_elementwise.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/polynomial_ops.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/rational_ops.h"

namespace vorn_polymat {

// p with f applied to its coefficient row, simplified as every
// coefficient-wise result is.
template <class F>
Polynomial* coefficientsMapped(Polynomial* p, F f, const char* tag) {
  PolyUndefCheck(p, tag);
  Matrix* row = MatApply(p->coef, f);
  Polynomial* q = PolyCoefDef(row, p->variable);
  MatUndef(row);
  return PolySimplify(q, vorn_eps);
}

struct PolyKind {
  using E = Polynomial*;
  static constexpr int kBase = MAT_POLY;
  static constexpr int kHeld = vorn_registry::kHeld3;
  static E* of(Matrix* m) { return vorn_matrix::PolyElements::of(m); }
  static E hold(E p) { return PolySetType(p, kHeld); }
  static void release(E p) { PolyUndef(p); }
  static bool complex(E p) { return p->class_ == 1; }
  static E widen(E p) { return PolyRealToComp(p); }
  static E dup(E p) { return PolyDup(p); }
  static constexpr const char* kNotFamily = "Not a polynomial matrix";
  static E constant(double re, double im, bool complexValue) {
    Polynomial* p = complexValue ? C_PolyDef("", 0, nullptr) : PolyDef("", 0, nullptr);
    MatReal(p->coef)[0] = re;
    if (complexValue) MatReal(p->coef)[1] = im;
    return p;
  }
  static E add(E a, E b) { return PolyAdd(a, b); }
  static E sub(E a, E b) { return PolySub(a, b); }
  static E mul(E a, E b) { return PolyMul(a, b); }
  static E conj(E a) { return PolyConj(a); }
  static E scale(E a, double x) { return PolyScale(a, x); }
  static E pow(E a, int n) { return PolyPow(a, n); }
  static double eval(E a, double x) { return PolyEval(a, x); }
  static Complex* evalComplexAt(E a, double x) { return C_PolyEval(a, x); }
  static Complex* evalC(E a, Complex* z) { return complex(a) ? C_PolyEvalC(a, z) : PolyEvalC(a, z); }
  static void checkDefined(E a, const char* tag) { PolyUndefCheck(a, tag); }
  static E zero(bool complexValue) { return constant(0.0, 0.0, complexValue); }
  static E negate(E a) { return PolyNegate(a); }
  static Matrix* evalM(E a, Matrix* x) { return PolyEvalM(a, x); }
  template <class F>
  static E mapCoefficients(E a, F f, const char* tag) {
    return coefficientsMapped(a, f, tag);
  }
};

struct RatKind {
  using E = Rational*;
  static constexpr int kBase = MAT_RATIONAL;
  static constexpr int kHeld = vorn_registry::kHeld2;
  static E* of(Matrix* m) { return vorn_matrix::RationalElements::of(m); }
  static E hold(E r) { return RatSetType(r, kHeld); }
  static void release(E r) { RatUndef(r); }
  static bool complex(E r) { return r->class_ == 1; }
  static E widen(E r) { return RatRealToComp(r); }
  static E dup(E r) { return RatDup(r); }
  static constexpr const char* kNotFamily = "Not a rational matrix";
  static E constant(double re, double im, bool complexValue) {
    if (!complexValue) return RatConst(re);
    Complex* z = CompDef("", re, im);
    Rational* r = C_RatConst(z);
    CompUndef(z);
    return r;
  }
  static E add(E a, E b) { return RatAdd(a, b); }
  static E sub(E a, E b) { return RatSub(a, b); }
  static E mul(E a, E b) { return RatMul(a, b); }
  static E conj(E a) { return RatConj(a); }
  static E scale(E a, double x) { return RatScale(a, x); }
  static E pow(E a, int n) { return RatPow(a, n); }
  static double eval(E a, double x) { return RatEval(a, x); }
  static Complex* evalComplexAt(E a, double x) { return C_RatEval(a, x); }
  static Complex* evalC(E a, Complex* z) { return complex(a) ? C_RatEvalC(a, z) : RatEvalC(a, z); }
  static void checkDefined(E a, const char* tag) { RatUndefCheck(a, tag); }
  static E zero(bool complexValue) { return constant(0.0, 0.0, complexValue); }
  static E negate(E a) { return RatNegate(a); }
  static Matrix* evalM(E a, Matrix* x) { return RatEvalM(a, x); }
  // Numerator and denominator mapped alike, recombined without cancelling.
  template <class F>
  static E mapCoefficients(E a, F f, const char* tag) {
    RatUndefCheck(a, tag);
    return pairMapped(a, [f, tag](Polynomial* p) { return coefficientsMapped(p, f, tag); });
  }
  template <class F>
  static E pairMapped(E a, F f) {
    Polynomial* n = f(a->nume);
    Polynomial* d = f(a->deno);
    Rational* r = RatNumeDenoDef(n, d);
    PolyUndef(n);
    PolyUndef(d);
    return r;
  }
};

// Puts the new temporary v into slot k of c as a component, widened when c
// holds complex values; the element it replaces is released.
template <class K>
void put(Matrix* c, size_t k, typename K::E v) {
  if (vorn_matrix::holdsComplex(c->class_) && !K::complex(v)) {
    typename K::E wide = K::widen(v);
    K::release(v);
    v = wide;
  }
  VORN_ASSERT(vorn_matrix::holdsComplex(c->class_) || !K::complex(v));
  typename K::E const old = K::of(c)[k];
  K::of(c)[k] = K::hold(v);
  if (old != nullptr) K::release(old);
}

}  // namespace vorn_polymat
