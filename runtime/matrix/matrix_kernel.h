// What the matrix kernels share: element traits per class family, the class
// dispatch table, and the helpers on counts, emptiness and classes. Internal
// to runtime/matrix and its tests.
//
// A family of elements plugs in as one more trait (storage access, the
// arithmetic its kernels need) and fills its slots of the dispatch tables;
// a class whose slot is empty is reported by failUnservedClass.
#pragma once

#include <cstddef>

#include "runtime/core/vorn_assert.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/core/registry.h"
#include "runtime/objects/complex_value.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"

namespace vorn_matrix {

inline constexpr char kBadClass[] = "Incorrect class matrix";

template <class Record>
inline const char* nameOf(const Record* r) {
  return r->name != nullptr ? r->name : "";
}

// rows x cols, computed without 32-bit overflow.
inline size_t elementCount(const Matrix* m) {
  return static_cast<size_t>(m->rows) * static_cast<size_t>(m->cols);
}
// No element at all: rows or cols is 0 (a 0x5 matrix has none).
inline bool hasNoElements(const Matrix* m) { return m->rows == 0 || m->cols == 0; }
// Both dimensions 0: the operand that concatenation passes over.
inline bool isZeroByZero(const Matrix* m) { return m->rows == 0 && m->cols == 0; }
inline bool sameShape(const Matrix* a, const Matrix* b) {
  return a->rows == b->rows && a->cols == b->cols;
}
// Storage position of element (i, j), both from 1.
inline size_t offsetOf(const Matrix* m, int i, int j) {
  return static_cast<size_t>(i - 1) * static_cast<size_t>(m->cols) + static_cast<size_t>(j - 1);
}

inline bool isValidClass(int class_) { return class_ >= MAT_REAL && class_ <= MAT_C_RATIONAL; }
inline bool isPolyOrRational(int class_) { return class_ >= MAT_POLY && class_ <= MAT_C_RATIONAL; }
inline bool holdsComplex(int class_) {
  return class_ == MAT_COMPLEX || class_ == MAT_C_POLY || class_ == MAT_C_RATIONAL;
}
// Doubles per element of the classes stored as doubles; 0 for the others.
inline int widthOf(int class_) { return class_ == MAT_REAL ? 1 : class_ == MAT_COMPLEX ? 2 : 0; }
// Bytes of storage for n elements of class_: doubles, or one element
// object reference each.
inline size_t storageBytes(size_t n, int class_) {
  if (isPolyOrRational(class_)) return n * sizeof(void*);
  return n * static_cast<size_t>(widthOf(class_)) * sizeof(double);
}

// Sets every double of a real or complex m (both parts of a complex element).
inline void fillDoubles(Matrix* m, double value) {
  double* const d = MatReal(m);
  const size_t total = elementCount(m) * static_cast<size_t>(widthOf(m->class_));
  for (size_t k = 0; k < total; k++) d[k] = value;
}

// A new temporary of a polynomial or rational class (2..5), holding empty
// element objects; a bad size is reported from P_MatDef() or R_MatDef().
Matrix* defineElements(const char* name, int rows, int cols, int class_);
// Fills n element slots of fresh storage with empty element objects of the
// class, each a component of the matrix.
void fillEmptyElements(void* data, int n, int class_);
// Replaces count elements of a polynomial or rational dst from position dk
// by src's from position sk, each converted to dst's class (a value
// becomes a constant, a polynomial p the rational p/1); dst is not src.
void copyElements(Matrix* dst, size_t dk, Matrix* src, size_t sk, size_t count);
// A new rows x cols temporary of a class 2..5 holding zero constants.
Matrix* zeroElements(int class_, int rows, int cols);

// A class the operation takes but for which this runtime has no kernel:
// the one report of every such path.
[[noreturn]] inline void failUnservedClass(const char* tag, Matrix* m) {
  MatError(tag, kBadClass, m);
}
[[noreturn]] inline void failUnservedClass2(const char* tag, Matrix* a, Matrix* b) {
  MatError2(tag, kBadClass, a, b);
}

// ---------------------------------------------------------------------------
// Class dispatch: one entry per family. An empty entry (Fn{}) is a family
// the operation does not serve.

template <class Fn>
struct ClassTable {
  Fn real;       // class 0
  Fn complex;    // class 1
  Fn poly;       // classes 2 and 3
  Fn rational;   // classes 4 and 5
};

template <class Fn>
inline Fn entryFor(const ClassTable<Fn>& table, int class_) {
  switch (class_) {
    case MAT_REAL: return table.real;
    case MAT_COMPLEX: return table.complex;
    case MAT_POLY:
    case MAT_C_POLY: return table.poly;
    case MAT_RATIONAL:
    case MAT_C_RATIONAL: return table.rational;
    default: return Fn{};
  }
}

// ---------------------------------------------------------------------------
// Element traits. Elem is the stored element; of() is the typed storage.
// Reductions accumulate in Acc (extended precision) and round() once to a
// double. key() orders elements: the value, or the squared modulus.

struct RealElements {
  using Elem = double;
  struct Acc {
    long double v;
  };
  static constexpr int kClass = MAT_REAL;
  static Elem* of(Matrix* m) {
    VORN_ASSERT(m->class_ == kClass);
    return MatReal(m);
  }
  static const Elem* of(const Matrix* m) {
    VORN_ASSERT(m->class_ == kClass);
    return MatReal(m);
  }

