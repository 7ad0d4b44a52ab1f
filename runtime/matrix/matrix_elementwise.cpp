#include "runtime/matrix/matrix_elementwise.h"

#include <cmath>
#include <cstddef>
#include <type_traits>

#include "runtime/core/util.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/polymat.h"
#include "runtime/objects/polynomial_ops.h"
#include "runtime/objects/rational_ops.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/objects/complex_value.h"

namespace {

const char kNotRealNorComplex[] = "Not a real nor complex matrix";
const char kNotReal[] = "Not a real matrix ";        // the trailing space is part of the text
const char kNotComplex[] = "Not a complex matrix ";

using vorn_matrix::elementCount;
using C = vorn_matrix::ComplexElements;
using Runner1 = Matrix* (*)(Matrix* m);

// What a member reports for a class outside its domain, and its forms for
// the element-object families. Real and complex elements run the element
// functions given with each call.
struct Member {
  const char* source;   // user-level name, as in "sin(A(2x2))"
  const char* tag;
  const char* message;
  bool takesObjects;    // classes 2 to 5 are in the domain
  vorn_matrix::ClassTable<Runner1> forms;
};

void describe(const Member& s, Matrix* m) {
  MatErrorSource("%s(%s(%dx%d))", s.source, m->name, m->rows, m->cols);
}

[[noreturn]] void refuse(const Member& s, Matrix* m) {
  describe(s, m);
  MatError(s.tag, s.message, m);
}

constexpr std::nullptr_t kNone = nullptr;   // a family the member does not take

// The one dispatch of every member: validate, answer an empty m at once,
// then run the entry of m's class. real maps double to double; complex maps
// a complex element to a double (RealResult) or, in the shape of the
// ComplexValue family, to a complex one. Either may be kNone.
template <bool RealResult, class RealF, class ComplexF>
Matrix* elementwise(const Member& s, Matrix* m, RealF real, ComplexF complex) {
  const int class_ = m->class_;
  if (!vorn_matrix::isValidClass(class_)) refuse(s, m);
  if (vorn_matrix::hasNoElements(m))
    return RealResult ? MatDef("", m->rows, m->cols) : MatSameDef(m);
  const size_t n = elementCount(m);
  switch (class_) {
    case MAT_REAL:
      if constexpr (!std::is_null_pointer_v<RealF>) {
        Matrix* result = MatDef("", m->rows, m->cols);
        const double* const x = MatReal(m);
        double* const y = MatReal(result);
        for (size_t k = 0; k < n; k++) y[k] = real(x[k]);
        return result;
      }
      break;
    case MAT_COMPLEX:
      if constexpr (!std::is_null_pointer_v<ComplexF>) {
        const ComplexValue* const x = C::of(m);
        if constexpr (RealResult) {
          Matrix* result = MatDef("", m->rows, m->cols);
          double* const y = MatReal(result);
          for (size_t k = 0; k < n; k++) y[k] = complex(&x[k]);
          return result;
        } else {
          Matrix* result = MatSameDef(m);
          ComplexValue* const y = C::of(result);
          for (size_t k = 0; k < n; k++) complex(&y[k], &x[k]);
          return result;
        }
      }
      break;
    default:
      if (!s.takesObjects) break;
      if (const Runner1 form = vorn_matrix::entryFor(s.forms, class_)) return form(m);
      describe(s, m);
      vorn_matrix::failUnservedClass(s.tag, m);
  }
  refuse(s, m);
}

template <class RealF, class ComplexF>
Matrix* sameClass(const Member& s, Matrix* m, RealF real, ComplexF complex) {
  return elementwise<false>(s, m, real, complex);
}

template <class RealF, class ComplexF>
Matrix* realResult(const Member& s, Matrix* m, RealF real, ComplexF complex) {
  return elementwise<true>(s, m, real, complex);
}

inline double truth(int holds) { return holds ? 1.0 : 0.0; }

// Complex rounding: the real rounding applied to each part.
template <double (*Round)(double)>
ComplexValue* eachPart(ComplexValue* c, const ComplexValue* a) {
  return ComplexValueSetValue(c, Round(a->re), Round(a->im));
}
double ceilOf(double x) { return std::ceil(x); }
double floorOf(double x) { return std::floor(x); }
double rintOf(double x) { return std::rint(x); }

// The complex signum: each part divided by the modulus, as CompSgn does.
ComplexValue* complexSgn(ComplexValue* c, const ComplexValue* a) {
  const double r = ComplexValueAbs(a);
  return ComplexValueSetValue(c, a->re / r, a->im / r);
}

const Member kAbs{"abs", "MatAbsElem()", kNotRealNorComplex, false, {}};
const Member kArg{"arg", "MatArgElem()", kNotComplex, false, {}};
// The rounding members round the coefficients of polynomial and rational
// elements too.
const Member kCeil{"ceil", "MatCeilElem()", kNotReal, true,
                   {nullptr, nullptr, [](Matrix* m) { return P_Mat_ApplyPolyFunc(m, PolyCeil); },
                    [](Matrix* m) { return R_Mat_ApplyRatFunc(m, RatCeil); }}};
const Member kFloor{"floor", "MatFloorElem()", kNotReal, true,
                    {nullptr, nullptr, [](Matrix* m) { return P_Mat_ApplyPolyFunc(m, PolyFloor); },
                     [](Matrix* m) { return R_Mat_ApplyRatFunc(m, RatFloor); }}};
const Member kFix{"fix", "MatFixToZeroElem()", kNotReal, true,
                  {nullptr, nullptr, [](Matrix* m) { return P_Mat_ApplyPolyFunc(m, PolyFixToZero); },
                   [](Matrix* m) { return R_Mat_ApplyRatFunc(m, RatFixToZero); }}};
const Member kRint{"round", "MatRintElem()", kNotReal, true,
                   {nullptr, nullptr, [](Matrix* m) { return P_Mat_ApplyPolyFunc(m, PolyRint); },
                    [](Matrix* m) { return R_Mat_ApplyRatFunc(m, RatRint); }}};

// The members whose only families are real and complex.
Member plain(const char* source, const char* tag) {
  return Member{source, tag, kNotRealNorComplex, false, {}};
}

}  // namespace

