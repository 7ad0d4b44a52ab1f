// Vector products, element powers, evaluation at matrices, coefficient
// functions and line entry of polynomial and rational matrices, checked
// at random points against the same operation on the values.
#include <random>
#include <string>

#include "matrix/poly_values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using PolyMatEvalTest = VornTest;
using namespace poly_values;

// rows x cols of class 2..5, integer coefficients of degree up to 2; a
// rational element has a denominator with constant term 4 or more, so that
// it has no pole near the test points.
Matrix* RandomOf(int class_, int rows, int cols, std::mt19937& rng) {
  std::uniform_int_distribution<int> digit(-3, 3);
  const bool complexValue = class_ % 2 == 1;
  auto poly = [&](double lowest) {
    V row;
    for (int k = 0; k <= 2; k++) {
      row.push_back(k == 0 ? lowest : digit(rng));
      if (complexValue) row.push_back(digit(rng));
    }
    return PolyOf(complexValue ? MAT_COMPLEX : MAT_REAL, row);
  };
  Matrix* m = class_ <= MAT_C_POLY ? P_MatZDef2(rows, cols) : R_MatZDef2(rows, cols);
  for (int i = 1; i <= rows; i++)
    for (int j = 1; j <= cols; j++) {
      if (class_ <= MAT_C_POLY)
        P_MatSetValue(m, i, j, poly(digit(rng)));
      else
        R_MatSetValue(m, i, j, RatNumeDenoDef(poly(digit(rng)), poly(4 + 3 * (digit(rng) + 3))));
    }
  return m;
}

Cx ValueAt(Polynomial* p, Cx z) { return ValuesAt(P_MatFillDef(1, 1, p), z)[0]; }
Cx ValueAt(Rational* r, Cx z) { return ValuesAt(R_MatFillDef(1, 1, r), z)[0]; }

void ExpectNear(const CxV& got, const CxV& want, const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (size_t k = 0; k < got.size(); k++)
    EXPECT_LE(std::abs(got[k] - want[k]), 1e-12 * (1 + std::abs(want[k]))) << what << " at " << k;
}

const Cx kPoints[] = {{0.5, -0.25}, {-1.25, 0.75}, {2.0, 0.0}};

TEST_F(PolyMatEvalTest, VectorProductsAgreeWithTheValues) {
  std::mt19937 rng(7);
  for (int class_ = MAT_POLY; class_ <= MAT_C_RATIONAL; class_++) {
    const std::string what = "class " + std::to_string(class_);
    const bool rational = class_ >= MAT_RATIONAL;
    Matrix* a = RandomOf(class_, 1, 3, rng);
    Matrix* b = RandomOf(rational ? MAT_POLY : class_, 3, 1, rng);  // promoted to a's family
    Matrix* lower = Counting("", 3, 1);                              // promoted from real
    Matrix* cross = rational ? R_Mat_VectorProduct(a, b) : P_Mat_VectorProduct(a, b);
    Matrix* square = rational ? R_Mat_VectorSquare(a) : P_Mat_VectorSquare(a);
    ExpectShape(cross, 1, 3, MatJointClass(a->class_, b->class_));
    EXPECT_EQ(square->class_, class_);
    for (Cx z : kPoints) {
      const CxV x = ValuesAt(a, z), y = ValuesAt(b, z), c = ValuesAt(lower, z);
      const CxV want = {x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2], x[0] * y[1] - x[1] * y[0]};
      ExpectNear(ValuesAt(cross, z), want, what + " cross");
      ExpectNear(ValuesAt(MatTrans(MatMul(square, b)), z), want, what + " square");
      const Cx dot = rational ? ValueAt(R_MatScalarProduct(a, b), z) : ValueAt(P_MatScalarProduct(a, b), z);
      const Cx dotLower =
          rational ? ValueAt(R_MatScalarProduct(lower, a), z) : ValueAt(P_MatScalarProduct(lower, a), z);
      ExpectNear({dot, dotLower}, {x[0] * y[0] + x[1] * y[1] + x[2] * y[2], c[0] * x[0] + c[1] * x[1] + c[2] * x[2]},
                 what + " dot");
    }
  }
  // Empty vectors give the zero constant of the joint class.
  Polynomial* zero = P_MatScalarProduct(P_MatDef("", 0, 0), C_MatDef("", 1, 0));
  EXPECT_TRUE(PolyIsZero(zero));
  EXPECT_EQ(zero->class_, 1);
}

