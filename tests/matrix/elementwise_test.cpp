// Element-wise functions: each member against the C library and the
// ComplexValue family, result classes, empty operands, domain edges, and
// the reports for classes a member does not take.
#include "support/values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using ElementwiseTest = VornTest;
using ElementwiseDeathTest = VornTest;

using Member = Matrix* (*)(Matrix*);
using ComplexFn = ComplexValue* (*)(ComplexValue*, const ComplexValue*);

template <double (*F)(double)>
ComplexValue* eachPart(ComplexValue* c, const ComplexValue* a) {
  return ComplexValueSetValue(c, F(a->re), F(a->im));
}
double ceilOf(double x) { return std::ceil(x); }
double floorOf(double x) { return std::floor(x); }
double rintOf(double x) { return std::rint(x); }

const struct {
  Member member;
  double (*real)(double);
  ComplexFn complex;
} kMembers[] = {
    {MatCeilElem, ceilOf, eachPart<ceilOf>},
    {MatFloorElem, floorOf, eachPart<floorOf>},
    {MatFixToZeroElem, fix_to_zero, eachPart<fix_to_zero>},
    {MatRintElem, rintOf, eachPart<rintOf>},
    {MatSinElem, [](double x) { return std::sin(x); }, ComplexValueSin},
    {MatCosElem, [](double x) { return std::cos(x); }, ComplexValueCos},
    {MatTanElem, [](double x) { return std::tan(x); }, ComplexValueTan},
    {MatAsinElem, [](double x) { return std::asin(x); }, ComplexValueAsin},
    {MatAcosElem, [](double x) { return std::acos(x); }, ComplexValueAcos},
    {MatAtanElem, [](double x) { return std::atan(x); }, ComplexValueAtan},
    {MatSinhElem, [](double x) { return std::sinh(x); }, ComplexValueSinh},
    {MatCoshElem, [](double x) { return std::cosh(x); }, ComplexValueCosh},
    {MatTanhElem, [](double x) { return std::tanh(x); }, ComplexValueTanh},
    {MatAsinhElem, [](double x) { return std::asinh(x); }, ComplexValueAsinh},
    {MatAcoshElem, [](double x) { return std::acosh(x); }, ComplexValueAcosh},
    {MatAtanhElem, [](double x) { return std::atanh(x); }, ComplexValueAtanh},
    {MatExpElem, [](double x) { return std::exp(x); }, ComplexValueExp},
    {MatLogElem, [](double x) { return std::log(x); }, ComplexValueLog},
    {MatLog10Elem, [](double x) { return std::log10(x); }, ComplexValueLog10},
    {MatSqrtElem, [](double x) { return std::sqrt(x); }, ComplexValueSqrt},
};

TEST_F(ElementwiseTest, EachMemberAppliesItsFunctionInStorageOrder) {
  // Inside and outside the real domains, halves, signed zeros, non-finite.
  const V real{-4, -1.5, -0.5, -0.0, 0.0, 0.3, 0.5, 1, 2.1, 2.5, 3.5, 7, kInf, -kInf, kNaN};
  const V complex{0.5, -0.25, -1.5, 2.5, 0, 1, 3, -4, -0.7, 0, 2, 0.5};
  Matrix* x = MatSetType(Real("x", 3, 5, real), 1);
  Matrix* z = MatSetType(Complex2("z", 2, 3, complex), 1);
  for (size_t c = 0; c < sizeof kMembers / sizeof kMembers[0]; c++) {
    SCOPED_TRACE(c);
    Matrix* r = kMembers[c].member(x);
    ExpectShape(r, 3, 5, MAT_REAL);
    V want;
    for (double v : real) want.push_back(kMembers[c].real(v));
    EXPECT_TRUE(SameBits(valuesOf(r), want));
    Matrix* w = kMembers[c].member(z);
    ExpectShape(w, 2, 3, MAT_COMPLEX);
    want.clear();
    for (size_t k = 0; k < complex.size(); k += 2) {
      ComplexValue a{complex[k], complex[k + 1]}, b;
      kMembers[c].complex(&b, &a);
      want.insert(want.end(), {b.re, b.im});
    }
    EXPECT_TRUE(SameBits(valuesOf(w), want));
    EXPECT_TRUE(SameBits(valuesOf(x), real));   // operands untouched
    EXPECT_TRUE(SameBits(valuesOf(z), complex));
    MatObjectTmpUndef();
  }
  MatUndef(x);
  MatUndef(z);
}

