// Matrix arithmetic: the joint class, promotion, the real and complex
// kernels, the product's summation order, and the fatal reports.
#include <random>
#include <tuple>

#include "runtime/core/vorn_assert.h"
#include "runtime/matrix/blocked_product.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using ArithTest = VornTest;
using ArithDeathTest = VornTest;

TEST_F(ArithTest, ElementWiseRealFollowsIeee) {
  Matrix* a = Real("A", 2, 3, {1, 2, 3, 4, 5, 6});
  Matrix* b = Real("B", 2, 3, {0.5, -2, 0, 0, -0.0, 3});
  EXPECT_EQ(valuesOf(MatAdd(a, b)), (V{1.5, 0, 3, 4, 5, 9}));
  EXPECT_EQ(valuesOf(MatSub(a, b)), (V{0.5, 4, 3, 4, 5, 3}));
  EXPECT_EQ(valuesOf(MatMulElem(a, b)), (V{0.5, -4, 0, 0, -0.0, 18}));
  EXPECT_EQ(valuesOf(MatDivElem(a, b)), (V{2, -1, kInf, kInf, -kInf, 2}));
  EXPECT_TRUE(std::isnan(valuesOf(MatDivElem(b, b))[2]));
  EXPECT_EQ(valuesOf(MatInvElem(b)), (V{2, -0.5, kInf, kInf, -kInf, 1.0 / 3}));
  EXPECT_EQ(valuesOf(a), (V{1, 2, 3, 4, 5, 6}));  // operands untouched
}

TEST_F(ArithTest, ScalarFormsAndUnaryReal) {
  Matrix* m = Real("M", 2, 2, {1, -2, 0, 4});
  EXPECT_EQ(valuesOf(MatAdd_double(m, 1.0)), (V{2, -1, 1, 5}));
  EXPECT_EQ(valuesOf(MatSub_double(m, 1.0, 0)), (V{0, -3, -1, 3}));
  EXPECT_EQ(valuesOf(MatIncrement(m)), (V{2, -1, 1, 5}));
  EXPECT_EQ(valuesOf(MatDecrement(m)), (V{0, -3, -1, 3}));
  EXPECT_TRUE(SameBits(valuesOf(MatNegate(m)), {-1, 2, -0.0, -4}));
  EXPECT_EQ(valuesOf(m), (V{1, -2, 0, 4}));  // operand untouched
  EXPECT_EQ(MatScaleSelf(m, -3.0), m);
  EXPECT_TRUE(SameBits(valuesOf(m), {-3, 6, -0.0, -12}));
  Matrix* r = Real("R", 2, 3, {1, 2, 3, 4, 5, 6});
  ExpectMatrix(MatTrans(r), 3, 2, MAT_REAL, {1, 4, 2, 5, 3, 6});
}

TEST_F(ArithTest, ComplexElementWiseAndScalars) {
  Matrix* a = Complex2("A", 1, 2, {1, 2, -3, 0.5});
  Matrix* b = Complex2("B", 1, 2, {3, -1, 0, 2});
  EXPECT_EQ(valuesOf(MatAdd(a, b)), (V{4, 1, -3, 2.5}));
  EXPECT_EQ(valuesOf(MatSub(a, b)), (V{-2, 3, -3, -1.5}));
  EXPECT_EQ(valuesOf(MatMulElem(a, b)), (V{5, 5, -1, -6}));
  const ComplexValue x{1, 2}, y{3, -1};
  ComplexValue q;
  ComplexValueDiv(&q, &x, &y);
  EXPECT_EQ(valuesOf(MatDivElem(a, b)), (V{q.re, q.im, 0.25, 1.5}));
  EXPECT_EQ(valuesOf(MatInvElem(Complex2("", 1, 1, {3, 4}))), (V{3.0 / 25, -4.0 / 25}));
  EXPECT_EQ(valuesOf(MatConj(a)), (V{1, -2, -3, -0.5}));
  Complex* z = CompDef("z", 1, -2);
  EXPECT_EQ(valuesOf(MatSub_Complex(a, z, 1)), (V{0, -4, 4, -2.5}));
  // A real operand with a complex scalar gives a complex result.
  Matrix* r = Real("R", 1, 2, {2, -1});
  ExpectMatrix(MatAdd_Complex(r, z), 1, 2, MAT_COMPLEX, {3, -2, 0, -2});
  // Transposes keep the signs of the imaginary parts, conjugates flip them.
  Matrix* m = Complex2("M", 2, 1, {1, 2, 3, -4});
  ExpectMatrix(MatTrans(m), 1, 2, MAT_COMPLEX, {1, 2, 3, -4});
  EXPECT_EQ(valuesOf(MatConjTrans(m)), (V{1, -2, 3, 4}));
}

