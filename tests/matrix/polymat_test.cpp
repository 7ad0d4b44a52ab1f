// Polynomial and rational matrices: promotion, the operations against the
// same operations on the evaluated matrices, the scope and recycling rules
// of their element objects, and printing.
#include <cmath>
#include <random>
#include <vector>

#include "matrix/poly_values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using poly_values::Cx;
using PolyMatTest = VornTest;
using PolyMatDeathTest = VornTest;

// rows x cols of random polynomials of degree up to 3, complex when asked.
Matrix* RandomPolyMatrix(std::mt19937& rng, int rows, int cols, bool complex) {
  std::uniform_int_distribution<int> degree(0, 3);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  Matrix* m = P_MatDef("", rows, cols);
  for (int i = 1; i <= rows; i++)
    for (int j = 1; j <= cols; j++) {
      V row;
      const int n = degree(rng) + 1;
      for (int k = 0; k < n * (complex ? 2 : 1); k++) row.push_back(value(rng));
      P_MatSetValue(m, i, j, PolyOf(complex ? 1 : 0, row));
    }
  return m;
}

// m evaluated at z, as a complex matrix.
Matrix* Eval(Matrix* m, Cx z) {
  Complex* w = CompDef("", z.real(), z.imag());
  Matrix* v = m->class_ <= MAT_C_POLY ? P_Mat_EvalC(m, w) : R_Mat_EvalC(m, w);
  return v->class_ == MAT_COMPLEX ? v : MatRealToComp(v);
}
std::vector<Cx> At(Matrix* m, Cx z) { return poly_values::ValuesAt(m, z); }

// Equal within 64 eps of the largest magnitude involved (scale).
::testing::AssertionResult Near(const std::vector<Cx>& got, const std::vector<Cx>& want, double scale) {
  if (got.size() != want.size()) return ::testing::AssertionFailure() << "sizes differ";
  for (size_t k = 0; k < got.size(); k++)
    if (std::abs(got[k] - want[k]) > 64 * vorn_eps * scale)
      return ::testing::AssertionFailure() << "at " << k << ": " << got[k] << " vs " << want[k];
  return ::testing::AssertionSuccess();
}

double Scale(const std::vector<Cx>& v) {
  double s = 1.0;
  for (const Cx& x : v) s = std::max(s, std::abs(x));
  return s;
}

TEST_F(PolyMatTest, OperationsCommuteWithEvaluation) {
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> coordinate(-1.5, 1.5);
  for (int round = 0; round < 40; round++) {
    const int n = 1 + round % 5;
    const bool complex = round % 2 == 1;
    Matrix* a = RandomPolyMatrix(rng, n, n, complex);
    Matrix* b = RandomPolyMatrix(rng, n, n, false);
    const Cx z = round % 3 == 0 ? Cx(coordinate(rng), 0.0) : Cx(coordinate(rng), coordinate(rng));
    const std::vector<Cx> va = At(a, z), vb = At(b, z);
    const double scale = std::max(Scale(va), Scale(vb));
    // Sums and products, their classes promoted to the joint class.
    Matrix* sum = MatAdd(a, b);
    EXPECT_EQ(sum->class_, complex ? MAT_C_POLY : MAT_POLY);
    std::vector<Cx> want(va.size());
    for (size_t k = 0; k < va.size(); k++) want[k] = va[k] + vb[k];
    EXPECT_TRUE(Near(At(sum, z), want, scale));
    const std::vector<Cx> product = At(MatMul(Eval(a, z), Eval(b, z)), 0);
    EXPECT_TRUE(Near(At(MatMul(a, b), z), product, n * scale * scale)) << round;
    const std::vector<Cx> vt = At(MatTrans(a), z);
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++) EXPECT_EQ(vt[j * n + i], va[i * n + j]);
    // The determinant by its products, against elimination on the values.
    Matrix* one = P_MatDef("", 1, 1);
    P_MatSetValue(one, 1, 1, P_MatDeterm(a));
    const double growth = std::pow(n * Scale(va), n);
    EXPECT_TRUE(Near(At(one, z), {C_MatDeterm(Eval(a, z))}, 4 * growth)) << round;
    // Element-wise quotients are rational.
    Matrix* q = MatDivElem(a, b);
    EXPECT_EQ(q->class_, complex ? MAT_C_RATIONAL : MAT_RATIONAL);
    const std::vector<Cx> vq = At(q, z);
    for (size_t k = 0; k < vq.size(); k++)
      EXPECT_LE(std::abs(vq[k] * vb[k] - va[k]), 64 * vorn_eps * scale * std::max(1.0, std::abs(vq[k])));
    MatObjectTmpUndef();
  }
}