TEST_F(PolyMatEvalTest, PowersEvaluationsAndCoefficientFunctionsAgreeWithTheValues) {
  std::mt19937 rng(11);
  for (int class_ = MAT_POLY; class_ <= MAT_C_RATIONAL; class_++) {
    const std::string what = "class " + std::to_string(class_);
    const bool rational = class_ >= MAT_RATIONAL;
    Matrix* m = RandomOf(class_, 2, 2, rng);
    Matrix* powers = Real("", 2, 2, {0, 1, rational ? -2.0 : 2.0, 3});
    Matrix* powered = rational ? R_Mat_PowElemEach(m, powers) : P_Mat_PowElemEach(m, powers);
    Matrix* points = Complex2("", 2, 2, {0.5, -0.25, -1.25, 0.75, 2, 0, 0.25, 1});
    Matrix* atPoints = rational ? R_Mat_EvalMElem(m, points) : P_Mat_EvalMElem(m, points);
    Matrix* realPoints = Real("", 2, 2, {0.5, -1.25, 2, 0.25});
    Matrix* atRealPoints = rational ? R_Mat_EvalMElem(m, realPoints) : P_Mat_EvalMElem(m, realPoints);
    EXPECT_EQ(atRealPoints->class_, class_ % 2 == 1 ? MAT_COMPLEX : MAT_REAL) << what;
    // At diag(x, y) every block is diag(m(i, j)(x), m(i, j)(y)).
    Matrix* point = Real("", 2, 2, {0.5, 0, 0, 2});
    Matrix* blocks = rational ? R_Mat_EvalM(m, point) : P_Mat_EvalM(m, point);
    ExpectShape(blocks, 4, 4, class_ % 2 == 1 ? MAT_COMPLEX : MAT_REAL);
    const CxV at0 = ValuesAt(m, 0.5), at1 = ValuesAt(m, 2.0), b = ValuesAt(blocks, 0.0);
    for (int k = 0; k < 4; k++) {
      const int i = k / 2, j = k % 2;
      ExpectNear({b[(2 * i) * 4 + 2 * j], b[(2 * i + 1) * 4 + 2 * j + 1], b[(2 * i) * 4 + 2 * j + 1]},
                 {at0[k], at1[k], 0.0}, what + " block");
      ExpectNear({ValuesAt(atPoints, 0)[k], ValuesAt(atRealPoints, 0)[k]},
                 {ValuesAt(m, Cx(MatReal(points)[2 * k], MatReal(points)[2 * k + 1]))[k],
                  ValuesAt(m, MatReal(realPoints)[k])[k]},
                 what + " points");
    }
    // Doubling every coefficient doubles a polynomial and leaves a rational.
    Matrix* doubled = class_ % 2 == 1 ? (rational ? R_Mat_Apply(m, [](ComplexValue* c, const ComplexValue* a) {
                                          return ComplexValueSetValue(c, 2 * a->re, 2 * a->im);
                                        })
                                                  : P_Mat_Apply(m, [](ComplexValue* c, const ComplexValue* a) {
                                                      return ComplexValueSetValue(c, 2 * a->re, 2 * a->im);
                                                    }))
                                      : (rational ? R_Mat_Apply(m, [](double x) { return 2 * x; })
                                                  : P_Mat_Apply(m, [](double x) { return 2 * x; }));
    for (Cx z : kPoints) {
      const CxV v = ValuesAt(m, z);
      const CxV pv = ValuesAt(powered, z);
      const CxV dv = ValuesAt(doubled, z);
      for (int k = 0; k < 4; k++) {
        const double e = MatReal(powers)[k];
        ExpectNear({pv[k], dv[k]}, {std::pow(v[k], e), rational ? v[k] : 2.0 * v[k]}, what + " power, apply");
      }
      if (rational) ExpectNear(ValuesAt(R_Mat_ApplyPolyFunc(m, PolyNegate), z), v, what + " poly func");
    }
  }
}

