// Sub-matrix selection and assignment: series, complements, blocks,
// index-vector and running-index forms, growth, widening, truncation and
// deletion.
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "matrix_test_util.h"
#include "support/vorn_test.h"

namespace {

class SubTest : public VornTest {};
using SubDeathTest = SubTest;

using V = std::vector<double>;

// A named real temporary holding values in storage order.
Matrix* Real(const char* name, int rows, int cols, const V& values = {}) {
  Matrix* m = MatDef(name, rows, cols);
  for (size_t k = 0; k < values.size(); k++) MatReal(m)[k] = values[k];
  return m;
}

// A named complex temporary; values are (re, im) pairs in storage order.
Matrix* Complex2(const char* name, int rows, int cols, const V& values) {
  Matrix* m = C_MatDef(name, rows, cols);
  for (size_t k = 0; k < values.size(); k++) MatReal(m)[k] = values[k];
  return m;
}

Matrix* Row(const V& values) { return Real("", 1, static_cast<int>(values.size()), values); }

// 1..rows*cols in storage order.
Matrix* Counting(const char* name, int rows, int cols) {
  Matrix* m = MatDef(name, rows, cols);
  for (int k = 0; k < rows * cols; k++) MatReal(m)[k] = k + 1;
  return m;
}

V valuesOf(const Matrix* m) {
  const int w = m->class_ == MAT_COMPLEX ? 2 : 1;
  const double* d = MatReal(m);
  return V(d, d + static_cast<size_t>(m->rows) * m->cols * w);
}

void expectMatrix(const Matrix* m, int rows, int cols, int class_, const V& values) {
  EXPECT_EQ(m->rows, rows);
  EXPECT_EQ(m->cols, cols);
  EXPECT_EQ(m->class_, class_);
  if (m->rows == rows && m->cols == cols && m->class_ == class_) {
    EXPECT_EQ(valuesOf(m), values);
  }
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// ---------------------------------------------------------------------------
// Series and complements.

TEST_F(SubTest, SeriesCountsTermsByTruncatedQuotient) {
  struct Case {
    double from, to, step;
    V values;
  };
  const Case cases[] = {
      {1, 5, 1, {1, 2, 3, 4, 5}}, {5, 1, -2, {5, 3, 1}},    {1, 5, -1, {}},
      {3, 3, 0, {3}},             {1, 5, 0, {1}},           {1, 2.9, 1, {1, 2}},
      {0, 1, 0.25, {0, 0.25, 0.5, 0.75, 1}},                {2, 2, -3, {2}},
      {-1, -4, -1.5, {-1, -2.5, -4}},
  };
  for (const Case& c : cases) {
    Matrix* s = MatSeries(c.from, c.to, c.step);
    SCOPED_TRACE(testing::Message() << c.from << ":" << c.step << ":" << c.to);
    expectMatrix(s, 1, static_cast<int>(c.values.size()), MAT_REAL, c.values);
  }
  // Each term is the previous one plus step, rounded each time.
  Matrix* tenths = MatSeries(0, 1, 0.1);
  double x = 0;
  for (int k = 0; k < tenths->cols; k++, x = x + 0.1) EXPECT_EQ(MatReal(tenths)[k], x);
}

TEST_F(SubTest, ComplementListsTheMissingIntegersAscending) {
  expectMatrix(MatComplementIndex(Row({2, 4}), 1, 5), 1, 3, MAT_REAL, {1, 3, 5});
  expectMatrix(MatComplementIndex(Row({5, 1, 3}), 1, 5), 1, 2, MAT_REAL, {2, 4});
  expectMatrix(MatComplementIndex(Row({3, 1, 2}), 1, 3), 1, 0, MAT_REAL, {});
  expectMatrix(MatComplementIndex(Row({-1}), -2, 1), 1, 3, MAT_REAL, {-2, 0, 1});
}

// ---------------------------------------------------------------------------
// Blocks.

TEST_F(SubTest, CutCopiesTheBlockInItsClass) {
  Matrix* a = Counting("A", 3, 3);
  expectMatrix(MatCut(a, 2, 2, 3, 3), 2, 2, MAT_REAL, {5, 6, 8, 9});
  expectMatrix(MatCut(a, 1, 2, 3, 2), 3, 1, MAT_REAL, {2, 5, 8});
  expectMatrix(MatCut(a, 1, 1, 3, 3), 3, 3, MAT_REAL, valuesOf(a));
  expectMatrix(MatCut(a, 2, 1, 1, 3), 0, 3, MAT_REAL, {});
  expectMatrix(MatCut(a, 1, 3, 3, 2), 3, 0, MAT_REAL, {});
  Matrix* z = Complex2("Z", 2, 2, {1, -1, 2, -2, 3, -3, 4, -4});
  expectMatrix(MatCut(z, 1, 2, 2, 2), 2, 1, MAT_COMPLEX, {2, -2, 4, -4});
}

TEST_F(SubTest, PutGrowsWithZerosOffTheBlocks) {
  Matrix* a = Real("A", 2, 2, {1, 2, 3, 4});
  EXPECT_EQ(MatPut(a, 3, 3, Real("B", 2, 2, {5, 6, 7, 8})), a);
  expectMatrix(a, 4, 4, MAT_REAL, {1, 2, 0, 0, 3, 4, 0, 0, 0, 0, 5, 6, 0, 0, 7, 8});
  EXPECT_STREQ(a->name, "A");

  // Inside dst: no growth, neighbours untouched; a full-width block too.
  Matrix* b = Counting("B", 3, 3);
  MatPut(b, 2, 1, Real("", 1, 2, {-1, -2}));
  expectMatrix(b, 3, 3, MAT_REAL, {1, 2, 3, -1, -2, 6, 7, 8, 9});
  MatPut(b, 2, 1, Real("", 2, 3, {10, 11, 12, 13, 14, 15}));
  expectMatrix(b, 3, 3, MAT_REAL, {1, 2, 3, 10, 11, 12, 13, 14, 15});

  // An empty dst takes src's class and grows to reach (i, j).
  Matrix* e = C_MatDef("E", 0, 0);
  MatPut(e, 1, 2, Real("", 1, 1, {9}));
  expectMatrix(e, 1, 2, MAT_REAL, {0, 9});
  Matrix* tall = Real("T", 3, 0);
  MatPut(tall, 1, 1, Real("", 1, 1, {4}));
  expectMatrix(tall, 3, 1, MAT_REAL, {4, 0, 0});
}

TEST_F(SubTest, PutWidensToTheJointClass) {
  Matrix* a = Real("A", 2, 2, {1, 2, 3, 4});
  MatPut(a, 1, 1, Complex2("", 1, 1, {7, 8}));
  expectMatrix(a, 2, 2, MAT_COMPLEX, {7, 8, 2, 0, 3, 0, 4, 0});

  // Widening and growth at once, keeping a local's lifetime code.
  Matrix* b = MatSetType(Real("B", 1, 1, {5}), 1);
  MatPut(b, 2, 2, Complex2("", 1, 1, {1, -1}));
  expectMatrix(b, 2, 2, MAT_COMPLEX, {5, 0, 0, 0, 0, 0, 1, -1});
  EXPECT_EQ(b->type, 1);
  MatFree(b);

  // Real values into a complex matrix get imaginary part 0.
  Matrix* z = Complex2("Z", 1, 2, {1, 1, 2, 2});
  MatPut(z, 1, 2, Real("", 1, 1, {-3}));
  expectMatrix(z, 1, 2, MAT_COMPLEX, {1, 1, -3, 0});
}

TEST_F(SubTest, PutOfEmptySourceTruncates) {
  struct Case {
    int i, j, rows, cols;
  };
  const Case cases[] = {{1, 3, 4, 2}, {3, 1, 2, 5}, {1, 1, 0, 0}, {1, 6, 4, 5}, {5, 1, 4, 5}};
  for (const Case& c : cases) {
    Matrix* a = Counting("A", 4, 5);
    Matrix* expected = MatCut(a, 1, 1, std::max(c.rows, 1), std::max(c.cols, 1));
    MatPut(a, c.i, c.j, MatDef("", 0, 0));
    SCOPED_TRACE(testing::Message() << "(" << c.i << ", " << c.j << ")");
    if (c.rows == 0) expectMatrix(a, 0, 0, MAT_REAL, {});
    else expectMatrix(a, c.rows, c.cols, MAT_REAL, valuesOf(expected));
  }
  Matrix* z = Complex2("Z", 1, 1, {1, 2});
  MatPut(z, 1, 1, MatDef("", 2, 0));
  expectMatrix(z, 0, 0, MAT_COMPLEX, {});
}

TEST_F(SubTest, WritesFromAMatrixIntoItselfReadTheOldValues) {
  Matrix* a = Real("A", 2, 2, {1, 2, 3, 4});
  MatPut(a, 2, 2, a);
  expectMatrix(a, 3, 3, MAT_REAL, {1, 2, 0, 3, 1, 2, 0, 3, 4});
  Matrix* b = Counting("B", 3, 3);
  MatAreaCopy(b, 2, 2, b, 1, 1, 2, 2);
  expectMatrix(b, 3, 3, MAT_REAL, {1, 2, 3, 4, 1, 2, 7, 4, 5});
  Matrix* v = Real("v", 1, 2, {1, 2});
  MatSetVecSubMatrix(v, Row({2, 3}), v);
  expectMatrix(v, 1, 3, MAT_REAL, {1, 1, 2});
}

TEST_F(SubTest, AreaCopyWritesTheBlockWithoutGrowing) {
  Matrix* a = MatZDef2(3, 3);
  MatAreaCopy(a, 2, 1, Counting("B", 3, 3), 2, 2, 3, 3);
  expectMatrix(a, 3, 3, MAT_REAL, {0, 0, 0, 5, 6, 0, 8, 9, 0});
  Matrix* z = C_MatZDef2(1, 2);
  MatAreaCopy(z, 1, 2, Real("", 1, 1, {7}), 1, 1, 1, 1);
  expectMatrix(z, 1, 2, MAT_COMPLEX, {0, 0, 7, 0});
}

TEST_F(SubTest, EnlargeKeepsValuesThroughThePut) {
  Matrix* a = Real("A", 1, 2, {5, 6});
  MatEnlargeClass(a, 2, 2, C_MatDef("", 0, 0));
  expectMatrix(a, 2, 2, MAT_COMPLEX, {5, 0, 6, 0, 0, 0, 0, 0});
  // A class that cannot hold the values is widened, never narrowed.
  Matrix* z = Complex2("Z", 1, 1, {1, -1});
  MatEnlargeClass(z, 1, 2, MatDef("", 0, 0));
  expectMatrix(z, 1, 2, MAT_COMPLEX, {1, -1, 0, 0});
  Matrix* b = Real("B", 1, 1, {3});
  MatEnlarge(b, 1, 3);
  expectMatrix(b, 1, 3, MAT_REAL, {3, 0, 0});
  EXPECT_STREQ(b->name, "B");
}

// ---------------------------------------------------------------------------
// Index vectors.

TEST_F(SubTest, IndexValuesRoundToNearestWithTiesToEven) {
  Matrix* a = Counting("A", 4, 4);
  expectMatrix(MatGetSubMatrix(a, Row({1.5, 2.5, 3.5, 0.5000001}), Row({1})), 4, 1, MAT_REAL,
               {5, 5, 13, 1});
  expectMatrix(MatGetVecSubMatrix(Counting("v", 1, 5), Row({1.5, 2.5, 4.4999})), 1, 3, MAT_REAL, {2, 2, 4});
  Matrix* d = Counting("D", 2, 2);
  MatSetSubMatrix(d, Row({1.5}), Row({2.5}), Real("", 1, 1, {0}));
  expectMatrix(d, 2, 2, MAT_REAL, {1, 2, 3, 0});
  // Deletion rounds too: 2.5 names row 2.
  MatSetSubMatrix(d, Row({2.5}), Row({1, 2}), MatDef("", 0, 0));
  expectMatrix(d, 1, 2, MAT_REAL, {1, 2});
}

TEST_F(SubTest, GetSubMatrixPicksRowsAndColumnsInIndexOrder) {
  Matrix* a = Counting("A", 3, 3);
  expectMatrix(MatGetSubMatrix(a, Row({3, 1}), Row({2, 2, 1})), 2, 3, MAT_REAL, {8, 8, 7, 2, 2, 1});
  expectMatrix(MatGetSubMatrix(a, MatDef("", 0, 0), Row({1, 2})), 0, 2, MAT_REAL, {});
  // No pair is formed, so the row values are never used.
  expectMatrix(MatGetSubMatrix(a, Row({99}), MatDef("", 1, 0)), 1, 0, MAT_REAL, {});
  Matrix* z = Complex2("Z", 1, 2, {1, 2, 3, 4});
  expectMatrix(MatGetSubMatrix(z, Row({1}), Row({2, 1})), 1, 2, MAT_COMPLEX, {3, 4, 1, 2});

  expectMatrix(MatGetSubMatrix2(a, 2, 3, 1, 1, 2, 0), 2, 2, MAT_REAL, {4, 5, 7, 8});
  expectMatrix(MatGetSubMatrix2(a, 3, 1, -2, 1, 3, 2), 2, 2, MAT_REAL, {7, 9, 1, 3});
  expectMatrix(MatGetSubMatrix2(a, 3, 1, 0, 2, 2, 1), 1, 1, MAT_REAL, {8});
  expectMatrix(MatGetSubMatrix2(a, 1, 3, -1, 1, 3, 1), 0, 3, MAT_REAL, {});
}

TEST_F(SubTest, SetSubMatrixScattersAndGrows) {
  Matrix* a = Counting("A", 3, 3);
  MatSetSubMatrix(a, Row({5}), Row({1, 2, 3}), Real("", 1, 3, {-1, -2, -3}));
  expectMatrix(a, 5, 3, MAT_REAL, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, -1, -2, -3});

  Matrix* b = Counting("B", 2, 2);
  MatSetSubMatrix(b, Row({2, 1}), Row({3}), Real("", 2, 1, {-1, -2}));
  expectMatrix(b, 2, 3, MAT_REAL, {1, 2, -2, 3, 4, -1});
  // A source of another shape with the same count gives storage order.
  MatSetSubMatrix(b, Row({1, 2}), Row({1, 2}), Real("", 1, 4, {9, 8, 7, 6}));
  expectMatrix(b, 2, 3, MAT_REAL, {9, 8, -2, 7, 6, -1});
  // Widening without growth.
  MatSetSubMatrix(b, Row({1}), Row({3}), Complex2("", 1, 1, {0, 1}));
  expectMatrix(b, 2, 3, MAT_COMPLEX, {9, 0, 8, 0, 0, 1, 7, 0, 6, 0, -1, 0});
}

TEST_F(SubTest, SetSubMatrixOfEmptySourceDeletesWholeRowsOrColumns) {
  Matrix* a = Counting("A", 3, 4);
  MatSetSubMatrix(a, Row({1, 2, 3}), Row({2, 4}), MatDef("", 0, 0));
  expectMatrix(a, 3, 2, MAT_REAL, {1, 3, 5, 7, 9, 11});

  // All columns listed: the listed rows go; the rest keep their order,
  // whatever order the full list was given in.
  Matrix* b = Counting("B", 3, 2);
  MatSetSubMatrix(b, Row({3, 1}), Row({2, 1}), MatDef("", 0, 0));
  expectMatrix(b, 1, 2, MAT_REAL, {3, 4});
  Matrix* c = Counting("C", 3, 3);
  MatSetSubMatrix(c, Row({3, 1, 2}), Row({2}), MatDef("", 0, 0));
  expectMatrix(c, 3, 2, MAT_REAL, {1, 3, 4, 6, 7, 9});

  Matrix* d = Counting("D", 2, 3);
  MatSetSubMatrix(d, Row({1, 2}), Row({1, 2, 3}), MatDef("", 0, 0));
  expectMatrix(d, 2, 0, MAT_REAL, {});
  Matrix* e = Counting("E", 2, 3);
  MatSetSubMatrix(e, MatDef("", 0, 0), Row({1}), MatDef("", 0, 0));
  expectMatrix(e, 2, 3, MAT_REAL, {1, 2, 3, 4, 5, 6});
}

TEST_F(SubTest, RowAndColumnVectorFormsSpanTheSource) {
  Matrix* a = Counting("A", 2, 2);
  MatSetRowVecs(a, Row({2}), 1, Real("", 1, 4, {5, 6, 7, 8}));
  expectMatrix(a, 2, 4, MAT_REAL, {1, 2, 0, 0, 5, 6, 7, 8});
  MatSetColVecs(a, 2, Row({4}), Real("", 2, 1, {-1, -2}));
  expectMatrix(a, 3, 4, MAT_REAL, {1, 2, 0, 0, 5, 6, 7, -1, 0, 0, 0, -2});
  // Empty source: every column from j on (rows from i on) is listed.
  MatSetRowVecs(a, Row({1, 3}), 1, MatDef("", 0, 0));
  expectMatrix(a, 1, 4, MAT_REAL, {5, 6, 7, -1});
  MatSetColVecs(a, 1, Row({2, 4}), MatDef("", 0, 0));
  expectMatrix(a, 1, 2, MAT_REAL, {5, 7});

  Matrix* b = Counting("B", 3, 3);
  MatSetRowVecs2(b, 1, 3, 2, 2, Real("", 2, 2, {-1, -2, -3, -4}));
  expectMatrix(b, 3, 3, MAT_REAL, {1, -1, -2, 4, 5, 6, 7, -3, -4});
  MatSetColVecs2(b, 2, 1, 3, 1, Real("", 1, 3, {0, 0, 0}));
  expectMatrix(b, 3, 3, MAT_REAL, {1, -1, -2, 0, 0, 0, 7, -3, -4});
  MatSetColVecs2(b, 1, 1, 3, 2, MatDef("", 0, 0));
  expectMatrix(b, 3, 1, MAT_REAL, {-1, 0, -3});
}

TEST_F(SubTest, SetSubMatrix2TakesBlocksAndStridedRanges) {
  Matrix* a = Counting("A", 2, 2);
  MatSetSubMatrix2(a, 2, 3, 1, 2, 3, 0, Real("", 2, 2, {5, 6, 7, 8}));
  expectMatrix(a, 3, 3, MAT_REAL, {1, 2, 0, 3, 5, 6, 0, 7, 8});
  MatSetSubMatrix2(a, 1, 3, 2, 3, 1, -2, Real("", 2, 2, {-1, -2, -3, -4}));
  expectMatrix(a, 3, 3, MAT_REAL, {-2, 2, -1, 3, 5, 6, -4, 7, -3});
  // Growth to the last indices comes first, then the widening write.
  Matrix* b = Real("B", 1, 1, {1});
  MatSetSubMatrix2(b, 1, 1, 1, 3, 3, 1, Complex2("", 1, 1, {2, 3}));
  expectMatrix(b, 1, 3, MAT_COMPLEX, {1, 0, 0, 0, 2, 3});
  Matrix* c = Counting("C", 3, 2);
  MatSetSubMatrix2(c, 1, 3, 2, 1, 2, 1, MatDef("", 0, 0));
  expectMatrix(c, 1, 2, MAT_REAL, {3, 4});
}

// ---------------------------------------------------------------------------
// Running indices.

TEST_F(SubTest, GetVecSubMatrixShapesFollowTheSource) {
  Matrix* row = Counting("r", 1, 10);
  expectMatrix(MatGetVecSubMatrix2(row, 3, 5, 1), 1, 3, MAT_REAL, {3, 4, 5});
  expectMatrix(MatGetVecSubMatrix2(row, 9, 1, -4), 1, 3, MAT_REAL, {9, 5, 1});
  Matrix* sq = Counting("S", 3, 3);
  expectMatrix(MatGetVecSubMatrix2(sq, 2, 4, 1), 3, 1, MAT_REAL, {2, 3, 4});
  expectMatrix(MatGetVecSubMatrix2(Counting("c", 4, 1), 2, 3, 0), 2, 1, MAT_REAL, {2, 3});
  expectMatrix(MatGetVecSubMatrix(sq, Row({9, 1})), 2, 1, MAT_REAL, {9, 1});
  expectMatrix(MatGetVecSubMatrix(sq, MatDef("", 0, 0)), 0, 1, MAT_REAL, {});
  expectMatrix(MatGetVecSubMatrix(MatDef("", 0, 3), MatDef("", 1, 0)), 0, 3, MAT_REAL, {});
  expectMatrix(MatGetVecSubMatrix(Complex2("z", 2, 1, {1, 2, 3, 4}), Row({2})), 1, 1, MAT_COMPLEX, {3, 4});
}

TEST_F(SubTest, SetVecSubMatrixGrowthShapes) {
  struct Case {
    int rows, cols;
    V index;
    int grownRows, grownCols;
  };
  const Case cases[] = {
      {2, 2, {2, 5}, 3, 2},   // ceil(5/2) rows, same columns
      {1, 2, {4}, 1, 4},      // a row grows along the row
      {2, 1, {4}, 4, 1},      // a column along the column
      {0, 0, {3}, 3, 1},      // 0x0 becomes a column
      {3, 0, {2}, 2, 1},
      {0, 2, {3}, 1, 3},
      {1, 0, {2}, 1, 2},
      {2, 3, {1}, 2, 3},      // no growth
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rows << "x" << c.cols);
    Matrix* m = MatZDef2(c.rows, c.cols);
    V values(c.index.size(), 7.0);
    MatSetVecSubMatrix(m, Row(c.index), Row(values));
    ASSERT_EQ(m->rows, c.grownRows);
    ASSERT_EQ(m->cols, c.grownCols);
    for (double k : c.index) EXPECT_EQ(MatReal(m)[static_cast<int>(k) - 1], 7.0);
  }
  // Old values keep their running indices.
  Matrix* a = Counting("A", 2, 2);
  MatSetVecSubMatrix(a, Row({6, 1}), Real("", 2, 1, {-6, -1}));
  expectMatrix(a, 3, 2, MAT_REAL, {-1, 2, 3, 4, 0, -6});
  // Widening alone keeps the shape.
  Matrix* b = Counting("B", 1, 3);
  MatSetVecSubMatrix2(b, 1, 1, 1, Complex2("", 1, 1, {0, 5}));
  expectMatrix(b, 1, 3, MAT_COMPLEX, {0, 5, 2, 0, 3, 0});
}