TEST_F(ArithTest, MixedClassesPromoteToComplex) {
  Matrix* r = Real("R", 2, 2, {1, 2, 3, 4});
  Matrix* c = Complex2("C", 2, 2, {1, -1, 0, 2, 0, -0.0, 5, 7});
  ExpectMatrix(MatAdd(r, c), 2, 2, MAT_COMPLEX, {2, -1, 2, 2, 3, 0, 9, 7});
  EXPECT_TRUE(SameBits(valuesOf(MatSub(c, r)), {0, -1, -2, 2, -3, -0.0, 1, 7}));
  Matrix* promoted = MatRealToComp(r);
  ExpectMatrix(promoted, 2, 2, MAT_COMPLEX, {1, 0, 2, 0, 3, 0, 4, 0});
  EXPECT_STREQ(promoted->name, "");
  EXPECT_EQ(valuesOf(MatRealToComp(c)), valuesOf(c));
  ExpectMatrix(MatCatRow(r, c), 2, 4, MAT_COMPLEX, {1, 0, 2, 0, 1, -1, 0, 2, 3, 0, 4, 0, 0, -0.0, 5, 7});
  ExpectShape(MatMul(r, c), 2, 2, MAT_COMPLEX);
}

TEST_F(ArithTest, ConcatenationShapes) {
  Matrix* a = Real("A", 2, 2, {1, 2, 3, 4});
  Matrix* b = Real("B", 2, 1, {5, 6});
  EXPECT_EQ(valuesOf(MatCatRow(a, b)), (V{1, 2, 5, 3, 4, 6}));
  ExpectMatrix(MatCatColumn(a, Real("W", 1, 2, {7, 8})), 3, 2, MAT_REAL, {1, 2, 3, 4, 7, 8});
  Matrix* none = MatDef("E", 0, 0);
  Matrix* copy = MatCatRow(none, b);
  EXPECT_NE(copy, b);
  ExpectMatrix(copy, 2, 1, MAT_REAL, {5, 6});
  ExpectShape(MatCatColumn(a, none), 2, 2, MAT_REAL);
  ExpectShape(MatCatRow(MatDef("", 0, 3), MatDef("", 0, 2)), 0, 5, MAT_REAL);
}

TEST_F(ArithTest, ProductShapesAndEmptyInnerDimension) {
  ExpectShape(MatMul(MatDef("", 0, 3), MatDef("", 3, 2)), 0, 2, MAT_REAL);
  ExpectMatrix(MatMul(MatDef("", 2, 0), MatDef("", 0, 2)), 2, 2, MAT_REAL, V(4, 0.0));
  EXPECT_FALSE(std::signbit(MatReal(MatMul(Real("", 1, 1, {-0.0}), Real("", 1, 1, {1})))[0]));
  Matrix* c = MatMul(Complex2("", 1, 2, {1, 2, 3, 4}), Complex2("", 2, 1, {5, 6, 7, 8}));
  EXPECT_EQ(valuesOf(c), (V{(5.0 - 12) + (21 - 32), (6.0 + 10) + (24 + 28)}));
}

// Values spread over many binary orders of magnitude, so that any other
// summation order would change the rounded results.
Matrix* RandomMatrix(std::mt19937_64& gen, int rows, int cols) {
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  Matrix* m = MatDef("", rows, cols);
  for (size_t k = 0; k < static_cast<size_t>(rows) * cols; k++)
    MatReal(m)[k] = std::ldexp(mantissa(gen), exponent(gen));
  return m;
}

