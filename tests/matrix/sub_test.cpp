// Sub-matrix selection and assignment: series, complements, blocks, index and
// running-index forms, growth, widening, truncation and deletion.
#include <climits>

#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using SubTest = VornTest;
using SubDeathTest = VornTest;

Matrix* Empty() { return MatDef("", 0, 0); }

TEST_F(SubTest, SeriesCountsTermsByTruncatedQuotient) {
  const struct {
    double from, to, step;
    V values;
  } cases[] = {
      {1, 5, 1, {1, 2, 3, 4, 5}}, {5, 1, -2, {5, 3, 1}}, {1, 5, -1, {}}, {3, 3, 0, {3}}, {1, 5, 0, {1}},
      {1, 2.9, 1, {1, 2}},  // the count truncates
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << ":" << c.step << ":" << c.to);
    ExpectMatrix(MatSeries(c.from, c.to, c.step), 1, static_cast<int>(c.values.size()), MAT_REAL, c.values);
  }
  // Each term is the previous one plus step, rounded each time.
  Matrix* tenths = MatSeries(0, 1, 0.1);
  double x = 0;
  for (int k = 0; k < tenths->cols; k++, x = x + 0.1) EXPECT_EQ(MatReal(tenths)[k], x);
}

TEST_F(SubTest, ComplementListsTheMissingIntegersAscending) {
  ExpectMatrix(MatComplementIndex(Row({2, 4}), 1, 5), 1, 3, MAT_REAL, {1, 3, 5});
  ExpectMatrix(MatComplementIndex(Row({5, 1, 3}), 1, 5), 1, 2, MAT_REAL, {2, 4});
}

TEST_F(SubTest, CutCopiesTheBlockInItsClass) {
  Matrix* a = Counting("A", 3, 3);
  ExpectMatrix(MatCut(a, 2, 2, 3, 3), 2, 2, MAT_REAL, {5, 6, 8, 9});
  ExpectMatrix(MatCut(a, 2, 1, 1, 3), 0, 3, MAT_REAL, {});
  Matrix* z = Complex2("Z", 2, 2, {1, -1, 2, -2, 3, -3, 4, -4});
  ExpectMatrix(MatCut(z, 1, 2, 2, 2), 2, 1, MAT_COMPLEX, {2, -2, 4, -4});
}

TEST_F(SubTest, PutGrowsAndWidens) {
  Matrix* a = Real("A", 2, 2, {1, 2, 3, 4});
  EXPECT_EQ(MatPut(a, 3, 3, Real("B", 2, 2, {5, 6, 7, 8})), a);
  ExpectMatrix(a, 4, 4, MAT_REAL, {1, 2, 0, 0, 3, 4, 0, 0, 0, 0, 5, 6, 0, 0, 7, 8});
  EXPECT_STREQ(a->name, "A");
  // An empty dst takes src's class and grows to reach (i, j).
  ExpectMatrix(MatPut(C_MatDef("E", 0, 0), 1, 2, Real("", 1, 1, {9})), 1, 2, MAT_REAL, {0, 9});
  // Complex into real: the other elements get imaginary part 0.
  ExpectMatrix(MatPut(Real("C", 2, 2, {1, 2, 3, 4}), 1, 1, Complex2("", 1, 1, {7, 8})), 2, 2, MAT_COMPLEX,
               {7, 8, 2, 0, 3, 0, 4, 0});
  // Widening and growth at once keep a local's lifetime code.
  Matrix* l = MatSetType(Real("L", 1, 1, {5}), 1);
  ExpectMatrix(MatPut(l, 2, 2, Complex2("", 1, 1, {1, -1})), 2, 2, MAT_COMPLEX, {5, 0, 0, 0, 0, 0, 1, -1});
  EXPECT_EQ(l->type, 1);
  MatFree(l);
}

