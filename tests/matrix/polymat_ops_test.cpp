// Element matrices with scalars of every kind, their constructors, their
// sub-matrices, and calculus and composition checked at points.
#include <functional>
#include <random>

#include "matrix/poly_values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using PolyMatOpsTest = VornTest;
using poly_values::Cx;

// A 2 x 2 matrix of class class_ with the values 1, 2, 3, 4 (complex ones
// with imaginary part 1).
Matrix* OfEveryClass(int class_) {
  Matrix* real = Real("", 2, 2, {1, 2, 3, 4});
  Matrix* m = class_ % 2 == 1 ? MatAdd_Complex(real, CompDef("", 0.0, 1.0)) : real;
  if (class_ >= MAT_RATIONAL) return m->class_ == MAT_REAL ? MatRealToRat(m) : MatCompToRat(m);
  if (class_ >= MAT_POLY) return m->class_ == MAT_REAL ? MatRealToPoly(m) : MatCompToPoly(m);
  return m;
}

Cx ValueAt(Matrix* m, int k, Cx z) { return poly_values::ValuesAt(m, z)[static_cast<size_t>(k)]; }

struct ScalarCase {
  const char* what;
  std::function<Matrix*(Matrix*)> apply;
  int scalarClass;  // the class the scalar counts as
  std::function<Cx(Cx m)> value;  // the element's value at the point
};
void PrintTo(const ScalarCase& c, std::ostream* os) { *os << c.what; }

// s + 1 over 1, 1/(s + 1) and (0, 1) s: scalars of each kind, at s = z.
Polynomial* P() { return PolyOf(0, {1, 1}); }
Polynomial* CP() { return PolyOf(1, {0, 0, 0, 1}); }
Rational* R() { return RatDenoDef(PolyOf(0, {1, 1})); }

const Cx kPoint(0.5, -0.25);
const Cx kP = kPoint + 1.0;
const Cx kCP = Cx(0, 1) * kPoint;
const Cx kR = 1.0 / (kPoint + 1.0);

const ScalarCase kScalarCases[] = {
    {"+ p", [](Matrix* m) { return MatAdd_Polynomial(m, P()); }, MAT_POLY, [](Cx m) { return m + kP; }},
    {"p -", [](Matrix* m) { return MatSub_Polynomial(m, P(), 1); }, MAT_POLY, [](Cx m) { return kP - m; }},
    {"- complex p", [](Matrix* m) { return MatSub_Polynomial(m, CP(), 0); }, MAT_C_POLY, [](Cx m) { return m - kCP; }},
    {"* p", [](Matrix* m) { return MatScaleP(m, P()); }, MAT_POLY, [](Cx m) { return m * kP; }},
    {"+ r", [](Matrix* m) { return MatAdd_Rational(m, R()); }, MAT_RATIONAL, [](Cx m) { return m + kR; }},
    {"r -", [](Matrix* m) { return MatSub_Rational(m, R(), 1); }, MAT_RATIONAL, [](Cx m) { return kR - m; }},
    {"* r", [](Matrix* m) { return MatScaleR(m, R()); }, MAT_RATIONAL, [](Cx m) { return m * kR; }},
    {"- i", [](Matrix* m) { return MatSub_Complex(m, CompDef("", 0, 1), 0); }, MAT_COMPLEX,
     [](Cx m) { return m - Cx(0, 1); }},
    {"* i", [](Matrix* m) { return MatScaleC(m, CompDef("", 0, 1)); }, MAT_COMPLEX, [](Cx m) { return m * Cx(0, 1); }},
    {"2 -", [](Matrix* m) { return MatSub_double(m, 2.0, 1); }, MAT_REAL, [](Cx m) { return 2.0 - m; }},
    {"* 3", [](Matrix* m) { return MatScale(m, 3.0); }, MAT_REAL, [](Cx m) { return 3.0 * m; }},
};

class ScalarsOfEveryKind : public VornTest, public ::testing::WithParamInterface<ScalarCase> {};