TEST_F(SubTest, SetVecSubMatrixOfEmptySourceDeletesElements) {
  Matrix* a = Counting("A", 2, 2);
  MatSetVecSubMatrix(a, Row({2}), MatDef("", 0, 0));
  expectMatrix(a, 3, 1, MAT_REAL, {1, 3, 4});
  Matrix* r = Counting("r", 1, 5);
  MatSetVecSubMatrix2(r, 4, 2, -2, MatDef("", 0, 0));
  expectMatrix(r, 1, 3, MAT_REAL, {1, 3, 5});
  Matrix* all = Counting("all", 2, 2);
  MatSetVecSubMatrix(all, Row({4, 3, 2, 1}), MatDef("", 0, 0));
  expectMatrix(all, 0, 1, MAT_REAL, {});
  Matrix* same = Counting("same", 2, 2);
  MatSetVecSubMatrix(same, MatDef("", 0, 0), MatDef("", 0, 0));
  expectMatrix(same, 2, 2, MAT_REAL, {1, 2, 3, 4});
}

// ---------------------------------------------------------------------------
// Fatal paths: exact report lines, status 255.

struct FatalCase {
  const char* what;
  std::function<void()> body;
  std::string line;
};

void expectFatal(const FatalCase& c) {
  SCOPED_TRACE(c.what);
  EXPECT_EXIT(c.body(), ::testing::ExitedWithCode(255), c.line);
}

