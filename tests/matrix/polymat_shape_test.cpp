// Shapes of every class: each result evaluated at a point against the
// operation done by hand on the values; vector stores and their growth.
#include <functional>
#include <string>

#include "matrix/poly_values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using PolyShapeTest = VornTest;
using PolyShapeDeathTest = VornTest;
using namespace poly_values;

const Cx kAt(0.75, -0.5);

// rows x cols of class class_ whose element k is k + 1 + (k - 3) s, plus i
// for the complex classes and 1/(s + 2) for the rational ones (classes 0
// and 1 keep the constant terms). No two elements agree at kAt.
Matrix* Sample(int class_, int rows, int cols) {
  Matrix* a = Counting("", rows, cols);
  Matrix* m = class_ >= MAT_POLY ? MatAdd(a, MatScaleP(MatSub_double(a, 4, 0), PolyOf(0, {0, 1}))) : a;
  if (class_ % 2 == 1) m = MatAdd_Complex(m, CompDef("", 0, 1));
  if (class_ >= MAT_RATIONAL) m = MatAdd_Rational(m, RatDenoDef(PolyOf(0, {2, 1})));
  return m;
}

// A rearrangement and the storage position (from 0) each element of its
// 3 x 4 result comes from, or -1 for a zero brought in.
struct ShapeCase {
  const char* what;
  std::function<Matrix*(Matrix*)> apply;
  std::function<int(int i, int j)> from;
};
void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.what; }

int At(int i, int j) { return i >= 0 && i < 3 && j >= 0 && j < 4 ? i * 4 + j : -1; }
const ShapeCase kShapes[] = {
    {"fliplr", MatFlipLR, [](int i, int j) { return At(i, 3 - j); }},
    {"flipud", MatFlipUD, [](int i, int j) { return At(2 - i, j); }},
    {"rotate up", MatRotateUp, [](int i, int j) { return At((i + 1) % 3, j); }},
    {"rotate down", MatRotateDown, [](int i, int j) { return At((i + 2) % 3, j); }},
    {"rotate left", MatRotateLeft, [](int i, int j) { return At(i, (j + 1) % 4); }},
    {"rotate right", MatRotateRight, [](int i, int j) { return At(i, (j + 3) % 4); }},
    {"shift up", MatShiftUp, [](int i, int j) { return At(i + 1, j); }},
    {"shift down", MatShiftDown, [](int i, int j) { return At(i - 1, j); }},
    {"shift left", MatShiftLeft, [](int i, int j) { return At(i, j + 1); }},
    {"shift right", MatShiftRight, [](int i, int j) { return At(i, j - 1); }},
    {"rows 2 and 1", [](Matrix* m) { return MatChangeRow(m, 2, 1); },
     [](int i, int j) { return At(i == 2 ? 2 : 1 - i, j); }},
    {"columns 2 and 4", [](Matrix* m) { return MatChangeColumn(m, 2, 4); },
     [](int i, int j) { return At(i, j % 2 == 1 ? 4 - j : j); }},
};