TEST_P(ScalarsOfEveryKind, PromoteAndAgreeAtAPoint) {
  const ScalarCase& c = GetParam();
  for (int class_ = MAT_REAL; class_ <= MAT_C_RATIONAL; class_++) {
    Matrix* m = OfEveryClass(class_);
    ASSERT_EQ(m->class_, class_);
    Matrix* r = c.apply(m);
    EXPECT_EQ(r->class_, MatJointClass(class_, c.scalarClass)) << class_;
    for (int k = 0; k < 4; k++) {
      const Cx want = c.value(ValueAt(m, k, kPoint));
      EXPECT_LE(std::abs(ValueAt(r, k, kPoint) - want), 1e-14 * (1 + std::abs(want))) << class_ << "/" << k;
    }
    MatObjectTmpUndef();
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ScalarsOfEveryKind, ::testing::ValuesIn(kScalarCases));

TEST_F(PolyMatOpsTest, ConstructorsFromPolynomials) {
  Polynomial* s = PolyOf(0, {0, 1});
  Polynomial* c = PolyOf(1, {1, 1});
  Matrix* v = P_MatVander(2, s, PolyOf(0, {2}));  // [1, s; 1, 2]
  EXPECT_EQ(valuesOf(P_MatGetPtr(v, 1, 2)->coef), (V{0, 1}));
  EXPECT_EQ(valuesOf(P_MatGetPtr(v, 2, 1)->coef), (V{1}));
  Matrix* d = P_MatDiagDef(2, s, c);
  EXPECT_EQ(d->class_, MAT_C_POLY);
  EXPECT_EQ(valuesOf(P_MatGetPtr(d, 1, 2)->coef), (V{0, 0}));
  Matrix* filled = P_MatFillDef(2, 3, s);
  EXPECT_NE(P_MatGetPtr(filled, 1, 1), P_MatGetPtr(filled, 2, 3));  // copies each
  EXPECT_EQ(P_MatGetPtr(P_MatDef("", 1, 1), 1, 1)->degree, -1);
  Matrix* eye = R_MatIDef2(2, 3);
  EXPECT_EQ(valuesOf(R_MatGetPtr(eye, 2, 2)->nume->coef), (V{1}));
  EXPECT_EQ(valuesOf(R_MatGetPtr(eye, 2, 3)->nume->coef), (V{0}));
  EXPECT_EQ(valuesOf(R_MatGetPtr(eye, 2, 3)->deno->coef), (V{1}));
  P_MatSetVar(filled, "x");
  EXPECT_STREQ(P_MatGetPtr(filled, 2, 2)->variable, "x");
  P_MatSetVecValue(filled, 6, c);  // the last element; the matrix widens
  EXPECT_EQ(filled->class_, MAT_C_POLY);
}

TEST_F(PolyMatOpsTest, SubMatricesConvertWhatTheyReceive) {
  Matrix* p = P_MatIDef(2);
  // A real block grows the matrix with constants.
  MatPut(p, 2, 3, Real("", 1, 1, {5}));
  ExpectShape(p, 2, 3, MAT_POLY);
  EXPECT_EQ(valuesOf(P_MatGetPtr(p, 2, 3)->coef), (V{5}));
  EXPECT_EQ(valuesOf(P_MatGetPtr(p, 1, 3)->coef), (V{0}));
  // A complex block widens it.
  MatPut(p, 1, 1, Complex2("", 1, 1, {0, 2}));
  EXPECT_EQ(p->class_, MAT_C_POLY);
  EXPECT_EQ(valuesOf(P_MatGetPtr(p, 1, 1)->coef), (V{0, 2}));
  // A rational block makes a rational matrix; polynomials become p/1.
  Matrix* q = P_MatIDef(2);
  MatPut(q, 1, 2, MatInvElem(P_MatOneDef(1, 1)));
  ASSERT_EQ(q->class_, MAT_RATIONAL);
  EXPECT_EQ(valuesOf(R_MatGetPtr(q, 1, 1)->deno->coef), (V{1}));
  Matrix* rows = MatGetSubMatrix(p, Real("", 1, 1, {2}), Real("", 1, 2, {3, 1}));
  ExpectShape(rows, 1, 2, MAT_C_POLY);
  EXPECT_EQ(valuesOf(P_MatGetPtr(rows, 1, 1)->coef), (V{5, 0}));
  Matrix* stacked = MatCatColumn(P_MatIDef(2), Real("", 1, 2, {7, 8}));
  ExpectShape(stacked, 3, 2, MAT_POLY);
  EXPECT_EQ(valuesOf(P_MatGetPtr(stacked, 3, 2)->coef), (V{8}));
  // Deleting a column releases its elements with it.
  MatSetSubMatrix(stacked, MatSeries(1, 3, 1), Real("", 1, 1, {1}), MatDef("", 0, 0));
  ExpectShape(stacked, 3, 1, MAT_POLY);
}

TEST_F(PolyMatOpsTest, CalculusAndCompositionAtPoints) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> value(-1, 1);
  auto random = [&](int degree) {
    V row;
    for (int k = 0; k <= degree; k++) row.push_back(value(rng));
    return PolyOf(0, row);
  };
  Matrix* m = P_MatRowVec(3, random(3), random(4), random(2));
  Polynomial* q = random(2);
  const double x = 0.3;
  const double h = 1e-5;
  Matrix* derivative = MatDup(P_Mat_Derivative(m, 1));
  Matrix* integral = P_Mat_Integral(m, 1);
  Matrix* composed = P_Mat_EvalP(m, q);
  Matrix* atX = P_Mat_Eval(m, x);
  for (int k = 1; k <= 3; k++) {
    Polynomial* e = P_MatGetVecPtr(m, k);
    const double slope = (PolyEval(e, x + h) - PolyEval(e, x - h)) / (2 * h);
    EXPECT_NEAR(PolyEval(P_MatGetVecPtr(derivative, k), x), slope, 1e-8);
    const double area = PolyEval(P_MatGetVecPtr(integral, k), x) - PolyEval(P_MatGetVecPtr(integral, k), 0.0);
    double simpson = 0;
    for (int i = 0; i < 100; i++) {
      const double a = x * i / 100, b = x * (i + 1) / 100;
      simpson += (b - a) / 6 * (PolyEval(e, a) + 4 * PolyEval(e, (a + b) / 2) + PolyEval(e, b));
    }
    EXPECT_NEAR(area, simpson, 1e-12);
    EXPECT_NEAR(PolyEval(P_MatGetVecPtr(composed, k), x), PolyEval(e, PolyEval(q, x)), 1e-14);
    EXPECT_EQ(MatGetVecValue(atX, k), PolyEval(e, x));
  }
  // A square power agrees with repeated products.
  Matrix* square = P_MatVander(2, random(1), random(1));
  Matrix* cube = P_Mat_Pow(square, 3);
  Matrix* product = MatMul(MatMul(square, square), square);
  for (int k = 1; k <= 4; k++)
    EXPECT_NEAR(PolyEval(P_MatGetVecPtr(cube, k), x), PolyEval(P_MatGetVecPtr(product, k), x), 1e-14);
  ExpectMatrix(P_Mat_Eval(P_Mat_Pow(square, 0), x), 2, 2, MAT_REAL, {1, 0, 0, 1});
}