// Bit-for-bit equality, any NaN matching any NaN.
bool sameBits(double x, double y) { return std::isnan(x) ? std::isnan(y) : SameBits({x}, {y}); }

// The product's contract per element: 0.0, then each term added for k
// increasing (the loops run i, k, j; every element still sums in k order).
void ExpectBitExactProduct(Matrix* a, Matrix* b) {
  const size_t m = a->rows, p = a->cols, n = b->cols;
  V want(m * n, 0.0);
  for (size_t i = 0; i < m; i++)
    for (size_t k = 0; k < p; k++)
      for (size_t j = 0; j < n; j++) want[i * n + j] = want[i * n + j] + MatReal(a)[i * p + k] * MatReal(b)[k * n + j];
  const V got = valuesOf(MatMul(a, b));
  ASSERT_EQ(got.size(), want.size());
  size_t mismatches = 0;
  for (size_t k = 0; k < want.size(); k++) mismatches += sameBits(got[k], want[k]) ? 0 : 1;
  EXPECT_EQ(mismatches, 0u) << m << "x" << p << " * " << p << "x" << n;
}

struct ProductSize {
  int m, p, n;
};

// Each size with the register tile chosen by the processor and with the
// portable one forced.
class ProductOrderTest : public ArithTest, public ::testing::WithParamInterface<std::tuple<ProductSize, bool>> {
 protected:
  void TearDown() override {
    vorn_gemm::forcePortableKernel(false);
    ArithTest::TearDown();
  }
};

TEST_P(ProductOrderTest, MatchesTheDefiningSumBitForBit) {
  const ProductSize s = std::get<0>(GetParam());
  vorn_gemm::forcePortableKernel(std::get<1>(GetParam()));
  std::mt19937_64 gen(static_cast<uint64_t>(s.m) * 1000003u + s.p * 1009u + s.n);
  ExpectBitExactProduct(RandomMatrix(gen, s.m, s.p), RandomMatrix(gen, s.p, s.n));
}

std::string ProductName(const ::testing::TestParamInfo<std::tuple<ProductSize, bool>>& param) {
  const ProductSize s = std::get<0>(param.param);
  return std::to_string(s.m) + "x" + std::to_string(s.p) + "x" + std::to_string(s.n) +
         (std::get<1>(param.param) ? "_portable" : "_chosen");
}

// Tiny products, partial register tiles, several k blocks (resumed partial
// sums), row blocks, column blocks, and degenerate shapes.
constexpr int kPastColumnBlock = vorn_gemm::kNC + vorn_gemm::kNR + 3;
INSTANTIATE_TEST_SUITE_P(Sizes, ProductOrderTest,
                         ::testing::Combine(::testing::Values(ProductSize{1, 1, 1}, ProductSize{7, 13, 5},
                                                              ProductSize{6, 256, 8}, ProductSize{1, 5000, 1},
                                                              ProductSize{37, 300, 29}, ProductSize{101, 530, 67},
                                                              ProductSize{200, 17, 9}, ProductSize{3, 700, 250},
                                                              ProductSize{13, 300, kPastColumnBlock},
                                                              ProductSize{vorn_gemm::kMC + 4, 40, kPastColumnBlock},
                                                              ProductSize{0, 40, 300}, ProductSize{300, 40, 0}),
                                            ::testing::Bool()),
                         ProductName);

TEST_F(ArithTest, ProductKeepsSignedZerosInfinitiesAndNaNs) {
  std::mt19937_64 gen(7);
  Matrix* a = RandomMatrix(gen, 19, 300);
  Matrix* b = RandomMatrix(gen, 300, 23);
  for (int k = 0; k < 300; k++) MatReal(a)[k] = -0.0;  // row 1: signed zeros only
  MatReal(a)[300 + 5] = kInf;  // row 2 meets an infinity
  MatReal(b)[5 * 23 + 3] = 0.0;  // ... and a zero: NaN there
  MatReal(a)[2 * 300 + 280] = kNaN;  // row 3, second k block
  MatReal(a)[3 * 300 + 10] = 1e308;  // row 4 overflows
  MatReal(b)[10 * 23 + 0] = 1e308;
  ExpectBitExactProduct(a, b);
  Matrix* c = MatMul(a, b);
  EXPECT_FALSE(std::signbit(MatReal(c)[0]));  // 0.0 + (-0.0) is +0.0
  EXPECT_TRUE(std::isnan(MatReal(c)[23 + 3]));
  EXPECT_TRUE(std::isnan(MatReal(c)[2 * 23 + 7]));
}