Matrix* MatAbsElem(Matrix* m) {
  return realResult(kAbs, m, [](double x) { return std::fabs(x); }, ComplexValueAbs);
}

Matrix* MatArgElem(Matrix* m) { return realResult(kArg, m, kNone, ComplexValueArg); }

Matrix* MatCeilElem(Matrix* m) { return sameClass(kCeil, m, ceilOf, eachPart<ceilOf>); }
Matrix* MatFloorElem(Matrix* m) { return sameClass(kFloor, m, floorOf, eachPart<floorOf>); }
Matrix* MatFixToZeroElem(Matrix* m) {
  return sameClass(kFix, m, fix_to_zero, eachPart<fix_to_zero>);
}
Matrix* MatRintElem(Matrix* m) { return sameClass(kRint, m, rintOf, eachPart<rintOf>); }

Matrix* MatSinElem(Matrix* m) {
  return sameClass(plain("sin", "MatSinElem()"), m, [](double x) { return std::sin(x); },
                   ComplexValueSin);
}
Matrix* MatCosElem(Matrix* m) {
  return sameClass(plain("cos", "MatCosElem()"), m, [](double x) { return std::cos(x); },
                   ComplexValueCos);
}
Matrix* MatTanElem(Matrix* m) {
  return sameClass(plain("tan", "MatTanElem()"), m, [](double x) { return std::tan(x); },
                   ComplexValueTan);
}
Matrix* MatAsinElem(Matrix* m) {
  return sameClass(plain("asin", "MatAsinElem()"), m, [](double x) { return std::asin(x); },
                   ComplexValueAsin);
}
Matrix* MatAcosElem(Matrix* m) {
  return sameClass(plain("acos", "MatAcosElem()"), m, [](double x) { return std::acos(x); },
                   ComplexValueAcos);
}
Matrix* MatAtanElem(Matrix* m) {
  return sameClass(plain("atan", "MatAtanElem()"), m, [](double x) { return std::atan(x); },
                   ComplexValueAtan);
}
Matrix* MatSinhElem(Matrix* m) {
  return sameClass(plain("sinh", "MatSinhElem()"), m, [](double x) { return std::sinh(x); },
                   ComplexValueSinh);
}
Matrix* MatCoshElem(Matrix* m) {
  return sameClass(plain("cosh", "MatCoshElem()"), m, [](double x) { return std::cosh(x); },
                   ComplexValueCosh);
}
Matrix* MatTanhElem(Matrix* m) {
  return sameClass(plain("tanh", "MatTanhElem()"), m, [](double x) { return std::tanh(x); },
                   ComplexValueTanh);
}
Matrix* MatAsinhElem(Matrix* m) {
  return sameClass(plain("asinh", "MatAsinhElem()"), m, [](double x) { return std::asinh(x); },
                   ComplexValueAsinh);
}
Matrix* MatAcoshElem(Matrix* m) {
  return sameClass(plain("acosh", "MatAcoshElem()"), m, [](double x) { return std::acosh(x); },
                   ComplexValueAcosh);
}
Matrix* MatAtanhElem(Matrix* m) {
  return sameClass(plain("atanh", "MatAtanhElem()"), m, [](double x) { return std::atanh(x); },
                   ComplexValueAtanh);
}
Matrix* MatExpElem(Matrix* m) {
  return sameClass(plain("exp", "MatExpElem()"), m, [](double x) { return std::exp(x); },
                   ComplexValueExp);
}
Matrix* MatLogElem(Matrix* m) {
  return sameClass(plain("log", "MatLogElem()"), m, [](double x) { return std::log(x); },
                   ComplexValueLog);
}
Matrix* MatLog10Elem(Matrix* m) {
  return sameClass(plain("log10", "MatLog10Elem()"), m, [](double x) { return std::log10(x); },
                   ComplexValueLog10);
}
Matrix* MatSqrtElem(Matrix* m) {
  return sameClass(plain("sqrt", "MatSqrtElem()"), m, [](double x) { return std::sqrt(x); },
                   ComplexValueSqrt);
}
Matrix* MatSgnElem(Matrix* m) {
  return sameClass(plain("sgn", "MatSgnElem()"), m, real_sgn, complexSgn);
}