TEST_F(SubDeathTest, SeriesComplementAndBlockMisuse) {
  const std::string range = "Not appropriate range for 'ix(1 x 2)'";
  const FatalCase cases[] = {
      {"series nan", [] { MatSeries(1, kNaN, 1); },
       ReportLine("MatSeries(1, nan, 1) : Not appropriate column or row number", "MatSeries()")},
      {"duplicate", [] { MatComplementIndex(Real("ix", 1, 2, {2, 2}), 1, 5); },
       ReportLine(range, "MatComplementIndex()")},
      {"fraction", [] { MatComplementIndex(Real("ix", 1, 2, {2, 2.5}), 1, 5); },
       ReportLine(range, "MatComplementIndex()")},
      {"outside", [] { MatComplementIndex(Real("ix", 1, 2, {2, 6}), 1, 5); },
       ReportLine(range, "MatComplementIndex()")},
      {"nan value", [] { MatComplementIndex(Real("ix", 1, 2, {kNaN, 1}), 1, 3); },
       ReportLine(range, "MatComplementIndex()")},
      {"too many", [] { MatComplementIndex(Real("ix", 1, 2, {1, 2}), 1, 1); },
       ReportLine(range, "MatComplementIndex()")},
      {"reversed", [] { MatComplementIndex(Real("ix", 1, 2, {1, 2}), 5, 4); },
       ReportLine(range, "MatComplementIndex()")},
      {"empty index", [] { MatComplementIndex(MatDef("ix", 0, 0), 1, 5); },
       ReportLine("sort(ix(0x0)) : Zero-size matrix", "MatSort()")},
      {"complex index", [] { MatComplementIndex(C_MatDef("ix", 1, 1), 1, 5); },
       ReportLine("Not a real matrix for 'ix(1 x 1)'", "MatComplementIndex()")},
      {"cut range", [] { MatCut(Counting("A", 3, 3), 1, 1, 4, 1); },
       ReportLine("A(3x3)(1:4,1:1) is invalid sub-matrix", "MatCut()")},
      {"cut start", [] { MatCut(Counting("A", 3, 3), 0, 2, 1, 3); },
       ReportLine("A(3x3)(0:1,2:3) is invalid sub-matrix", "MatCut()")},
      {"cut empty", [] { MatCut(MatDef("E", 0, 3), 1, 1, 1, 1); },
       ReportLine("E(0x3)(1:1,1:1) : Zero-size matrix", "MatCut()")},
      {"cut negative", [] { MatCut(Counting("A", 3, 3), 3, 1, 1, 1); },
       ReportLine("MatDef(\"\", -1, 1) : Not appropriate column or row number", "MatDef()")},
      {"cut class", [] { MatCut(MatSetClass(Counting("P", 1, 1), MAT_POLY), 1, 1, 1, 1); },
       ReportLine("P(1x1)(1:1,1:1) : Incorrect class matrix", "MatCut()")},
      {"put start", [] { MatPut(Counting("A", 2, 2), 0, 1, Real("B", 1, 1)); },
       ReportLine("A(0:0, 1:1) is invalid sub-matrix for 'A(2 x 2)' and 'B(1 x 1)'", "MatPut()")},
      {"truncate", [] { MatPut(Counting("A", 4, 5), 2, 2, MatDef("", 0, 0)); },
       ReportLine("A(2:1, 2:1) is invalid sub-matrix for 'A(4 x 5)' and '(0 x 0)'", "MatPut()")},
      {"truncate past", [] { MatPut(Counting("A", 4, 5), 1, 7, MatDef("", 0, 0)); },
       ReportLine("A(4x5)(1:4,1:6) is invalid sub-matrix", "MatCut()")},
      {"put overflow", [] { MatPut(Counting("A", 1, 1), 50000, 50000, Real("B", 1, 1)); },
       ReportLine("A(50000:50000, 50000:50000) is invalid sub-matrix for 'A(1 x 1)' and 'B(1 x 1)'",
                  "MatPut()")},
      {"put far", [] { MatPut(Counting("A", 1, 1), INT_MAX, 1, Real("B", 2, 1)); },
       ReportLine("A(2147483647:2147483648, 1:1) is invalid sub-matrix for 'A(1 x 1)' and 'B(2 x 1)'",
                  "MatPut()")},
      {"put class", [] { MatPut(Counting("A", 1, 1), 1, 1, MatSetClass(MatDef("P", 1, 1), MAT_POLY)); },
       ReportLine("A(1x1)(1:1, 1:1) = P(1x1) : Incorrect class matrix", "MatPut()")},
      {"area class", [] { MatAreaCopy(Counting("A", 2, 2), 1, 1, C_MatDef("Z", 1, 1), 1, 1, 1, 1); },
       ReportLine("A(2x2)(1,1) = Z(1x1)(1:1,1:1) : Class conflict", "MatAreaCopy()")},
      {"area size", [] { MatAreaCopy(Counting("A", 2, 2), 2, 2, Counting("B", 3, 3), 1, 1, 2, 2); },
       ReportLine("A(2x2)(2,2) = B(3x3)(1:1,2:2) : Size conflict", "MatAreaCopy()")},
      {"area source", [] { MatAreaCopy(Counting("A", 3, 3), 1, 1, Counting("B", 2, 2), 1, 2, 3, 2); },
       ReportLine("A(3x3)(1,1) = B(2x2)(1:2,3:2) : Size conflict", "MatAreaCopy()")},
      {"area order", [] { MatAreaCopy(Counting("A", 3, 3), 1, 1, Counting("B", 2, 2), 2, 1, 1, 1); },
       ReportLine("A(3x3)(1,1) = B(2x2)(2:1,1:1) : Size conflict", "MatAreaCopy()")},
  };
  for (const FatalCase& c : cases) expectFatal(c);
}