TEST_F(PolyMatTest, PromotionAndConversions) {
  Matrix* real = Real("", 1, 2, {1, 2});
  Matrix* poly = P_MatDef("", 1, 2);
  P_MatSetValue(poly, 1, 1, PolyOf(0, {0, 1}));
  P_MatSetValue(poly, 1, 2, PolyOf(0, {1, 1}));
  Matrix* sum = MatAdd(real, poly);  // [s + 1, s + 3]
  ASSERT_EQ(sum->class_, MAT_POLY);
  EXPECT_EQ(valuesOf(P_MatGetPtr(sum, 1, 2)->coef), (V{3, 1}));
  Matrix* complexPoly = MatAdd(Complex2("", 1, 2, {0, 1, 0, 0}), poly);
  EXPECT_EQ(complexPoly->class_, MAT_C_POLY);
  EXPECT_EQ(valuesOf(P_MatGetPtr(complexPoly, 1, 1)->coef), (V{0, 1, 1, 0}));
  Matrix* inverse = MatInvElem(poly);
  ASSERT_EQ(inverse->class_, MAT_RATIONAL);
  EXPECT_EQ(valuesOf(R_MatGetPtr(inverse, 1, 2)->deno->coef), (V{1, 1}));
  Matrix* rational = MatAdd(inverse, real);  // 1/s + 1
  EXPECT_EQ(rational->class_, MAT_RATIONAL);
  EXPECT_EQ(valuesOf(R_MatGetPtr(rational, 1, 1)->nume->coef), (V{1, 1}));
  // Element access and growth.
  MatSetValue(poly, 2, 3, 7.0);
  ExpectShape(poly, 2, 3, MAT_POLY);
  EXPECT_EQ(valuesOf(P_MatGetPtr(poly, 2, 3)->coef), (V{7}));
  EXPECT_EQ(valuesOf(P_MatGetPtr(poly, 2, 1)->coef), (V{0}));
  P_MatSetValue(poly, 1, 1, PolyOf(1, {0, 1}));  // a complex element widens the matrix
  EXPECT_EQ(poly->class_, MAT_C_POLY);
  EXPECT_EQ(P_MatGetPtr(poly, 2, 3)->class_, 1);
  // Sub-matrices keep element objects of their own.
  Matrix* cut = MatCut(poly, 1, 1, 1, 2);
  EXPECT_NE(P_MatGetPtr(cut, 1, 2), P_MatGetPtr(poly, 1, 2));
  EXPECT_EQ(P_MatGetPtr(cut, 1, 2)->type, 3);
  Matrix* det = Real("", 2, 2, {1, 2, 3, 4});
  EXPECT_EQ(valuesOf(P_MatDeterm(MatRealToPoly(det))->coef), (V{-2}));
}

// [s, 1; 2, s^2] and its reciprocals: the reductions, comparisons and
// rounding that take element objects.
TEST_F(PolyMatTest, ReductionsComparisonsAndRounding) {
  Matrix* m = P_MatDef("", 2, 2);
  P_MatSetValue(m, 1, 1, PolyOf(0, {0, 1}));
  P_MatSetValue(m, 1, 2, PolyOf(0, {1}));
  P_MatSetValue(m, 2, 1, PolyOf(0, {2}));
  P_MatSetValue(m, 2, 2, PolyOf(0, {0, 0, 1}));
  auto coefAt = [](Matrix* x, int k) { return valuesOf(P_MatGetVecPtr(x, k)->coef); };
  Matrix* columns = MatSum(m, 1);
  ExpectShape(columns, 1, 2, MAT_POLY);
  EXPECT_EQ(coefAt(columns, 1), (V{2, 1}));
  EXPECT_EQ(coefAt(columns, 2), (V{1, 0, 1}));
  EXPECT_EQ(coefAt(MatProd(m, 0), 2), (V{0, 0, 2}));
  EXPECT_EQ(coefAt(MatMean(m, 0), 1), (V{0.5, 0.5}));
  Matrix* running = MatCumSumElem(m);
  EXPECT_EQ(coefAt(running, 4), (V{3, 1, 1}));
  EXPECT_EQ(valuesOf(P_MatTrace(m)->coef), (V{0, 1, 1}));
  EXPECT_EQ(valuesOf(MatCompareElem(m, MatTrans(m), "==")), (V{1, 0, 0, 1}));
  EXPECT_EQ(valuesOf(MatCompareElem(m, Real("", 2, 2, {0, 1, 2, 0}), "!=")), (V{1, 0, 0, 1}));
  EXPECT_FALSE(MatIsZero(m));
  EXPECT_TRUE(MatIsZero(MatSub(m, m)));
  Matrix* scaled = MatScale(m, 0.75);
  EXPECT_EQ(coefAt(MatRintElem(scaled), 2), (V{1}));
  EXPECT_EQ(coefAt(MatFloorElem(scaled), 4), (V{0}));  // 0.75 s^2 floors to the zero constant
  Matrix* inverse = MatInvElem(m);
  EXPECT_EQ(valuesOf(R_MatGetVecPtr(MatSum(inverse, 1), 1)->nume->coef), (V{2, 1}));
  EXPECT_EQ(valuesOf(MatCompareElem(inverse, MatInvElem(m), "==")), (V{1, 1, 1, 1}));
  EXPECT_EQ(MatColumnVector(m, 2)->class_, MAT_POLY);
}

