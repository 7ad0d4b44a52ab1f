// Element-wise functions: every member against the C library and the
// ComplexValue family, result classes, empty operands, domain edges and the
// reports for classes a member does not take.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "matrix_test_util.h"
#include "support/vorn_test.h"

namespace {

using ElementwiseTest = VornTest;
using ElementwiseDeathTest = VornTest;

using V = std::vector<double>;
const ::testing::ExitedWithCode kFatal(255);
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

Matrix* Real(const char* name, int rows, int cols, const V& values) {
  Matrix* m = MatDef(name, rows, cols);
  for (size_t k = 0; k < values.size(); k++) MatReal(m)[k] = values[k];
  return m;
}

// values are (re, im) pairs in storage order.
Matrix* Complex2(const char* name, int rows, int cols, const V& values) {
  Matrix* m = C_MatDef(name, rows, cols);
  for (size_t k = 0; k < values.size(); k++) MatReal(m)[k] = values[k];
  return m;
}

V valuesOf(const Matrix* m) {
  const size_t n = static_cast<size_t>(m->rows) * m->cols * (m->class_ == MAT_COMPLEX ? 2 : 1);
  return V(MatReal(m), MatReal(m) + n);
}

// Equal as bit patterns, so NaN matches NaN and -0.0 differs from 0.0.
bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

::testing::AssertionResult SameValues(const V& got, const V& want) {
  if (got.size() != want.size())
    return ::testing::AssertionFailure() << "sizes " << got.size() << " and " << want.size();
  for (size_t k = 0; k < got.size(); k++)
    if (!sameBits(got[k], want[k]))
      return ::testing::AssertionFailure() << "at " << k << ": " << got[k] << " != " << want[k];
  return ::testing::AssertionSuccess();
}

// A matrix of the given class, for the refused-class reports. Its storage
// is never read: each report comes before any element is touched.
Matrix* OfClass(const char* name, int class_) { return MatSetClass(MatDef(name, 1, 1), class_); }

using Member = Matrix* (*)(Matrix*);
using RealFn = double (*)(double);
using ComplexFn = ComplexValue* (*)(ComplexValue*, const ComplexValue*);

struct SameClassCase {
  const char* name;
  Member member;
  RealFn real;
  ComplexFn complex;
};

double Ceil(double x) { return std::ceil(x); }
double Floor(double x) { return std::floor(x); }
double Rint(double x) { return std::rint(x); }
double Sin(double x) { return std::sin(x); }
double Cos(double x) { return std::cos(x); }
double Tan(double x) { return std::tan(x); }
double Asin(double x) { return std::asin(x); }
double Acos(double x) { return std::acos(x); }
double Atan(double x) { return std::atan(x); }
double Sinh(double x) { return std::sinh(x); }
double Cosh(double x) { return std::cosh(x); }
double Tanh(double x) { return std::tanh(x); }
double Asinh(double x) { return std::asinh(x); }
double Acosh(double x) { return std::acosh(x); }
double Atanh(double x) { return std::atanh(x); }
double Exp(double x) { return std::exp(x); }
double Log(double x) { return std::log(x); }
double Log10(double x) { return std::log10(x); }
double Sqrt(double x) { return std::sqrt(x); }

template <RealFn F>
ComplexValue* EachPart(ComplexValue* c, const ComplexValue* a) {
  c->re = F(a->re);
  c->im = F(a->im);
  return c;
}

const SameClassCase kSameClass[] = {
    {"ceil", MatCeilElem, Ceil, EachPart<Ceil>},
    {"floor", MatFloorElem, Floor, EachPart<Floor>},
    {"fix", MatFixToZeroElem, fix_to_zero, EachPart<fix_to_zero>},
    {"round", MatRintElem, Rint, EachPart<Rint>},
    {"sin", MatSinElem, Sin, ComplexValueSin},
    {"cos", MatCosElem, Cos, ComplexValueCos},
    {"tan", MatTanElem, Tan, ComplexValueTan},
    {"asin", MatAsinElem, Asin, ComplexValueAsin},
    {"acos", MatAcosElem, Acos, ComplexValueAcos},
    {"atan", MatAtanElem, Atan, ComplexValueAtan},
    {"sinh", MatSinhElem, Sinh, ComplexValueSinh},
    {"cosh", MatCoshElem, Cosh, ComplexValueCosh},
    {"tanh", MatTanhElem, Tanh, ComplexValueTanh},
    {"asinh", MatAsinhElem, Asinh, ComplexValueAsinh},
    {"acosh", MatAcoshElem, Acosh, ComplexValueAcosh},
    {"atanh", MatAtanhElem, Atanh, ComplexValueAtanh},
    {"exp", MatExpElem, Exp, ComplexValueExp},
    {"log", MatLogElem, Log, ComplexValueLog},
    {"log10", MatLog10Elem, Log10, ComplexValueLog10},
    {"sqrt", MatSqrtElem, Sqrt, ComplexValueSqrt},
};

// Inside and outside the real domains, halves for the roundings, signed
// zeros and non-finite values.
const V kRealInputs{-4.0, -1.5, -0.5, -0.0, 0.0, 0.3, 0.5, 1.0, 2.1, 2.5, 3.5, 7.0, kInf, -kInf, kNaN};
const V kComplexInputs{0.5, -0.25, -1.5, 2.5, 0.0, 1.0, 3.0, -4.0, -0.7, 0.0, 2.0, 0.5};

// ---------------------------------------------------------------------------

TEST_F(ElementwiseTest, EveryMemberAppliesItsFunctionInStorageOrder) {
  const int n = static_cast<int>(kRealInputs.size());
  Matrix* real = MatSetType(Real("x", 3, n / 3, kRealInputs), 1);
  Matrix* complex = MatSetType(Complex2("z", 2, 3, kComplexInputs), 1);
  for (const SameClassCase& c : kSameClass) {
    SCOPED_TRACE(c.name);
    Matrix* r = c.member(real);
    ASSERT_EQ(r->class_, MAT_REAL);
    ASSERT_EQ(r->rows, 3);
    ASSERT_EQ(r->cols, n / 3);
    V want;
    for (double x : kRealInputs) want.push_back(c.real(x));
    EXPECT_TRUE(SameValues(valuesOf(r), want));

    Matrix* z = c.member(complex);
    ASSERT_EQ(z->class_, MAT_COMPLEX);
    ASSERT_EQ(z->rows, 2);
    want.clear();
    for (size_t k = 0; k < kComplexInputs.size(); k += 2) {
      const ComplexValue a{kComplexInputs[k], kComplexInputs[k + 1]};
      ComplexValue w;
      c.complex(&w, &a);
      want.push_back(w.re);
      want.push_back(w.im);
    }
    EXPECT_TRUE(SameValues(valuesOf(z), want));
    // The operands are never written.
    EXPECT_TRUE(SameValues(valuesOf(real), kRealInputs));
    EXPECT_TRUE(SameValues(valuesOf(complex), kComplexInputs));
    MatObjectTmpUndef();
  }
  MatUndef(real);
  MatUndef(complex);
}

TEST_F(ElementwiseTest, RealDomainErrorsGiveNaNNotComplexValues) {
  Matrix* m = Real("", 1, 2, {-1.5, 2.1});
  EXPECT_EQ(valuesOf(MatCeilElem(m)), (V{-1.0, 3.0}));
  Matrix* r = MatSqrtElem(Real("", 1, 1, {-4.0}));
  EXPECT_EQ(r->class_, MAT_REAL);
  EXPECT_TRUE(std::isnan(MatReal(r)[0]));
  EXPECT_TRUE(std::isnan(MatReal(MatLogElem(Real("", 1, 1, {-1.0})))[0]));
  EXPECT_EQ(MatReal(MatLogElem(Real("", 1, 1, {0.0})))[0], -kInf);
  // Ties of round go to even; fix goes toward zero.
  EXPECT_EQ(valuesOf(MatRintElem(Real("", 1, 4, {0.5, 1.5, 2.5, -2.5}))), (V{0, 2, 2, -2}));
  EXPECT_EQ(valuesOf(MatFixToZeroElem(Real("", 1, 2, {-2.7, 2.7}))), (V{-2, 2}));
}

TEST_F(ElementwiseTest, RealResultMembers) {
  Matrix* real = Real("", 1, 5, {-3.0, 0.0, kInf, -kInf, kNaN});
  Matrix* complex = Complex2("", 1, 4, {3.0, -4.0, kNaN, 0.0, 1.0, -kInf, 0.0, -2.0});
  struct Case {
    const char* name;
    Member member;
    V real, complex;
  };
  const Case cases[] = {
      {"abs", MatAbsElem, {3.0, 0.0, kInf, kInf, kNaN}, {5.0, kNaN, kInf, 2.0}},
      {"finite", MatFiniteElem, {1, 1, 0, 0, 0}, {1, 0, 0, 1}},
      {"isnan", MatNaNElem, {0, 0, 0, 0, 1}, {0, 1, 0, 0}},
      {"isinf", MatInfElem, {0, 0, 1, 1, 0}, {0, 0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Matrix* r = c.member(real);
    EXPECT_EQ(r->class_, MAT_REAL);
    EXPECT_TRUE(SameValues(valuesOf(r), c.real));
    Matrix* z = c.member(complex);
    EXPECT_EQ(z->class_, MAT_REAL);
    EXPECT_EQ(z->cols, 4);
    EXPECT_TRUE(SameValues(valuesOf(z), c.complex));
  }
  Matrix* arg = MatArgElem(Complex2("", 1, 3, {0.0, 1.0, -1.0, 0.0, 1.0, -1.0}));
  EXPECT_EQ(arg->class_, MAT_REAL);
  EXPECT_TRUE(SameValues(valuesOf(arg), {std::atan2(1.0, 0.0), std::atan2(0.0, -1.0),
                                          std::atan2(-1.0, 1.0)}));
}

TEST_F(ElementwiseTest, SignumOfRealAndComplexElements) {
  EXPECT_TRUE(SameValues(valuesOf(MatSgnElem(Real("", 1, 5, {-2.0, 0.0, -0.0, 3.0, kNaN}))),
                         {-1.0, 0.0, 0.0, 1.0, kNaN}));
  const V z = valuesOf(MatSgnElem(Complex2("", 1, 1, {3.0, -4.0})));
  EXPECT_DOUBLE_EQ(z[0], 0.6);
  EXPECT_DOUBLE_EQ(z[1], -0.8);
}

TEST_F(ElementwiseTest, EmptyOperandsGiveEmptyResultsOfTheirShape) {
  const Member all[] = {MatAbsElem,   MatArgElem,   MatCeilElem,   MatFloorElem, MatFixToZeroElem,
                        MatRintElem,  MatSinElem,   MatCosElem,    MatTanElem,   MatAsinElem,
                        MatAcosElem,  MatAtanElem,  MatSinhElem,   MatCoshElem,  MatTanhElem,
                        MatAsinhElem, MatAcoshElem, MatAtanhElem,  MatExpElem,   MatLogElem,
                        MatLog10Elem, MatSqrtElem,  MatSgnElem,    MatFiniteElem, MatNaNElem,
                        MatInfElem};
  const Member realResult[] = {MatAbsElem, MatArgElem, MatFiniteElem, MatNaNElem, MatInfElem};
  for (const Member f : all) {
    bool real = false;
    for (const Member g : realResult) real = real || g == f;
    Matrix* a = f(MatDef("", 0, 3));   // arg of an empty real matrix is no error either
    EXPECT_EQ(a->rows, 0);
    EXPECT_EQ(a->cols, 3);
    EXPECT_EQ(a->class_, MAT_REAL);
    Matrix* b = f(C_MatDef("", 2, 0));
    EXPECT_EQ(b->rows, 2);
    EXPECT_EQ(b->cols, 0);
    EXPECT_EQ(b->class_, real ? MAT_REAL : MAT_COMPLEX);
    MatObjectTmpUndef();
  }
}

TEST_F(ElementwiseTest, ApplyTakesTheCallersFunction) {
  Matrix* r = MatApply(Real("", 2, 1, {4.0, 9.0}), [](double x) { return x * x + 1.0; });
  EXPECT_EQ(r->rows, 2);
  EXPECT_EQ(valuesOf(r), (V{17.0, 82.0}));
  Matrix* z = MatApply(Complex2("", 1, 1, {1.0, 2.0}), ComplexValueConj);
  EXPECT_EQ(z->class_, MAT_COMPLEX);
  EXPECT_EQ(valuesOf(z), (V{1.0, -2.0}));
  // A real matrix read as complex values with zero imaginary parts.
  Matrix* w = MatApply(Real("", 1, 2, {-4.0, 4.0}), ComplexValueSqrt);
  EXPECT_EQ(w->class_, MAT_COMPLEX);
  EXPECT_EQ(valuesOf(w), (V{0.0, 2.0, 2.0, 0.0}));
  EXPECT_EQ(MatApply(MatDef("", 0, 2), Sqrt)->cols, 2);
}

TEST_F(ElementwiseDeathTest, ClassesAMemberDoesNotTakeAreFatal) {
  EXPECT_EXIT(MatSinElem(OfClass("P", MAT_POLY)), kFatal,
              ReportLine("sin(P(1x1)) : Not a real nor complex matrix", "MatSinElem()"));
  EXPECT_EXIT(MatAbsElem(OfClass("", MAT_RATIONAL)), kFatal,
              ReportLine("abs((1x1)) : Not a real nor complex matrix", "MatAbsElem()"));
  EXPECT_EXIT(MatArgElem(Real("A", 2, 2, {1, 2, 3, 4})), kFatal,
              ReportLine("arg(A(2x2)) : Not a complex matrix ", "MatArgElem()"));
  EXPECT_EXIT(MatCeilElem(OfClass("P", MAT_C_POLY)), kFatal,
              ReportLine("ceil(P(1x1)) : Not a real matrix ", "MatCeilElem()"));
  EXPECT_EXIT(MatRintElem(OfClass("R", 7)), kFatal,
              ReportLine("round(R(1x1)) : Not a real matrix ", "MatRintElem()"));
  EXPECT_EXIT(MatNaNElem(OfClass("Q", MAT_C_RATIONAL)), kFatal,
              ReportLine("isnan(Q(1x1)) : Not a real nor complex matrix", "MatNaNElem()"));
  EXPECT_EXIT(MatApply(Complex2("Z", 1, 1, {1, 1}), Sqrt), kFatal,
              ReportLine("Not a real matrix for 'Z(1 x 1)'", "MatApply()"));
  EXPECT_EXIT(MatApply(OfClass("P", MAT_POLY), ComplexValueExp), kFatal,
              ReportLine("Not a real nor complex matrix for 'P(1 x 1)'", "MatApply()"));
}

}  // namespace