TEST_F(PolyMatEvalTest, MisuseIsFatal) {
  auto p2 = [] { return MatSetName(MatRealToPoly(Counting("", 1, 2)), "A"); };
  auto p3 = [] { return MatSetName(MatRealToPoly(Counting("", 3, 1)), "B"); };
  auto r3 = [] { return MatSetName(MatRealToRat(Counting("", 1, 3)), "R"); };
  ExpectFatal({
      {[&] { P_MatScalarProduct(p2(), p3()); }, "Inconsistent size for 'A(1 x 2)' and 'B(3 x 1)'",
       "P_MatScalarProduct()"},
      {[&] { P_MatScalarProduct(p3(), r3()); }, "Not a polynomial matrix for 'B(3 x 1)' and 'R(1 x 3)'",
       "P_MatScalarProduct()"},
      {[&] { R_Mat_VectorProduct(r3(), p2()); }, "Not a 3-dimensional vector for 'R(1 x 3)' and 'A(1 x 2)'",
       "R_Mat_VectorProduct()"},
      {[&] { P_Mat_VectorSquare(p2()); }, "Not a 3-dimensional vector for 'A(1 x 2)'", "P_Mat_VectorSquare()"},
      {[&] { P_Mat_PowElemEach(p2(), Real("E", 1, 2, {1, 0.5})); },
       "Index must be integer for 'A(1 x 2)' and 'E(1 x 2)'", "P_Mat_PowElemEach()"},
      {[&] { R_Mat_PowElemEach(r3(), Real("E", 1, 2, {1, 2})); }, "Not same size for 'R(1 x 3)' and 'E(1 x 2)'",
       "R_Mat_PowElemEach()"},
      {[&] { P_Mat_PowElemEach(p2(), Real("E", 1, 2, {1, -1})); }, "Index must be semipositive", ""},
      {[&] { P_Mat_EvalM(p2(), Real("X", 1, 2, {1, 2})); }, "Not a square matrix for 'X(1 x 2)'", "P_Mat_EvalM()"},
      {[&] { R_Mat_EvalMElem(r3(), p3()); }, "Not a real nor complex matrix for 'B(3 x 1)'", "R_Mat_EvalMElem()"},
      {[&] { P_Mat_Apply(MatRealToComp(p2()), [](double x) { return x; }); }, "Not a real matrix for '(1 x 2)'",
       "P_Mat_Apply()"},
      {[&] { R_Mat_ApplyPolyFunc(R_MatDef("U", 1, 1), PolyNegate); }, "Undefined rational", ""},
  });
}

TEST_F(PolyMatEvalTest, LineEntryAndDisplay) {
  // Element (1, 1) becomes 2 s + 1 after an unreadable line, (1, 2) keeps
  // its value, and a complex entry makes the matrix class 3.
  const RunResult edit = RunInChild(
      [] {
        Matrix* m = MatSetName(MatRealToPoly(Counting("", 1, 3)), "A");
        P_MatEdit(m);
        const CxV v = ValuesAt(m, 2.0);
        return m->class_ == MAT_C_POLY && v == CxV{5.0, 2.0, Cx(1, 2)} ? 0 : 1;
      },
      "1 x\n1, 2\n\n(1,0) (0,1)\n");
  EXPECT_EQ(edit.status, 0);
  EXPECT_EQ(edit.out,
            "A(1,1) = 1\nA(1,1) = Invalid coefficients: 1 x\nA(1,1) = A(1,2) = 2\nA(1,2) = A(1,3) = 3\nA(1,3) = ");
  // Input of a 1 x 1 rational: the end of input keeps the rest.
  const RunResult input = RunInChild(
      [] {
        Matrix* g = R_MatInput("G");
        mat_poly_print(g);
        return g->rows == 1 && g->cols == 1 && ValuesAt(g, 2.0)[0] == Cx(0.25) ? 0 : 1;
      },
      "1\n-1\n1\n1\n2 1\n");
  EXPECT_EQ(input.status, 0);
  EXPECT_EQ(input.out,
            "G : rows = G : cols = G : cols = G(1,1) = (0)/(1)\nG(1,1) nume = G(1,1) deno = " +
                std::string(12, ' ') + "1\nG(1,1) = -------\n" + std::string(10, ' ') + "s + 2\n");
  // Entering only the numerator of an undefined element gives it over 1.
  EXPECT_EQ(RunInChild([] { return ValuesAt(R_MatEdit(R_MatDef("U", 1, 1)), 2.0)[0] == Cx(3.0) ? 0 : 1; }, "3\n\n")
                .status,
            0);
  EXPECT_EQ(StdoutOf([] { mat_poly_print(MatSetName(P_MatRowVec(2, PolyOf(0, {1, 1}), PolyOf(0, {2})), "A")); }),
            "A(1,1) = s + 1\nA(1,2) = 2\n");
}

}  // namespace