TEST_F(SubTest, PutOfEmptySourceTruncates) {
  const struct {
    int i, j, rows, cols;
  } cases[] = {{1, 3, 4, 2}, {3, 1, 2, 5}, {1, 1, 0, 0}, {1, 6, 4, 5}, {5, 1, 4, 5}};
  for (const auto& c : cases) {
    Matrix* a = Counting("A", 4, 5);
    Matrix* expected = MatCut(a, 1, 1, std::max(c.rows, 1), std::max(c.cols, 1));
    MatPut(a, c.i, c.j, Empty());
    SCOPED_TRACE(testing::Message() << "(" << c.i << ", " << c.j << ")");
    ExpectMatrix(a, c.rows, c.cols, MAT_REAL, c.rows == 0 ? V{} : valuesOf(expected));
  }
  ExpectMatrix(MatPut(Complex2("Z", 1, 1, {1, 2}), 1, 1, MatDef("", 2, 0)), 0, 0, MAT_COMPLEX, {});
}

TEST_F(SubTest, WritesFromAMatrixIntoItselfReadTheOldValues) {
  Matrix* a = Real("A", 2, 2, {1, 2, 3, 4});
  MatPut(a, 2, 2, a);
  ExpectMatrix(a, 3, 3, MAT_REAL, {1, 2, 0, 3, 1, 2, 0, 3, 4});
  Matrix* b = Counting("B", 3, 3);
  MatAreaCopy(b, 2, 2, b, 1, 1, 2, 2);
  ExpectMatrix(b, 3, 3, MAT_REAL, {1, 2, 3, 4, 1, 2, 7, 4, 5});
  Matrix* v = Real("v", 1, 2, {1, 2});
  MatSetVecSubMatrix(v, Row({2, 3}), v);
  ExpectMatrix(v, 1, 3, MAT_REAL, {1, 1, 2});
}

TEST_F(SubTest, AreaCopyAndEnlarge) {
  Matrix* a = MatZDef2(3, 3);
  MatAreaCopy(a, 2, 1, Counting("B", 3, 3), 2, 2, 3, 3);
  ExpectMatrix(a, 3, 3, MAT_REAL, {0, 0, 0, 5, 6, 0, 8, 9, 0});
  ExpectMatrix(MatAreaCopy(C_MatZDef2(1, 2), 1, 2, Real("", 1, 1, {7}), 1, 1, 1, 1), 1, 2, MAT_COMPLEX, {0, 0, 7, 0});
  // Enlarging keeps a local's values, name and code.
  Matrix* g = MatSetType(Real("g", 1, 2, {5, 6}), 1);
  MatEnlargeClass(g, 2, 2, C_MatDef("", 0, 0));
  ExpectMatrix(g, 2, 2, MAT_COMPLEX, {5, 0, 6, 0, 0, 0, 0, 0});
  EXPECT_TRUE(std::string(g->name) == "g" && g->type == 1);
  MatFree(g);
}

TEST_F(SubTest, IndexValuesRoundToNearestWithTiesToEven) {
  Matrix* a = Counting("A", 4, 4);
  ExpectMatrix(MatGetSubMatrix(a, Row({1.5, 2.5, 3.5, 0.5000001}), Row({1})), 4, 1, MAT_REAL, {5, 5, 13, 1});
  ExpectMatrix(MatGetVecSubMatrix(Counting("v", 1, 5), Row({1.5, 2.5, 4.4999})), 1, 3, MAT_REAL, {2, 2, 4});
  Matrix* d = Counting("D", 2, 2);
  MatSetSubMatrix(d, Row({1.5}), Row({2.5}), Real("", 1, 1, {0}));
  ExpectMatrix(d, 2, 2, MAT_REAL, {1, 2, 3, 0});
  MatSetSubMatrix(d, Row({2.5}), Row({1, 2}), Empty());  // deletion rounds too
  ExpectMatrix(d, 1, 2, MAT_REAL, {1, 2});
}

TEST_F(SubTest, GetSubMatrixPicksRowsAndColumnsInIndexOrder) {
  Matrix* a = Counting("A", 3, 3);
  ExpectMatrix(MatGetSubMatrix(a, Row({3, 1}), Row({2, 2, 1})), 2, 3, MAT_REAL, {8, 8, 7, 2, 2, 1});
  ExpectMatrix(MatGetSubMatrix(a, Empty(), Row({1, 2})), 0, 2, MAT_REAL, {});
  // No pair is formed, so the row values are never used.
  ExpectMatrix(MatGetSubMatrix(a, Row({99}), MatDef("", 1, 0)), 1, 0, MAT_REAL, {});
  Matrix* z = Complex2("Z", 1, 2, {1, 2, 3, 4});
  ExpectMatrix(MatGetSubMatrix(z, Row({1}), Row({2, 1})), 1, 2, MAT_COMPLEX, {3, 4, 1, 2});
  ExpectMatrix(MatGetSubMatrix2(a, 3, 1, -2, 1, 3, 2), 2, 2, MAT_REAL, {7, 9, 1, 3});
}