TEST_F(SubDeathTest, IndexVectorMisuse) {
  auto rows = [](const V& v) { return Real("r", 1, static_cast<int>(v.size()), v); };
  auto cols = [](const V& v) { return Real("c", 1, static_cast<int>(v.size()), v); };
  const std::string getSource = "A(3x3)(r(1x1), c(1x1)) : ";
  const std::string setSource = "A(3x3)(r(1x1), c(1x1)) = ";
  const FatalCase cases[] = {
      {"get real", [&] { MatGetSubMatrix(Counting("A", 3, 3), C_MatDef("r", 1, 1), cols({1})); },
       ReportLine(getSource + "Index must be real", "MatGetSubMatrix()")},
      {"get row", [&] { MatGetSubMatrix(Counting("A", 3, 3), rows({1}), Real("c", 2, 1)); },
       ReportLine("A(3x3)(r(1x1), c(2x1)) : Index must be row vector", "MatGetSubMatrix()")},
      {"get range", [&] { MatGetSubMatrix(Counting("A", 3, 3), rows({4}), cols({1})); },
       ReportLine(getSource + "Index is out of range", "MatGetSubMatrix()")},
      {"get rounds to 0", [&] { MatGetSubMatrix(Counting("A", 3, 3), rows({1}), cols({0.5})); },
       ReportLine(getSource + "Index is out of range", "MatGetSubMatrix()")},
      {"get nan", [&] { MatGetSubMatrix(Counting("A", 3, 3), rows({kNaN}), cols({1})); },
       ReportLine(getSource + "Index is out of range", "MatGetSubMatrix()")},
      {"get huge", [&] { MatGetSubMatrix(Counting("A", 3, 3), rows({1}), cols({1e10})); },
       ReportLine(getSource + "Index is out of range", "MatGetSubMatrix()")},
      {"get2", [] { MatGetSubMatrix2(Counting("A", 3, 3), 1, 3, 2, 4, 4, 1); },
       ReportLine("A(3x3)((1x2), (1x1)) : Index is out of range", "MatGetSubMatrix()")},
      {"set real", [&] { MatSetSubMatrix(Counting("A", 3, 3), rows({1}), C_MatDef("c", 1, 1), Real("B", 1, 1)); },
       ReportLine(setSource + "B(1x1) : Index must be real", "MatSetSubMatrix()")},
      {"set row", [&] { MatSetSubMatrix(Counting("A", 3, 3), Real("r", 2, 2), cols({1}), Real("B", 1, 1)); },
       ReportLine("A(3x3)(r(2x2), c(1x1)) = B(1x1) : Index must be row vector", "MatSetSubMatrix()")},
      {"set zero", [&] { MatSetSubMatrix(Counting("A", 3, 3), rows({0}), cols({1}), Real("B", 1, 1)); },
       ReportLine(setSource + "B(1x1) : Index is out of range", "MatSetSubMatrix()")},
      {"set inf", [&] { MatSetSubMatrix(Counting("A", 3, 3), rows({kInf}), cols({1}), Real("B", 1, 1)); },
       ReportLine(setSource + "B(1x1) : Index is out of range", "MatSetSubMatrix()")},
      {"set too big", [&] { MatSetSubMatrix(Counting("A", 3, 3), rows({65536}), cols({65536}), Real("B", 1, 1)); },
       ReportLine(setSource + "B(1x1) : Index is out of range", "MatSetSubMatrix()")},
      {"delete outside", [&] { MatSetSubMatrix(Counting("A", 3, 3), rows({5}), cols({1}), MatDef("B", 0, 0)); },
       ReportLine(setSource + "B(0x0) : Index is out of range", "MatSetSubMatrix()")},
      {"delete block", [] { MatSetSubMatrix(Counting("A", 3, 4), Row({1, 3}), Row({2, 4}), MatDef("B", 0, 0)); },
       ReportLine("A(3x4)((1x2), (1x2)) = B(0x0) : Not a suitable index", "MatSetSubMatrix()")},
      {"delete twice", [] { MatSetSubMatrix(Counting("A", 2, 2), Real("r", 1, 3, {1, 2, 1}), Row({1}), MatDef("", 0, 0)); },
       ReportLine("Not appropriate range for 'r(1 x 3)'", "MatComplementIndex()")},
      {"set count", [&] { MatSetSubMatrix(Counting("A", 3, 3), rows({5}), cols({1}), Real("B", 1, 2)); },
       ReportLine("Incorrect size of matrices for 'A(5 x 3)' and 'B(1 x 2)'", "MatSetSubMatrix()")},
      {"set2 start", [] { MatSetSubMatrix2(Counting("A", 2, 2), 0, 1, 1, 1, 1, 1, Real("B", 1, 1)); },
       ReportLine("A(2x2)(0:1, 1:1) = B(1x1) : Not suitable index", "MatSetSubMatrix2()")},
      {"set2 shape", [] { MatSetSubMatrix2(Counting("A", 2, 2), 1, 2, 1, 1, 1, 1, Real("B", 1, 2)); },
       ReportLine("A(2x2)(1:2, 1:1) = B(1x2) : Not suitable index", "MatSetSubMatrix2()")},
      {"set2 stride", [] { MatSetSubMatrix2(Counting("A", 2, 2), 1, 4, 2, 1, 1, 1, Real("B", 3, 1)); },
       ReportLine("A(2x2)(1:4, 1:1) = B(3x1) : Not suitable index", "MatSetSubMatrix2()")},
      {"row vecs", [] { MatSetRowVecs(Counting("A", 2, 2), Row({0}), 1, Real("B", 1, 2)); },
       ReportLine("A(2x2)((1x1), (1x2)) = B(1x2) : Index is out of range", "MatSetSubMatrix()")},
  };
  for (const FatalCase& c : cases) expectFatal(c);
}