Matrix* MatFiniteElem(Matrix* m) {
  return realResult(plain("finite", "MatFiniteElem()"), m,
                    [](double x) { return truth(isFinite(x)); },
                    [](const ComplexValue* z) { return truth(ComplexValueIsFinite(z)); });
}
Matrix* MatNaNElem(Matrix* m) {
  return realResult(plain("isnan", "MatNaNElem()"), m, [](double x) { return truth(isNaN(x)); },
                    [](const ComplexValue* z) { return truth(ComplexValueIsNaN(z)); });
}
Matrix* MatInfElem(Matrix* m) {
  return realResult(plain("isinf", "MatInfElem()"), m, [](double x) { return truth(isInf(x)); },
                    [](const ComplexValue* z) { return truth(ComplexValueIsInf(z)); });
}

Matrix* MatApply(Matrix* m, MatRealFunction f) {
  const char tag[] = "MatApply()";
  if (m->class_ == MAT_REAL) {
    Matrix* result = MatDef("", m->rows, m->cols);
    const double* const x = MatReal(m);
    double* const y = MatReal(result);
    const size_t n = elementCount(m);
    for (size_t k = 0; k < n; k++) y[k] = f(x[k]);
    return result;
  }
  if (m->class_ == MAT_COMPLEX) {
    if (elementCount(m) == 0) return MatSameDef(m);
    MatError(tag, "Not a real matrix", m);   // a real function has no complex form
  }
  MatErrorNotRealNorComplex(m, tag);
}

Matrix* MatApply(Matrix* m, MatComplexFunction f) {
  if (m->class_ != MAT_REAL && m->class_ != MAT_COMPLEX) MatErrorNotRealNorComplex(m, "MatApply()");
  Matrix* result = C_MatNonNameDef(m->rows, m->cols);
  ComplexValue* const y = C::of(result);
  const size_t n = elementCount(m);
  if (m->class_ == MAT_REAL) {
    const double* const x = MatReal(m);
    for (size_t k = 0; k < n; k++) {
      const ComplexValue z{x[k], 0.0};
      f(&y[k], &z);
    }
  } else {
    const ComplexValue* const x = C::of(m);
    for (size_t k = 0; k < n; k++) f(&y[k], &x[k]);
  }
  return result;
}
