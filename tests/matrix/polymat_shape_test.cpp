// Shapes of every class: each result evaluated at a point against the
// operation done by hand on the values; vector stores and their growth.
#include <complex>
#include <functional>
#include <string>
#include <vector>

#include "support/values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using PolyShapeTest = VornTest;
using PolyShapeDeathTest = VornTest;
using Cx = std::complex<double>;

const Cx kAt(0.75, -0.5);

// rows x cols of class class_ whose element k is k + 1 + (k - 3) s, plus i
// for the complex classes and 1/(s + 2) for the rational ones (classes 0
// and 1 keep the constant terms). No two elements agree at kAt.
Matrix* Sample(int class_, int rows, int cols) {
  Matrix* a = MatDef("", rows, cols);
  Matrix* b = MatDef("", rows, cols);
  for (int k = 0; k < rows * cols; k++) {
    MatReal(a)[k] = k + 1;
    MatReal(b)[k] = k - 3;
  }
  Matrix* m = class_ >= MAT_POLY ? MatAdd(a, MatScaleP(b, PolyOf(0, {0, 1}))) : a;
  if (class_ % 2 == 1) m = MatAdd_Complex(m, CompDef("", 0, 1));
  if (class_ >= MAT_RATIONAL) m = MatAdd_Rational(m, RatDenoDef(PolyOf(0, {2, 1})));
  return m;
}

// Element values of any class at z, in storage order.
std::vector<Cx> ValuesAt(Matrix* m, Cx z) {
  Complex* w = CompDef("", z.real(), z.imag());
  Matrix* v = m->class_ <= MAT_COMPLEX ? m : m->class_ <= MAT_C_POLY ? P_Mat_EvalC(m, w) : R_Mat_EvalC(m, w);
  std::vector<Cx> out;
  for (int k = 0; k < v->rows * v->cols; k++)
    out.push_back(v->class_ == MAT_COMPLEX ? Cx(MatReal(v)[2 * k], MatReal(v)[2 * k + 1]) : Cx(MatReal(v)[k], 0));
  return out;
}

// A rearrangement and where element (i, j) of its result comes from (from
// 0; false for a zero brought in).
struct ShapeCase {
  const char* what;
  std::function<Matrix*(Matrix*)> apply;
  std::function<bool(int i, int j, int rows, int cols, int& si, int& sj)> from;
};
void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.what; }

bool Keep(int i, int j, int& si, int& sj) {
  si = i;
  sj = j;
  return true;
}
const ShapeCase kShapes[] = {
    {"fliplr", MatFlipLR, [](int i, int j, int, int c, int& si, int& sj) { return Keep(i, c - 1 - j, si, sj); }},
    {"flipud", MatFlipUD, [](int i, int j, int r, int, int& si, int& sj) { return Keep(r - 1 - i, j, si, sj); }},
    {"rotate up", MatRotateUp, [](int i, int j, int r, int, int& si, int& sj) { return Keep((i + 1) % r, j, si, sj); }},
    {"rotate down", MatRotateDown,
     [](int i, int j, int r, int, int& si, int& sj) { return Keep((i + r - 1) % r, j, si, sj); }},
    {"rotate left", MatRotateLeft,
     [](int i, int j, int, int c, int& si, int& sj) { return Keep(i, (j + 1) % c, si, sj); }},
    {"rotate right", MatRotateRight,
     [](int i, int j, int, int c, int& si, int& sj) { return Keep(i, (j + c - 1) % c, si, sj); }},
    {"shift up", MatShiftUp, [](int i, int j, int r, int, int& si, int& sj) { return Keep(i + 1, j, si, sj) && si < r; }},
    {"shift down", MatShiftDown, [](int i, int j, int, int, int& si, int& sj) { return Keep(i - 1, j, si, sj) && si >= 0; }},
    {"shift left", MatShiftLeft, [](int i, int j, int, int c, int& si, int& sj) { return Keep(i, j + 1, si, sj) && sj < c; }},
    {"shift right", MatShiftRight, [](int i, int j, int, int, int& si, int& sj) { return Keep(i, j - 1, si, sj) && sj >= 0; }},
    {"rows 1 and 3", [](Matrix* m) { return MatChangeRow(m, 3, 1); },
     [](int i, int j, int, int, int& si, int& sj) { return Keep(i == 0 ? 2 : i == 2 ? 0 : i, j, si, sj); }},
    {"columns 2 and 4", [](Matrix* m) { return MatChangeColumn(m, 2, 4); },
     [](int i, int j, int, int, int& si, int& sj) { return Keep(i, j == 1 ? 3 : j == 3 ? 1 : j, si, sj); }},
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
    for (int i = 0; i < 3; i++)
      for (int j = 0; j < 4; j++) {
        int si = 0, sj = 0;
        const Cx expected = c.from(i, j, 3, 4, si, sj) ? want[static_cast<size_t>(si * 4 + sj)] : Cx(0, 0);
        EXPECT_EQ(got[static_cast<size_t>(i * 4 + j)], expected) << class_ << " at " << i << "," << j;
      }
    EXPECT_EQ(ValuesAt(m, kAt), want) << "operand changed";
    // Empty operands keep their shape; one row or column still works.
    if (std::string(c.what).find("rows") == std::string::npos &&
        std::string(c.what).find("columns") == std::string::npos) {
      ExpectShape(c.apply(MatCut(m, 1, 1, 0, 4)), 0, 4, class_);
      ExpectShape(c.apply(MatCut(m, 1, 1, 3, 0)), 3, 0, class_);
      ExpectShape(c.apply(MatCut(m, 2, 2, 2, 2)), 1, 1, class_);
    }
    MatObjectTmpUndef();
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ShapesOfEveryClass, ::testing::ValuesIn(kShapes));