// The kernels' preconditions are checked in the builds that check
// invariants: a product into one of its operands is caught.
TEST_F(ArithDeathTest, KernelPreconditionsAreAsserted) {
  if (!VORN_ASSERTS_ON) GTEST_SKIP() << "invariant checks are compiled out";
  Matrix* a = MatZDef(2);
  EXPECT_DEATH(Mat_Mul(a, a, MatZDef(2)), "invariant failed: c != a && c != b");
  EXPECT_DEATH(Mat_Add(MatZDef(3), a, a), "invariant failed");
}

// Fatal reports: size errors show both shapes, class errors the expression.
TEST_F(ArithDeathTest, Reports) {
  auto a = [] { return MatDef("A", 2, 3); };
  auto b = [] { return MatDef("B", 3, 2); };
  auto x = [] { return OfClass("X", 9); };  // a class outside 0..5
  ExpectFatal({
      {[&] { MatAdd(a(), b()); }, "A(2x3) + B(3x2) : Not same size", "MatAdd()"},
      {[&] { MatMul(a(), a()); }, "A(2x3) * A(2x3) : Inconsistent size", "MatMul()"},
      {[&] { MatCatRow(a(), MatDef("B", 3, 3)); }, "[A(2x3), B(3x3)] : Inconsistent row number", "MatCatRow()"},
      {[&] { MatCatColumn(a(), b()); }, "[[A(2x3)][B(3x2)]] : Inconsistent column number", "MatCatColumn()"},
      // Row-less operands may be very wide; their join must still fit a size.
      {[] { MatCatRow(MatDef("W", 0, 2000000000), MatDef("W", 0, 2000000000)); },
       "[W(0x2000000000), W(0x2000000000)] : Not appropriate column or row number", "MatCatRow()"},
      {[] { MatIncrement(C_MatDef("Z", 2, 2)); }, "Z(2x2)++ : Incorrect class matrix", "MatIncrement()"},
      {[&] { MatTrans(x()); }, "X(1x1)' : Incorrect class matrix", "MatTrans()"},
      {[&] { MatAdd(MatDef("A", 1, 1), x()); }, "A(1x1) + X(1x1) : Incorrect class matrix", "MatAdd()"},
      {[&] { MatScale(x(), 0.5); }, "X(1x1) * 0.5 : Incorrect class matrix", "MatScale()"},
      {[&] { MatSub_double(x(), 2, 1); }, "2 .- X(1x1) : Incorrect class matrix", "MatSub_double()"},
      {[&] { MatSub_Complex(x(), CompDef("w", 1, -2), 1); }, "w(1,-2) .- X(1x1) : Incorrect class matrix",
       "MatSub_Complex()"},
      // A conversion blames only an operand of another class.
      {[] { MatRealToPoly(C_MatDef("X", 1, 3)); }, "Polynomial(X(1x3)) : Not a real matrix", "MatRealToPoly()"},
      {[] { MatPolyToRat(MatDef("X", 1, 3)); }, "RaMatrix(X(1x3)) : Not a polynomial matrix", "MatPolyToRat()"},
      // The real operand is promoted under its own name.
      {[] { MatDivElem(Real("A", 1, 2, {1, 2}), Complex2("B", 1, 2, {1, 0, 0, 0})); },
       Literal("ComplexValueDiv(): Can't divide by zero.\n") +
           ReportLine("A(1x2) ./ B(1x2) : Zero division", "C_Mat_DivElem()")},
      {[] { MatInvElem(Complex2("T", 1, 2, {1, 0, 1e-17, 1e-17})); }, "T(1x2).~ : Zero Element", "C_Mat_InvElem()"},
  });
}

}  // namespace