TEST_F(PolyMatTest, PrintsOneElementPerLine) {
  Matrix* m = MatSetName(P_MatDef("", 1, 2), "P");
  P_MatSetValue(m, 1, 1, PolyOf(0, {-1, 0, 1}));
  P_MatSetValue(m, 1, 2, PolyOf(0, {2}));
  EXPECT_EQ(StdoutOf([&] { MatPrint(m); }),
            " ===  P  (   1  x   2)  PoMatrix  ===\n (  1,  1)  s^2 - 1\n (  1,  2)  2\n");
  Matrix* r = MatInvElem(m);
  EXPECT_EQ(StdoutOf([&] { MatPrint(r); }),
            " ===  ans  (   1  x   2)  RaMatrix  ===\n (  1,  1)  (1)/(s^2 - 1)\n (  1,  2)  (1)/(2)\n");
}

// A statement-by-statement run inside a scope of every kind: after it every
// kind's live count is where it was (parked records hold their empty
// elements off the live lists).
void ScopeRun() {
  MatObjectControl(1);
  Matrix* a = MatSetType(P_MatDef("", 0, 0), 1);
  Matrix* b = MatSetType(R_MatDef("", 0, 0), 1);
  std::mt19937 rng(3);
  for (int statement = 0; statement < 6; statement++) {
    MatAssign(a, MatAdd(RandomPolyMatrix(rng, 3, 3, statement % 2 == 1), P_MatIDef(3)));
    MatAssign(b, MatDivElem(MatMul(a, a), MatAdd_double(a, 1.0)));
    MatAssign(b, MatRealToComp(MatTrans(b)));
    MatAssign(b, a);  // a local: copied, of another class and size
    MatAssign(a, MatCatRow(a, b));
    MatObjectTmpUndef();
  }
  MatObjectControl(0);  // releases a and b with their elements
}

TEST_F(PolyMatTest, ScopesReleaseEveryElementOnce) {
  const LiveCounts start = CurrentLiveCounts();
  for (int run = 0; run < 3; run++) {
    ScopeRun();
    MatObjectTmpUndef();
    EXPECT_EQ(CurrentLiveCounts(), start) << run;
  }
  // A scope closed with its locals turned back into temporaries.
  Matrix* marker = MatSetType(MatDef("", 0, 0), 1);
  Polynomial* polyMarker = PolySetType(PolyDef("", -1, nullptr), 1);
  Matrix* local = MatSetType(P_MatIDef(2), 1);
  PolyFrees(polyMarker);
  MatFrees(marker);
  MatObjectTmpUndef();
  EXPECT_TRUE(local->parked);
  EXPECT_EQ(CurrentLiveCounts(), start);
}

// Complex element matrices are parked and requested under their own class,
// so one record serves every release and request of the shape.
TEST_F(PolyMatTest, ComplexClassesRecycleUnderTheirOwnClass) {
  for (int klass : {MAT_C_POLY, MAT_C_RATIONAL}) {
    Matrix* base = klass == MAT_C_POLY ? P_MatIDef(2) : R_MatIDef(2);
    Matrix* first = MatRealToComp(base);
    ASSERT_EQ(first->class_, klass);
    MatUndef(first);
    const int parked = MatTableCount(4, klass);
    for (int k = 0; k < 20; k++) MatUndef(MatRealToComp(base));
    EXPECT_EQ(MatTableCount(4, klass), parked) << klass;
    MatUndef(base);
  }
}

TEST_F(PolyMatDeathTest, Reports) {
  Matrix* p = MatSetName(P_MatIDef(2), "P");
  Matrix* wide = MatSetName(P_MatDef("", 2, 3), "W");
  Matrix* real = Real("A", 1, 1, {1});
  ExpectFatal({
      {[&] { P_MatDeterm(wide); }, "Not a square matrix for 'W(2 x 3)'", "P_MatDeterm()"},
      {[&] { P_MatGetPtr(p, 3, 1); }, "P(2x2)(3,1) : Not a suitable index", "P_MatGetPtr()"},
      {[&] { P_MatDeterm(real); }, "Not a polynomial matrix for 'A(1 x 1)'", "P_MatDeterm()"},
      {[&] { MatMul(p, wide); }, "Undefined polynomial for '(s^-1)'", "PolyMul()"},
      {[&] { MatAdd(p, wide); }, "P(2x2) + W(2x3) : Not same size", "MatAdd()"},
      {[&] { P_MatDef("x", -1, 2); }, "P_MatDef(\"x\", -1, 2) : Not appropriate column or row number", "P_MatDef()"},
  });
}

}  // namespace