class ShapesOfEveryClass : public VornTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(ShapesOfEveryClass, MoveTheElementsAsTheyAre) {
  const ShapeCase& c = GetParam();
  for (int class_ = MAT_REAL; class_ <= MAT_C_RATIONAL; class_++) {
    Matrix* m = Sample(class_, 3, 4);
    Matrix* r = c.apply(m);
    ExpectShape(r, 3, 4, class_);
    const std::vector<Cx> want = ValuesAt(m, kAt);
    const std::vector<Cx> got = ValuesAt(r, kAt);
    for (int k = 0; k < 12; k++) {
      const int from = c.from(k / 4, k % 4);
      EXPECT_EQ(got[static_cast<size_t>(k)], from < 0 ? Cx(0, 0) : want[static_cast<size_t>(from)]) << class_ << "/" << k;
    }
    EXPECT_EQ(ValuesAt(m, kAt), want) << "operand changed";
    if (std::string(c.what).find(" and ") == std::string::npos) {
      ExpectShape(c.apply(MatCut(m, 1, 1, 0, 4)), 0, 4, class_);
      ExpectShape(c.apply(MatCut(m, 1, 1, 3, 0)), 3, 0, class_);
      ExpectShape(c.apply(MatCut(m, 2, 2, 2, 2)), 1, 1, class_);
    }
    MatObjectTmpUndef();
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ShapesOfEveryClass, ::testing::ValuesIn(kShapes));

// Running sums and products along rows, columns and vectors, against the
// values run through at the point.
TEST_F(PolyShapeTest, RunningAlongRowsAndColumns) {
  struct Run {
    int rows, cols, mode, first, step;  // first of element k's lane; step along it
  };
  for (const Run run : {Run{3, 4, 0, -4, 1}, Run{3, 4, 1, -1, 4}, Run{1, 4, 1, 0, 1}, Run{4, 1, 0, 0, 1}})
    for (int class_ = MAT_REAL; class_ <= MAT_C_RATIONAL; class_++)
      for (bool product : {false, true}) {
        Matrix* m = Sample(class_, run.rows, run.cols);
        Matrix* r = product ? MatCumProd(m, run.mode) : MatCumSum(m, run.mode);
        ExpectShape(r, run.rows, run.cols, class_);
        const std::vector<Cx> v = ValuesAt(m, kAt), got = ValuesAt(r, kAt);
        for (int k = 0; k < run.rows * run.cols; k++) {
          // -4: the start of k's row of 4; -1: the top of k's column.
          const int first = run.first == -4 ? k / 4 * 4 : run.first == -1 ? k % 4 : 0;
          Cx want = v[static_cast<size_t>(first)];
          for (int at = first + run.step; at <= k; at += run.step)
            want = product ? want * v[static_cast<size_t>(at)] : want + v[static_cast<size_t>(at)];
          EXPECT_LE(std::abs(got[static_cast<size_t>(k)] - want), 1e-13 * std::abs(want)) << class_ << "/" << k;
        }
        MatObjectTmpUndef();
      }
  ExpectShape(MatCumSum(P_MatDef("", 0, 3), 1), 0, 3, MAT_POLY);
}

// At a real point the parts of each element are the parts of its value.
TEST_F(PolyShapeTest, PartsAtARealPoint) {
  const Cx x(0.625, 0);
  for (int class_ = MAT_REAL; class_ <= MAT_C_RATIONAL; class_++) {
    Matrix* m = Sample(class_, 2, 3);
    Matrix* re = MatRealPart(m);
    Matrix* im = MatImagPart(m);
    ExpectShape(im, 2, 3, class_ >= MAT_POLY ? class_ & ~1 : MAT_REAL);
    const std::vector<Cx> v = ValuesAt(m, x), a = ValuesAt(re, x), b = ValuesAt(im, x);
    for (size_t k = 0; k < v.size(); k++) {
      EXPECT_NEAR(a[k].real(), v[k].real(), 1e-15) << class_;
      EXPECT_NEAR(b[k].real(), v[k].imag(), 1e-15) << class_;
    }
    MatObjectTmpUndef();
  }
  Matrix* r = Sample(MAT_RATIONAL, 2, 3);
  const std::vector<Cx> v = ValuesAt(r, x), joined = ValuesAt(R_Mat_RealAndImag(r, MatScale(r, 2.0)), x);
  for (size_t k = 0; k < v.size(); k++) EXPECT_LE(std::abs(joined[k] - Cx(1, 2) * v[k]), 1e-15) << k;
  // Rationals given one by one.
  Rational* s = RatNumeDef(PolyOf(0, {0, 1}));
  EXPECT_EQ(ValuesAt(R_MatVander(2, s, RatConst(0.5)), kAt), (std::vector<Cx>{1, kAt, 1, 0.5}));
  ExpectShape(R_MatRowVec(2, s, C_RatConst(CompDef("", 0, 1))), 1, 2, MAT_C_RATIONAL);
}

// A vector store grows an element matrix as a real one grows and widens it
// as the element store does; a store of one of the matrix's own elements
// survives the growth that releases it.
TEST_F(PolyShapeTest, VectorStoresGrowAndWidenAsElementStores) {
  struct Growth {
    int rows, cols, k, wantRows, wantCols;
  };
  const Growth growths[] = {{1, 2, 4, 1, 4}, {2, 1, 4, 4, 1}, {0, 0, 4, 1, 4}, {2, 3, 8, 3, 3},
                            {0, 1, 2, 2, 1}, {1, 0, 2, 1, 2}, {2, 2, 3, 2, 2}};
  for (int class_ : {MAT_REAL, MAT_POLY, MAT_RATIONAL})
    for (const Growth& g : growths) {
      Matrix* m = MatSetZero(MatSameClassDef(Sample(class_, 1, 1), g.rows, g.cols));
      MatSetVecValue(m, g.k, 7.0);
      ExpectShape(m, g.wantRows, g.wantCols, class_);
      EXPECT_EQ(ValuesAt(m, kAt)[static_cast<size_t>(g.k - 1)], Cx(7, 0)) << class_ << "/" << g.k;
      MatObjectTmpUndef();
    }
  Matrix* r = R_MatIDef(2);
  R_MatSetVecValue(r, 5, C_RatConst(CompDef("", 0, 1)));
  ExpectShape(r, 3, 2, MAT_C_RATIONAL);

  Matrix* own = Sample(MAT_POLY, 2, 2);
  const Cx first = ValuesAt(own, kAt)[0];
  P_MatSetValue(own, 3, 3, P_MatGetPtr(own, 1, 1));
  EXPECT_EQ(ValuesAt(own, kAt)[8], first);
  P_MatFillValue(own, P_MatGetPtr(own, 1, 1));
  EXPECT_EQ(ValuesAt(own, kAt), std::vector<Cx>(9, first));
}

TEST_F(PolyShapeDeathTest, Reports) {
  Matrix* real = Real("A", 3, 4);
  Matrix* poly = MatSetName(P_MatIDef(2), "P");
  ExpectFatal({
      {[&] { P_Mat_FlipLR(real); }, "Not a polynomial matrix for 'A(3 x 4)'", "P_Mat_FlipLR()"},
      {[&] { R_Mat_ShiftUp(poly); }, "Not a rational matrix for 'P(2 x 2)'", "R_Mat_ShiftUp()"},
      {[&] { MatChangeRow(real, 4, 1); }, "change_row(A(3x4), 4, 1) : Not appropriate row number", "MatChangeRow()"},
      {[&] { P_Mat_ChangeColumn(poly, 1, 0); }, "change_col(P(2x2), 1, 0) : Not appropriate column number",
       "MatChangeColumn()"},
      {[&] { MatFlipUD(OfClass("B", 7)); }, "flipud(B(1x1)) : Incorrect class matrix", "MatFlipUD()"},
      {[&] { MatCumProd(OfClass("B", 7), 1); }, "cumprod_col(B(1x1)) : Incorrect class matrix", "MatCumProd()"},
      {[&] { MatRealPart(OfClass("B", 7)); }, "real(B(1x1)) : Incorrect class matrix", "MatRealPart()"},
      {[&] { R_Mat_RealAndImag(R_MatIDef(2), MatRealToComp(R_MatIDef(2))); },
       "Not a real matrix for '(2 x 2)' and '(2 x 2)'", "R_Mat_RealAndImag()"},
      {[&] { MatSetVecValue(P_MatDef("Q", 0, 3), 1, 1.0); }, "Q(0x3)(1) : Not a suitable index",
       "P_MatSetVecValue()"},
  });
}

}  // namespace