// Running sums and products along rows, columns and vectors, against the
// values summed at the point.
TEST_F(PolyShapeTest, RunningAlongRowsAndColumns) {
  struct Run {
    int rows, cols, mode;
  };
  for (const Run run : {Run{3, 4, 0}, Run{3, 4, 1}, Run{1, 4, 1}, Run{4, 1, 0}})
    for (int class_ = MAT_REAL; class_ <= MAT_C_RATIONAL; class_++)
      for (bool product : {false, true}) {
        Matrix* m = Sample(class_, run.rows, run.cols);
        Matrix* r = product ? MatCumProd(m, run.mode) : MatCumSum(m, run.mode);
        ExpectShape(r, run.rows, run.cols, class_);
        const std::vector<Cx> v = ValuesAt(m, kAt);
        const std::vector<Cx> got = ValuesAt(r, kAt);
        const bool vector = run.rows == 1 || run.cols == 1;
        const bool byColumns = run.mode == 1 && !vector;
        for (int k = 0; k < run.rows * run.cols; k++) {
          const int i = k / run.cols, j = k % run.cols;
          const int first = vector ? 0 : byColumns ? j : i * run.cols;
          const int step = byColumns ? run.cols : 1;
          Cx want = v[static_cast<size_t>(first)];
          for (int at = first + step; at <= k; at += step)
            want = product ? want * v[static_cast<size_t>(at)] : want + v[static_cast<size_t>(at)];
          EXPECT_LE(std::abs(got[static_cast<size_t>(k)] - want), 1e-13 * std::abs(want))
              << class_ << (product ? " prod " : " sum ") << run.rows << "x" << run.cols << " at " << k;
        }
        MatObjectTmpUndef();
      }
  ExpectShape(MatCumSum(P_MatDef("", 0, 3), 1), 0, 3, MAT_POLY);
  ExpectShape(P_Mat_CumProd(P_MatIDef(2), 1), 2, 2, MAT_POLY);
  ExpectShape(R_Mat_CumSum(R_MatIDef(2), 0), 2, 2, MAT_RATIONAL);
}

// At a real point the parts of each element are the parts of its value.
TEST_F(PolyShapeTest, PartsAtARealPoint) {
  const Cx x(0.625, 0);
  for (int class_ = MAT_REAL; class_ <= MAT_C_RATIONAL; class_++) {
    Matrix* m = Sample(class_, 2, 3);
    Matrix* re = MatRealPart(m);
    Matrix* im = MatImagPart(m);
    const int partClass = class_ >= MAT_POLY ? class_ & ~1 : MAT_REAL;
    ExpectShape(re, 2, 3, partClass);
    ExpectShape(im, 2, 3, partClass);
    const std::vector<Cx> v = ValuesAt(m, x), a = ValuesAt(re, x), b = ValuesAt(im, x);
    for (size_t k = 0; k < v.size(); k++) {
      EXPECT_NEAR(a[k].real(), v[k].real(), 1e-15) << class_;
      EXPECT_NEAR(b[k].real(), v[k].imag(), 1e-15) << class_;
    }
    if (class_ == MAT_RATIONAL) {
      Matrix* joined = R_Mat_RealAndImag(m, MatScale(m, 2.0));
      ExpectShape(joined, 2, 3, MAT_C_RATIONAL);
      const std::vector<Cx> w = ValuesAt(joined, x);
      for (size_t k = 0; k < v.size(); k++) EXPECT_LE(std::abs(w[k] - Cx(1, 2) * v[k]), 1e-15) << k;
    }
    MatObjectTmpUndef();
  }
}