TEST_F(SubTest, SetSubMatrixScattersGrowsAndWidens) {
  ExpectMatrix(MatSetSubMatrix(Counting("A", 3, 3), Row({5}), Row({1, 2, 3}), Real("", 1, 3, {-1, -2, -3})), 5, 3,
               MAT_REAL, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, -1, -2, -3});
  Matrix* b = Counting("B", 2, 2);
  MatSetSubMatrix(b, Row({2, 1}), Row({3}), Real("", 2, 1, {-1, -2}));
  ExpectMatrix(b, 2, 3, MAT_REAL, {1, 2, -2, 3, 4, -1});
  // A source of another shape with the same count gives storage order.
  MatSetSubMatrix(b, Row({1, 2}), Row({1, 2}), Real("", 1, 4, {9, 8, 7, 6}));
  ExpectMatrix(b, 2, 3, MAT_REAL, {9, 8, -2, 7, 6, -1});
  MatSetSubMatrix(b, Row({1}), Row({3}), Complex2("", 1, 1, {0, 1}));
  ExpectMatrix(b, 2, 3, MAT_COMPLEX, {9, 0, 8, 0, 0, 1, 7, 0, 6, 0, -1, 0});
}

TEST_F(SubTest, SetSubMatrixOfEmptySourceDeletesWholeRowsOrColumns) {
  const struct {
    int rows, cols;
    V r, c;
    int outRows, outCols;
    V values;
  } cases[] = {
      {3, 4, {1, 2, 3}, {2, 4}, 3, 2, {1, 3, 5, 7, 9, 11}},
      {3, 2, {3, 1}, {2, 1}, 1, 2, {3, 4}},  // all columns: the listed rows go, in any order
      {3, 3, {3, 1, 2}, {2}, 3, 2, {1, 3, 4, 6, 7, 9}},
      {2, 3, {1, 2}, {1, 2, 3}, 2, 0, {}},
      {2, 3, {}, {1}, 2, 3, {1, 2, 3, 4, 5, 6}},  // an empty index changes nothing
  };
  for (const auto& c : cases) {
    ExpectMatrix(MatSetSubMatrix(Counting("M", c.rows, c.cols), c.r.empty() ? Empty() : Row(c.r), Row(c.c), Empty()),
                 c.outRows, c.outCols, MAT_REAL, c.values);
  }
}

TEST_F(SubTest, RowColumnAndRangeForms) {
  Matrix* a = Counting("A", 2, 2);
  MatSetRowVecs(a, Row({2}), 1, Real("", 1, 4, {5, 6, 7, 8}));
  ExpectMatrix(a, 2, 4, MAT_REAL, {1, 2, 0, 0, 5, 6, 7, 8});
  MatSetColVecs(a, 2, Row({4}), Real("", 2, 1, {-1, -2}));
  ExpectMatrix(a, 3, 4, MAT_REAL, {1, 2, 0, 0, 5, 6, 7, -1, 0, 0, 0, -2});
  // Empty source: every column from j on (rows from i on) is listed.
  MatSetRowVecs(a, Row({1, 3}), 1, Empty());
  ExpectMatrix(a, 1, 4, MAT_REAL, {5, 6, 7, -1});
  MatSetColVecs(a, 1, Row({2, 4}), Empty());
  ExpectMatrix(a, 1, 2, MAT_REAL, {5, 7});

  ExpectMatrix(MatSetRowVecs2(Counting("B", 3, 3), 1, 3, 2, 2, Real("", 2, 2, {-1, -2, -3, -4})), 3, 3, MAT_REAL,
               {1, -1, -2, 4, 5, 6, 7, -3, -4});

  ExpectMatrix(MatSetSubMatrix2(Counting("C", 2, 2), 2, 3, 1, 2, 3, 0, Real("", 2, 2, {5, 6, 7, 8})), 3, 3, MAT_REAL,
               {1, 2, 0, 3, 5, 6, 0, 7, 8});
  // Growth to the last indices comes first, then the widening write.
  ExpectMatrix(MatSetSubMatrix2(Real("D", 1, 1, {1}), 1, 1, 1, 3, 3, 1, Complex2("", 1, 1, {2, 3})), 1, 3, MAT_COMPLEX,
               {1, 0, 0, 0, 2, 3});
}

