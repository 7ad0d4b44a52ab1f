// Element-wise functions against the C library and the ComplexValue family:
// result classes, empty operands, domain edges, refused classes.
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

// Each member against a known value of its real function, and against the
// complex function its contract names.
const struct {
  Member member;
  double x, fx;  // a real element and its image
  ComplexFn complex;
} kMembers[] = {{MatCeilElem, -2.5, -2, eachPart<ceilOf>},
                {MatFloorElem, -2.5, -3, eachPart<floorOf>},
                {MatFixToZeroElem, -2.5, -2, eachPart<fix_to_zero>},
                {MatRintElem, -2.5, -2, eachPart<rintOf>},
                {MatSinElem, 0.5, 0.479425538604203, ComplexValueSin},
                {MatCosElem, 0.5, 0.8775825618903728, ComplexValueCos},
                {MatTanElem, 0.5, 0.5463024898437905, ComplexValueTan},
                {MatAsinElem, 0.5, 0.5235987755982989, ComplexValueAsin},
                {MatAcosElem, 0.5, 1.0471975511965979, ComplexValueAcos},
                {MatAtanElem, 0.5, 0.4636476090008061, ComplexValueAtan},
                {MatSinhElem, 0.5, 0.5210953054937474, ComplexValueSinh},
                {MatCoshElem, 0.5, 1.1276259652063807, ComplexValueCosh},
                {MatTanhElem, 0.5, 0.46211715726000974, ComplexValueTanh},
                {MatAsinhElem, 0.5, 0.48121182505960347, ComplexValueAsinh},
                {MatAcoshElem, 2, 1.3169578969248166, ComplexValueAcosh},
                {MatAtanhElem, 0.5, 0.5493061443340548, ComplexValueAtanh},
                {MatExpElem, 0.5, 1.6487212707001282, ComplexValueExp},
                {MatLogElem, 0.5, -0.6931471805599453, ComplexValueLog},
                {MatLog10Elem, 0.5, -0.3010299956639812, ComplexValueLog10},
                {MatSqrtElem, 0.5, 0.7071067811865476, ComplexValueSqrt}};

TEST_F(ElementwiseTest, EachMemberComputesItsFunction) {
  const V complex{0.5, -0.25, -1.5, 2.5, 3.5, -0.5};
  Matrix* z = MatSetType(Complex2("z", 1, 3, complex), 1);
  for (const auto& c : kMembers) {
    Matrix* x = Real("x", 1, 3, {c.x, c.x, c.x});
    Matrix* r = c.member(x);
    ExpectShape(r, 1, 3, MAT_REAL);
    for (double v : valuesOf(r)) EXPECT_NEAR(v, c.fx, 2e-16 * std::fabs(c.fx)) << c.x;
    EXPECT_EQ(valuesOf(x), V(3, c.x));  // operands are left alone
    V want;
    for (size_t k = 0; k < complex.size(); k += 2) {
      ComplexValue a{complex[k], complex[k + 1]}, b;
      c.complex(&b, &a);
      want.insert(want.end(), {b.re, b.im});
    }
    ExpectMatrix(c.member(z), 1, 3, MAT_COMPLEX, want);
    MatObjectTmpUndef();
  }
  EXPECT_TRUE(SameBits(valuesOf(z), complex));
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
    ExpectMatrix(c.member(z), 1, 4, MAT_REAL, c.complex);
  }
  EXPECT_EQ(valuesOf(MatArgElem(Complex2("", 1, 1, {-1, 1})))[0], std::atan2(1.0, -1.0));
  EXPECT_TRUE(SameBits(valuesOf(MatSgnElem(Real("", 1, 4, {-2, 0, 3, kNaN}))), {-1, 0, 1, kNaN}));
  EXPECT_EQ(valuesOf(MatSgnElem(Complex2("", 1, 1, {3, -4}))), (V{0.6, -0.8}));
  EXPECT_EQ(valuesOf(MatCeilElem(Real("", 1, 2, {-1.5, 2.1}))), (V{-1, 3}));
  EXPECT_TRUE(std::isnan(MatReal(MatSqrtElem(Real("", 1, 1, {-4})))[0]));  // not complex
}

TEST_F(ElementwiseTest, EmptyOperandsGiveEmptyResults) {
  for (const Member f : {MatAbsElem, MatArgElem, MatFiniteElem, MatNaNElem, MatInfElem}) {
    ExpectShape(f(MatDef("", 0, 3)), 0, 3, MAT_REAL);  // arg of a real matrix: no error
    ExpectShape(f(C_MatDef("", 2, 0)), 2, 0, MAT_REAL);
  }
  for (const auto& c : kMembers) ExpectShape(c.member(C_MatDef("", 0, 3)), 0, 3, MAT_COMPLEX);
}

TEST_F(ElementwiseTest, ApplyTakesTheCallersFunction) {
  EXPECT_EQ(valuesOf(MatApply(Real("", 2, 1, {4, 9}), [](double x) { return x * x + 1; })), (V{17, 82}));
  EXPECT_EQ(valuesOf(MatApply(Complex2("", 1, 1, {1, 2}), ComplexValueConj)), (V{1, -2}));
  // A real matrix given a complex function is read as (x, 0).
  ExpectMatrix(MatApply(Real("", 1, 2, {-4, 4}), ComplexValueSqrt), 1, 2, MAT_COMPLEX, {0, 2, 2, 0});
}

TEST_F(ElementwiseDeathTest, ClassesAMemberDoesNotTakeAreFatal) {
  ExpectFatal({
      {[] { MatSinElem(OfClass("P", MAT_POLY)); }, "sin(P(1x1)) : Not a real nor complex matrix", "MatSinElem()"},
      {[] { MatArgElem(Real("A", 2, 2, {1, 2, 3, 4})); }, "arg(A(2x2)) : Not a complex matrix ", "MatArgElem()"},
      {[] { MatCeilElem(OfClass("P", 6)); }, "ceil(P(1x1)) : Not a real matrix ", "MatCeilElem()"},
      {[] { MatApply(Complex2("Z", 1, 1, {1, 1}), [](double x) { return x; }); },
       "Not a real matrix for 'Z(1 x 1)'", "MatApply()"},
  });
}

}  // namespace