  static Elem add(Elem a, Elem b) { return a + b; }
  static Elem sub(Elem a, Elem b) { return a - b; }
  static Elem mul(Elem a, Elem b) { return a * b; }
  static Elem scale(double x, Elem a) { return x * a; }
  static Elem addReal(Elem a, double x) { return a + x; }
  static Elem subReal(Elem a, double x) { return a - x; }
  static Elem realSub(double x, Elem a) { return x - a; }
  static Elem negate(Elem a) { return -a; }
  static Elem conj(Elem a) { return a; }
  static double key(Elem x) { return x; }
  static bool nonZero(Elem x) { return x != 0.0; }

  static Acc zero() { return {0.0L}; }
  static Acc from(Elem x) { return {x}; }
  static void accAdd(Acc& a, Elem x) { a.v += x; }
  static void accMul(Acc& a, Elem x) { a.v *= x; }
  static void accDivide(Acc& a, long double n) { a.v /= n; }
  static Elem round(const Acc& a) { return static_cast<double>(a.v); }
  // (x - mean)^2 in double arithmetic.
  static double squaredDeviation(Elem x, Elem mean) { return (x - mean) * (x - mean); }
};

// (re, im) pairs, laid out as ComplexValue.
struct ComplexElements {
  using Elem = ComplexValue;
  struct Acc {
    long double re, im;
  };
  static constexpr int kClass = MAT_COMPLEX;
  static Elem* of(Matrix* m) {
    VORN_ASSERT(m->class_ == kClass);
    return static_cast<ComplexValue*>(m->data);
  }
  static const Elem* of(const Matrix* m) {
    VORN_ASSERT(m->class_ == kClass);
    return static_cast<const ComplexValue*>(m->data);
  }

  static Elem add(const Elem& a, const Elem& b) { return {a.re + b.re, a.im + b.im}; }
  static Elem sub(const Elem& a, const Elem& b) { return {a.re - b.re, a.im - b.im}; }
  static Elem mul(const Elem& a, const Elem& b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
  }
  static Elem scale(double x, const Elem& a) { return {x * a.re, x * a.im}; }
  static Elem addReal(const Elem& a, double x) { return {a.re + x, a.im}; }
  static Elem subReal(const Elem& a, double x) { return {a.re - x, a.im}; }
  static Elem realSub(double x, const Elem& a) { return {x - a.re, -a.im}; }
  static Elem negate(const Elem& a) { return {-a.re, -a.im}; }
  static Elem conj(const Elem& a) { return {a.re, -a.im}; }
  static double key(const Elem& x) { return x.re * x.re + x.im * x.im; }
  static bool nonZero(const Elem& x) { return x.re != 0.0 || x.im != 0.0; }

  static Acc zero() { return {0.0L, 0.0L}; }
  static Acc from(const Elem& x) { return {x.re, x.im}; }
  static void accAdd(Acc& a, const Elem& x) {
    a.re += x.re;
    a.im += x.im;
  }
  static void accMul(Acc& a, const Elem& x) {
    const long double re = a.re * x.re - a.im * x.im;
    const long double im = a.re * x.im + a.im * x.re;
    a.re = re;
    a.im = im;
  }
  static void accDivide(Acc& a, long double n) {
    a.re /= n;
    a.im /= n;
  }
  static Elem round(const Acc& a) { return {static_cast<double>(a.re), static_cast<double>(a.im)}; }
  // |x - mean|^2 in double arithmetic.
  static double squaredDeviation(const Elem& x, const Elem& mean) {
    return (x.re - mean.re) * (x.re - mean.re) + (x.im - mean.im) * (x.im - mean.im);
  }
};

// Element objects: each held element is a duplicate carrying the lifetime
// code of a component (3 for a polynomial, 2 for a rational).
struct PolyElements {
  using Elem = Polynomial*;
  static Elem* of(Matrix* m) {
    VORN_ASSERT(m->class_ == MAT_POLY || m->class_ == MAT_C_POLY);
    return MatPolys(m);
  }
  static Elem dup(Polynomial* p) { return PolySetType(PolyDup(p), vorn_registry::kHeld3); }
  static void release(Polynomial* p) { PolyUndef(p); }
};

struct RationalElements {
  using Elem = Rational*;
  static Elem* of(Matrix* m) {
    VORN_ASSERT(m->class_ == MAT_RATIONAL || m->class_ == MAT_C_RATIONAL);
    return MatRats(m);
  }
  static Elem dup(Rational* r) { return RatSetType(RatDup(r), vorn_registry::kHeld2); }
  static void release(Rational* r) { RatUndef(r); }
};

}  // namespace vorn_matrix