TEST_F(SubTest, GetVecSubMatrixShapesFollowTheSource) {
  Matrix* row = Counting("r", 1, 10);
  ExpectMatrix(MatGetVecSubMatrix2(row, 3, 5, 1), 1, 3, MAT_REAL, {3, 4, 5});
  Matrix* sq = Counting("S", 3, 3);
  ExpectMatrix(MatGetVecSubMatrix2(sq, 2, 4, 1), 3, 1, MAT_REAL, {2, 3, 4});
  ExpectMatrix(MatGetVecSubMatrix(sq, Row({9, 1})), 2, 1, MAT_REAL, {9, 1});
  ExpectMatrix(MatGetVecSubMatrix(sq, Empty()), 0, 1, MAT_REAL, {});
  ExpectMatrix(MatGetVecSubMatrix(Complex2("z", 2, 1, {1, 2, 3, 4}), Row({2})), 1, 1, MAT_COMPLEX, {3, 4});
}

TEST_F(SubTest, SetVecSubMatrixGrowthShapes) {
  const struct {
    int rows, cols;
    V index;
    int grownRows, grownCols;
  } cases[] = {
      {2, 2, {2, 5}, 3, 2},  // ceil(5/2) rows, same columns
      {1, 2, {4}, 1, 4},    {2, 1, {4}, 4, 1}, {0, 0, {3}, 3, 1},  // 0x0 becomes a column
      {3, 0, {2}, 2, 1},    {0, 2, {3}, 1, 3}, {1, 0, {2}, 1, 2}, {2, 3, {1}, 2, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rows << "x" << c.cols);
    Matrix* m = MatZDef2(c.rows, c.cols);
    MatSetVecSubMatrix(m, Row(c.index), Row(V(c.index.size(), 7.0)));
    ASSERT_TRUE(m->rows == c.grownRows && m->cols == c.grownCols);
    for (double k : c.index) EXPECT_EQ(MatReal(m)[static_cast<int>(k) - 1], 7.0);
  }
  // Old values keep their running indices; widening alone keeps the shape.
  ExpectMatrix(MatSetVecSubMatrix(Counting("A", 2, 2), Row({6, 1}), Real("", 2, 1, {-6, -1})), 3, 2, MAT_REAL,
               {-1, 2, 3, 4, 0, -6});
  ExpectMatrix(MatSetVecSubMatrix2(Counting("B", 1, 3), 1, 1, 1, Complex2("", 1, 1, {0, 5})), 1, 3, MAT_COMPLEX,
               {0, 5, 2, 0, 3, 0});
}

TEST_F(SubTest, SetVecSubMatrixOfEmptySourceDeletesElements) {
  ExpectMatrix(MatSetVecSubMatrix(Counting("A", 2, 2), Row({2}), Empty()), 3, 1, MAT_REAL, {1, 3, 4});
  ExpectMatrix(MatSetVecSubMatrix2(Counting("r", 1, 5), 4, 2, -2, Empty()), 1, 3, MAT_REAL, {1, 3, 5});
  ExpectMatrix(MatSetVecSubMatrix(Counting("all", 2, 2), Row({4, 3, 2, 1}), Empty()), 0, 1, MAT_REAL, {});
  ExpectMatrix(MatSetVecSubMatrix(Counting("same", 2, 2), Empty(), Empty()), 2, 2, MAT_REAL, {1, 2, 3, 4});
}