TEST_F(PolyMatOpsTest, RationalMatrixReductions) {
  // [1/s, 1/(s+1); 1, s]: the determinant s/s - 1/(s+1), unreduced.
  Matrix* m = R_MatDef("", 2, 2);
  R_MatSetValue(m, 1, 1, RatDenoDef(PolyOf(0, {0, 1})));
  R_MatSetValue(m, 1, 2, RatDenoDef(PolyOf(0, {1, 1})));
  R_MatSetValue(m, 2, 1, RatConst(1.0));
  R_MatSetValue(m, 2, 2, RatNumeDef(PolyOf(0, {0, 1})));
  Rational* det = R_MatDeterm(m);
  for (double x : {0.5, 2.0, -3.0}) EXPECT_NEAR(RatEval(det, x), 1.0 - 1.0 / (x + 1.0), 1e-15);
  EXPECT_NEAR(RatEval(R_MatTrace(m), 2.0), 2.5, 1e-15);
  Matrix* numerators = R_Mat_NumeElem(m);
  ExpectShape(numerators, 2, 2, MAT_POLY);
  EXPECT_EQ(valuesOf(P_MatGetPtr(numerators, 2, 2)->coef), (V{0, 1}));
  Matrix* d = R_Mat_Derivative(m, 1);
  EXPECT_NEAR(RatEval(R_MatGetPtr(d, 1, 2), 1.0), -0.25, 1e-15);
}

}  // namespace