TEST_F(ElementwiseTest, RealResultsSignumAndDomainEdges) {
  Matrix* x = Real("", 1, 5, {-3, 0, kInf, -kInf, kNaN});
  Matrix* z = Complex2("", 1, 4, {3, -4, kNaN, 0, 1, -kInf, 0, -2});
  const struct {
    Member member;
    V real, complex;
  } cases[] = {
      {MatAbsElem, {3, 0, kInf, kInf, kNaN}, {5, kNaN, kInf, 2}},
      {MatFiniteElem, {1, 1, 0, 0, 0}, {1, 0, 0, 1}},
      {MatNaNElem, {0, 0, 0, 0, 1}, {0, 1, 0, 0}},
      {MatInfElem, {0, 0, 1, 1, 0}, {0, 0, 1, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(SameBits(valuesOf(c.member(x)), c.real));
    Matrix* r = c.member(z);
    ExpectShape(r, 1, 4, MAT_REAL);
    EXPECT_TRUE(SameBits(valuesOf(r), c.complex));
  }
  EXPECT_EQ(valuesOf(MatArgElem(Complex2("", 1, 1, {-1, 1})))[0], std::atan2(1.0, -1.0));
  EXPECT_TRUE(SameBits(valuesOf(MatSgnElem(Real("", 1, 4, {-2, 0, 3, kNaN}))), {-1, 0, 1, kNaN}));
  EXPECT_EQ(valuesOf(MatSgnElem(Complex2("", 1, 1, {3, -4}))), (V{0.6, -0.8}));
  EXPECT_EQ(valuesOf(MatCeilElem(Real("", 1, 2, {-1.5, 2.1}))), (V{-1, 3}));
  EXPECT_TRUE(std::isnan(MatReal(MatSqrtElem(Real("", 1, 1, {-4})))[0]));   // not complex
}

TEST_F(ElementwiseTest, EmptyOperandsGiveEmptyResults) {
  const Member realResult[] = {MatAbsElem, MatArgElem, MatFiniteElem, MatNaNElem, MatInfElem};
  for (const Member f : realResult) {
    ExpectShape(f(MatDef("", 0, 3)), 0, 3, MAT_REAL);   // arg of a real matrix: no error
    ExpectShape(f(C_MatDef("", 2, 0)), 2, 0, MAT_REAL);
  }
  for (const auto& c : kMembers) ExpectShape(c.member(C_MatDef("", 0, 3)), 0, 3, MAT_COMPLEX);
}

TEST_F(ElementwiseTest, ApplyTakesTheCallersFunction) {
  EXPECT_EQ(valuesOf(MatApply(Real("", 2, 1, {4, 9}), [](double x) { return x * x + 1; })),
            (V{17, 82}));
  EXPECT_EQ(valuesOf(MatApply(Complex2("", 1, 1, {1, 2}), ComplexValueConj)), (V{1, -2}));
  // A real matrix given a complex function is read as (x, 0).
  Matrix* w = MatApply(Real("", 1, 2, {-4, 4}), ComplexValueSqrt);
  EXPECT_EQ(w->class_, MAT_COMPLEX);
  EXPECT_EQ(valuesOf(w), (V{0, 2, 2, 0}));
}

TEST_F(ElementwiseDeathTest, ClassesAMemberDoesNotTakeAreFatal) {
  EXPECT_EXIT(MatSinElem(OfClass("P", MAT_POLY)), kFatal,
              ReportLine("sin(P(1x1)) : Not a real nor complex matrix", "MatSinElem()"));
  EXPECT_EXIT(MatArgElem(Real("A", 2, 2, {1, 2, 3, 4})), kFatal,
              ReportLine("arg(A(2x2)) : Not a complex matrix ", "MatArgElem()"));
  EXPECT_EXIT(MatCeilElem(OfClass("P", 6)), kFatal,
              ReportLine("ceil(P(1x1)) : Not a real matrix ", "MatCeilElem()"));
  // The rounding members take polynomial and rational elements: those
  // classes are unserved here, not wrong.
  EXPECT_EXIT(MatRintElem(OfClass("P", MAT_C_RATIONAL)), kFatal,
              ReportLine("round(P(1x1)) : Incorrect class matrix", "MatRintElem()"));
  EXPECT_EXIT(MatApply(Complex2("Z", 1, 1, {1, 1}), [](double x) { return x; }), kFatal,
              ReportLine("Not a real matrix for 'Z(1 x 1)'", "MatApply()"));
}

}  // namespace