TEST_F(SubDeathTest, SeriesComplementAndBlockMisuse) {
  const std::string invalid = " is invalid sub-matrix";
  ExpectFatal({
      {[] { MatSeries(1, kNaN, 1); }, "MatSeries(1, nan, 1) : Not appropriate column or row number", "MatSeries()"},
      {[] { MatComplementIndex(Real("ix", 1, 2, {2, 2}), 1, 5); },
       "Not appropriate range for 'ix(1 x 2)'", "MatComplementIndex()"},
      {[] { MatComplementIndex(MatDef("ix", 0, 0), 1, 5); }, "sort(ix(0x0)) : Zero-size matrix", "MatSort()"},
      {[] { MatComplementIndex(C_MatDef("ix", 1, 1), 1, 5); }, "Not a real matrix for 'ix(1 x 1)'",
       "MatComplementIndex()"},
      {[] { MatCut(Counting("A", 3, 3), 1, 1, 4, 1); }, "A(3x3)(1:4,1:1)" + invalid, "MatCut()"},
      {[] { MatCut(MatDef("E", 0, 3), 1, 1, 1, 1); }, "E(0x3)(1:1,1:1) : Zero-size matrix", "MatCut()"},
      {[] { MatCut(Counting("A", 3, 3), 3, 1, 1, 1); }, "MatDef(\"\", -1, 1) : Not appropriate column or row number",
       "MatDef()"},
      {[] { MatCut(OfClass("P", 6), 1, 1, 1, 1); }, "P(1x1)(1:1,1:1) : Incorrect class matrix", "MatCut()"},
      {[] { MatPut(Counting("A", 2, 2), 0, 1, Real("B", 1, 1)); },
       "A(0:0, 1:1)" + invalid + " for 'A(2 x 2)' and 'B(1 x 1)'", "MatPut()"},
      {[] { MatPut(Counting("A", 4, 5), 2, 2, Empty()); }, "A(2:1, 2:1)" + invalid + " for 'A(4 x 5)' and '(0 x 0)'",
       "MatPut()"},
      {[] { MatPut(Counting("A", 4, 5), 1, 7, Empty()); }, "A(4x5)(1:4,1:6)" + invalid, "MatCut()"},
      {[] { MatPut(Counting("A", 1, 1), INT_MAX, 1, Real("B", 2, 1)); },
       "A(2147483647:2147483648, 1:1)" + invalid + " for 'A(1 x 1)' and 'B(2 x 1)'", "MatPut()"},
      {[] { MatPut(Counting("A", 1, 1), 1, 1, OfClass("P", 6)); }, "A(1x1)(1:1, 1:1) = P(1x1) : Incorrect class matrix",
       "MatPut()"},
      {[] { MatAreaCopy(Counting("A", 2, 2), 1, 1, C_MatDef("Z", 1, 1), 1, 1, 1, 1); },
       "A(2x2)(1,1) = Z(1x1)(1:1,1:1) : Class conflict", "MatAreaCopy()"},
      {[] { MatAreaCopy(Counting("A", 2, 2), 2, 2, Counting("B", 3, 3), 1, 1, 2, 2); },
       "A(2x2)(2,2) = B(3x3)(1:1,2:2) : Size conflict", "MatAreaCopy()"},
  });
}