TEST_F(PolyShapeTest, BlocksAndConstructorsFromRationals) {
  Matrix* p = Sample(MAT_POLY, 3, 3);
  Matrix* block = P_Mat_GetBlockSubMatrix(p, 2, 3, 1, 2);
  ExpectShape(block, 2, 2, MAT_POLY);
  EXPECT_EQ(ValuesAt(block, kAt)[3], ValuesAt(p, kAt)[7]);
  // A complex block widens the destination; a larger index grows it.
  P_Mat_SetBlockSubMatrix(p, 3, 4, 3, 3, Sample(MAT_C_POLY, 2, 1));
  ExpectShape(p, 4, 3, MAT_C_POLY);
  EXPECT_EQ(ValuesAt(p, kAt)[11], ValuesAt(Sample(MAT_C_POLY, 2, 1), kAt)[1]);
  Matrix* r = R_Mat_GetBlockSubMatrix(Sample(MAT_RATIONAL, 2, 2), 1, 1, 1, 2);
  ExpectShape(r, 1, 2, MAT_RATIONAL);

  Rational* half = RatConst(0.5);
  Rational* s = RatNumeDef(PolyOf(0, {0, 1}));
  Complex* i = CompDef("", 0, 1);
  Rational* imaginary = C_RatConst(i);
  ExpectShape(R_MatColumnVec(2, half, s), 2, 1, MAT_RATIONAL);
  ExpectShape(R_MatRowVec(3, half, s, imaginary), 1, 3, MAT_C_RATIONAL);
  Matrix* d = R_MatDiagDef(2, s, half);
  EXPECT_EQ(ValuesAt(d, kAt), (std::vector<Cx>{kAt, 0, 0, 0.5}));
  Matrix* v = R_MatVander(2, s, half);  // [1, s; 1, 1/2]
  EXPECT_EQ(ValuesAt(v, kAt), (std::vector<Cx>{1, kAt, 1, 0.5}));
}

// A vector store grows and widens an element matrix as the real and
// element stores do; a store of one of the matrix's own elements survives
// the growth that releases it.
TEST_F(PolyShapeTest, VectorStoresGrowAndWidenAsElementStores) {
  struct Growth {
    int rows, cols, k, wantRows, wantCols, i, j;
  };
  const Growth growths[] = {{1, 2, 4, 1, 4, 1, 4}, {2, 1, 4, 4, 1, 4, 1}, {0, 0, 4, 1, 4, 1, 4},
                            {2, 3, 8, 3, 3, 3, 2}, {0, 1, 2, 2, 1, 2, 1}, {2, 2, 3, 2, 2, 2, 1}};
  for (int class_ : {MAT_REAL, MAT_POLY, MAT_RATIONAL})
    for (const Growth& g : growths) {
      Matrix* m = MatSetZero(MatSameClassDef(Sample(class_, 1, 1), g.rows, g.cols));
      MatSetVecValue(m, g.k, 7.0);
      ExpectShape(m, g.wantRows, g.wantCols, class_);
      EXPECT_EQ(ValuesAt(m, kAt)[static_cast<size_t>((g.i - 1) * g.wantCols + g.j - 1)], Cx(7, 0))
          << class_ << " " << g.rows << "x" << g.cols << " k " << g.k;
      MatObjectTmpUndef();
    }
  Matrix* p = P_MatIDef(2);
  P_MatSetVecValue(p, 2, PolyOf(1, {0, 1}));
  EXPECT_EQ(p->class_, MAT_C_POLY);
  Matrix* r = R_MatIDef(2);
  R_MatSetVecValue(r, 5, C_RatConst(CompDef("", 0, 1)));
  ExpectShape(r, 3, 2, MAT_C_RATIONAL);

  Matrix* own = Sample(MAT_POLY, 2, 2);
  const Cx first = ValuesAt(own, kAt)[0];
  P_MatSetValue(own, 3, 3, P_MatGetPtr(own, 1, 1));
  EXPECT_EQ(ValuesAt(own, kAt)[8], first);
  P_MatFillValue(own, P_MatGetPtr(own, 1, 1));
  EXPECT_EQ(ValuesAt(own, kAt), std::vector<Cx>(9, first));
  Matrix* ownRat = Sample(MAT_RATIONAL, 1, 2);
  R_MatSetVecValue(ownRat, 4, R_MatGetPtr(ownRat, 1, 2));
  EXPECT_EQ(ValuesAt(ownRat, kAt)[3], ValuesAt(ownRat, kAt)[1]);
}

TEST_F(PolyShapeDeathTest, Reports) {
  Matrix* real = Real("A", 3, 4);
  Matrix* poly = MatSetName(P_MatIDef(2), "P");
  ExpectFatal({
      {[&] { P_Mat_FlipLR(real); }, "Not a polynomial matrix for 'A(3 x 4)'", "P_Mat_FlipLR()"},
      {[&] { R_Mat_ShiftUp(poly); }, "Not a rational matrix for 'P(2 x 2)'", "R_Mat_ShiftUp()"},
      {[&] { P_Mat_CumSum(real, 1); }, "Not a polynomial matrix for 'A(3 x 4)'", "P_Mat_CumSum()"},
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