TEST_F(SubDeathTest, RunningIndexMisuse) {
  const FatalCase cases[] = {
      {"get real", [] { MatGetVecSubMatrix(Counting("A", 2, 2), C_MatDef("k", 1, 1)); },
       ReportLine("A(2x2)(k(1x1)) : Index must be real", "MatGetVecSubMatrix()")},
      {"get row", [] { MatGetVecSubMatrix(Counting("A", 2, 2), MatDef("k", 2, 1)); },
       ReportLine("A(2x2)(k(2x1)) : Index must be row vector", "MatGetVecSubMatrix()")},
      {"get range", [] { MatGetVecSubMatrix(Counting("A", 2, 2), Real("k", 1, 2, {1, 5})); },
       ReportLine("A(2x2)(k(1x2)) : Index is out of range", "MatGetVecSubMatrix()")},
      {"get2 empty", [] { MatGetVecSubMatrix2(MatDef("E", 0, 1), 1, 1, 1); },
       ReportLine("E(0x1)(1:1,1:1) : Zero-size matrix", "MatCut()")},
      {"set real", [] { MatSetVecSubMatrix(Counting("A", 2, 2), C_MatDef("k", 1, 1), Real("B", 1, 1)); },
       ReportLine("A(2x2)(k(1x1)) = B(1x1) : Index must be real", "MatSetVecSubMatrix()")},
      {"set row", [] { MatSetVecSubMatrix(Counting("A", 2, 2), MatDef("k", 2, 2), Real("B", 1, 1)); },
       ReportLine("A(2x2)(k(2x2)) = B(1x1) : Index must be row vector", "MatSetVecSubMatrix()")},
      {"set zero", [] { MatSetVecSubMatrix(Counting("A", 2, 2), Real("k", 1, 1, {-0.4}), Real("B", 1, 1)); },
       ReportLine("A(2x2)(k(1x1)) = B(1x1) : Index is out of range", "MatSetVecSubMatrix()")},
      {"set beyond 32 bits", [] { MatSetVecSubMatrix(Counting("A", 2, 2), Real("k", 1, 1, {3e9}), Real("B", 1, 1)); },
       ReportLine("A(2x2)(k(1x1)) = B(1x1) : Index is out of range", "MatSetVecSubMatrix()")},
      {"grown too big", [] { MatSetVecSubMatrix(Counting("A", 2, 2), Real("k", 1, 1, {INT_MAX}), Real("B", 1, 1)); },
       ReportLine("A(2x2)(k(1x1)) = B(1x1) : Index is out of range", "MatSetVecSubMatrix()")},
      {"delete outside", [] { MatSetVecSubMatrix(Counting("A", 2, 2), Real("k", 1, 1, {5}), MatDef("B", 0, 0)); },
       ReportLine("A(2x2)(k(1x1)) = B(0x0) : Index is out of range", "MatSetVecSubMatrix()")},
      {"set count", [] { MatSetVecSubMatrix(Counting("A", 2, 2), Real("k", 1, 2, {2, 5}), Real("B", 1, 3)); },
       ReportLine("Incorrect size of matrices for 'A(3 x 2)' and 'B(1 x 3)'", "MatSetVecSubMatrix()")},
      {"set2 start", [] { MatSetVecSubMatrix2(Counting("A", 2, 2), 0, 2, 1, Real("B", 1, 3)); },
       ReportLine("A(2x2)(0:2) = B(1x3) : Not suitable index", "MatSetVecSubMatrix2()")},
  };
  for (const FatalCase& c : cases) expectFatal(c);
}

}  // namespace