TEST_F(SubDeathTest, IndexVectorMisuse) {
  auto rows = [](const V& v) { return Real("r", 1, static_cast<int>(v.size()), v); };
  auto cols = [](const V& v) { return Real("c", 1, static_cast<int>(v.size()), v); };
  auto a = [] { return Counting("A", 3, 3); };
  auto b = [] { return Real("B", 1, 1); };
  const std::string at = "A(3x3)(r(1x1), c(1x1))", set = "A(3x3)(r(1x1), c(1x1)) = B(1x1) : ";
  const char* get = "MatGetSubMatrix()";
  const char* put = "MatSetSubMatrix()";
  ExpectFatal({
      {[&] { MatGetSubMatrix(a(), C_MatDef("r", 1, 1), cols({1})); }, at + " : Index must be real", get},
      {[&] { MatGetSubMatrix(a(), rows({1}), Real("c", 2, 1)); }, "A(3x3)(r(1x1), c(2x1)) : Index must be row vector",
       get},
      {[&] { MatGetSubMatrix(a(), rows({4}), cols({1})); }, at + " : Index is out of range", get},
      {[&] { MatGetSubMatrix(a(), rows({kNaN}), cols({1})); }, at + " : Index is out of range", get},
      {[&] { MatSetSubMatrix(a(), rows({1}), C_MatDef("c", 1, 1), b()); }, set + "Index must be real", put},
      {[&] { MatSetSubMatrix(a(), Real("r", 2, 2), cols({1}), b()); },
       "A(3x3)(r(2x2), c(1x1)) = B(1x1) : Index must be row vector", put},
      {[&] { MatSetSubMatrix(a(), rows({65536}), cols({65536}), b()); }, set + "Index is out of range", put},
      {[&] { MatSetSubMatrix(a(), rows({5}), cols({1}), MatDef("B", 0, 0)); }, at + " = B(0x0) : Index is out of range",
       put},
      {[] { MatSetSubMatrix(Counting("A", 3, 4), Row({1, 3}), Row({2, 4}), MatDef("B", 0, 0)); },
       "A(3x4)((1x2), (1x2)) = B(0x0) : Not a suitable index", put},
      {[] { MatSetSubMatrix(Counting("A", 2, 2), Real("r", 1, 3, {1, 2, 1}), Row({1}), Empty()); },
       "Not appropriate range for 'r(1 x 3)'", "MatComplementIndex()"},
      {[&] { MatSetSubMatrix(a(), rows({5}), cols({1}), Real("B", 1, 2)); },
       "Incorrect size of matrices for 'A(5 x 3)' and 'B(1 x 2)'", put},
      {[&] { MatSetSubMatrix2(Counting("A", 2, 2), 0, 1, 1, 1, 1, 1, b()); },
       "A(2x2)(0:1, 1:1) = B(1x1) : Not suitable index", "MatSetSubMatrix2()"},
      {[] { MatSetSubMatrix2(Counting("A", 2, 2), 1, 4, 2, 1, 1, 1, Real("B", 3, 1)); },
       "A(2x2)(1:4, 1:1) = B(3x1) : Not suitable index", "MatSetSubMatrix2()"},
  });
}

TEST_F(SubDeathTest, RunningIndexMisuse) {
  auto a = [] { return Counting("A", 2, 2); };
  auto k = [](const V& v) { return Real("k", 1, static_cast<int>(v.size()), v); };
  auto b = [] { return Real("B", 1, 1); };
  const std::string set = "A(2x2)(k(1x1)) = B(1x1) : ";
  const char* get = "MatGetVecSubMatrix()";
  const char* put = "MatSetVecSubMatrix()";
  ExpectFatal({
      {[&] { MatGetVecSubMatrix(a(), C_MatDef("k", 1, 1)); }, "A(2x2)(k(1x1)) : Index must be real", get},
      {[&] { MatGetVecSubMatrix(a(), MatDef("k", 2, 1)); }, "A(2x2)(k(2x1)) : Index must be row vector", get},
      {[&] { MatGetVecSubMatrix(a(), k({1, 5})); }, "A(2x2)(k(1x2)) : Index is out of range", get},
      {[] { MatGetVecSubMatrix2(MatDef("E", 0, 1), 1, 1, 1); }, "E(0x1)(1:1,1:1) : Zero-size matrix", "MatCut()"},
      {[&] { MatSetVecSubMatrix(a(), C_MatDef("k", 1, 1), b()); }, set + "Index must be real", put},
      {[&] { MatSetVecSubMatrix(a(), MatDef("k", 2, 2), b()); }, "A(2x2)(k(2x2)) = B(1x1) : Index must be row vector",
       put},
      {[&] { MatSetVecSubMatrix(a(), k({-0.4}), b()); }, set + "Index is out of range", put},
      {[&] { MatSetVecSubMatrix(a(), k({5}), MatDef("B", 0, 0)); }, "A(2x2)(k(1x1)) = B(0x0) : Index is out of range",
       put},
      {[&] { MatSetVecSubMatrix(a(), k({2, 5}), Real("B", 1, 3)); },
       "Incorrect size of matrices for 'A(3 x 2)' and 'B(1 x 3)'", put},
      {[&] { MatSetVecSubMatrix2(a(), 0, 2, 1, Real("B", 1, 3)); }, "A(2x2)(0:2) = B(1x3) : Not suitable index",
       "MatSetVecSubMatrix2()"},
  });
}

}  // namespace
