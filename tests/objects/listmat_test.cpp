// The List wrappers of sort, size and extremes, unpacked the way compiled
// code does: ListAssign into a List variable named "LIST_TEMP", then each
// element read by position and class with ListGetElementP.
#include <cstdint>
#include <string>
#include <vector>

#include "matrix/matrix_test_util.h"
#include "support/vorn_test.h"

namespace {

using ListMatTest = VornTest;
using ListMatDeathTest = VornTest;

using V = std::vector<double>;
const ::testing::ExitedWithCode kFatal(255);

Matrix* Real(const char* name, int rows, int cols, const V& values) {
  Matrix* m = MatDef(name, rows, cols);
  for (size_t k = 0; k < values.size(); k++) MatReal(m)[k] = values[k];
  return m;
}

V valuesOf(const Matrix* m) {
  const size_t n = static_cast<size_t>(m->rows) * m->cols * (m->class_ == MAT_COMPLEX ? 2 : 1);
  return V(MatReal(m), MatReal(m) + n);
}

// The locals of a compiled routine receiving a two-matrix result.
class Unpacked {
 public:
  Unpacked()
      : temp_(ListSetType(ListDef("", 0), 1)),
        first_(MatSetType(MatDef("first", 0, 0), 1)),
        second_(MatSetType(MatDef("second", 0, 0), 1)) {}
  ~Unpacked() {
    ListUndef(temp_);
    MatUndef(first_);
    MatUndef(second_);
  }
  // {first, second} = result
  void Take(List* result, int class1, int class2) {
    ListAssign(temp_, result);
    ListSetName(temp_, "LIST_TEMP");
    MatAssign(first_, static_cast<Matrix*>(ListGetElementP(temp_, 1, class1)));
    MatAssign(second_, static_cast<Matrix*>(ListGetElementP(temp_, 2, class2)));
  }
  List* temp() const { return temp_; }
  Matrix* first() const { return first_; }
  Matrix* second() const { return second_; }

 private:
  List* temp_;
  Matrix* first_;
  Matrix* second_;
};

TEST_F(ListMatTest, SortGivesValuesAndIndex) {
  Unpacked u;
  u.Take(ListMatSort(Real("", 1, 3, {3, 1, 2}), LIST_MATRIX, 0), LIST_MATRIX, LIST_INDEX);
  EXPECT_EQ(u.temp()->length, 2);
  EXPECT_EQ(ListGetClass(u.temp(), 1), LIST_MATRIX);
  EXPECT_EQ(ListGetClass(u.temp(), 2), LIST_INDEX);
  EXPECT_EQ(valuesOf(u.first()), (V{1, 2, 3}));
  EXPECT_EQ(valuesOf(u.second()), (V{2, 3, 1}));
  EXPECT_STREQ(u.first()->name, "first");
  // The values' tag is the caller's; the mode reaches the sort.
  u.Take(ListMatSort(Real("", 2, 2, {4, 1, 3, 2}), LIST_ARRAY, 1), LIST_ARRAY, LIST_INDEX);
  EXPECT_EQ(ListGetClass(u.temp(), 1), LIST_ARRAY);
  EXPECT_EQ(valuesOf(u.first()), (V{3, 1, 4, 2}));
  EXPECT_EQ(valuesOf(u.second()), (V{2, 1, 1, 2}));
}

TEST_F(ListMatTest, SizeGivesTwoIntegers) {
  List* temp = ListSetType(ListDef("", 0), 1);
  ListAssign(temp, ListMatSize(MatDef("", 3, 7)));
  ListSetName(temp, "LIST_TEMP");
  EXPECT_EQ(ListGetClass(temp, 1), LIST_INTEGER);
  EXPECT_EQ(*static_cast<int32_t*>(ListGetElementP(temp, 1, LIST_INTEGER)), 3);
  EXPECT_EQ(*static_cast<int32_t*>(ListGetElementP(temp, 2, LIST_INTEGER)), 7);
  ListUndef(temp);
}

TEST_F(ListMatTest, ExtremesOfRowsOrColumnsWithPositions) {
  Unpacked u;
  Matrix* m = MatSetType(Real("m", 2, 3, {1, 9, 9, 4, -1, 4}), 1);
  u.Take(ListMatMaximum(m, 0), LIST_MATRIX, LIST_INDEX);
  EXPECT_EQ(ListGetClass(u.temp(), 1), LIST_MATRIX);
  EXPECT_EQ(ListGetClass(u.temp(), 2), LIST_INDEX);
  EXPECT_EQ(u.first()->rows, 2);
  EXPECT_EQ(valuesOf(u.first()), (V{9, 4}));
  EXPECT_EQ(valuesOf(u.second()), (V{2, 1}));
  u.Take(ListMatMinimum(m, 1), LIST_MATRIX, LIST_INDEX);
  EXPECT_EQ(u.first()->cols, 3);
  EXPECT_EQ(valuesOf(u.first()), (V{1, -1, 4}));
  EXPECT_EQ(valuesOf(u.second()), (V{1, 2, 2}));
  // Complex extremes by modulus.
  Matrix* z = C_MatDef("", 1, 2);
  const V parts{3, 4, 0, -6};
  for (size_t k = 0; k < parts.size(); k++) MatReal(z)[k] = parts[k];
  u.Take(ListMatMaximum(z, 1), LIST_MATRIX, LIST_INDEX);
  EXPECT_EQ(valuesOf(u.first()), (V{0, -6}));
  EXPECT_EQ(valuesOf(u.second()), (V{2}));
  MatUndef(m);
}

TEST_F(ListMatTest, ExtremeElementAndItsRowAndColumn) {
  Unpacked u;
  u.Take(ListMatMaximumElem(Real("", 2, 3, {1, 5, 9, 9, -2, -2})), LIST_MATRIX, LIST_INDEX);
  EXPECT_EQ(valuesOf(u.first()), (V{9}));
  EXPECT_EQ(valuesOf(u.second()), (V{1, 3}));
  u.Take(ListMatMinimumElem(Real("", 2, 3, {1, 5, 9, 9, -2, -2})), LIST_MATRIX, LIST_INDEX);
  EXPECT_EQ(valuesOf(u.first()), (V{-2}));
  EXPECT_EQ(valuesOf(u.second()), (V{2, 2}));
  u.Take(ListMatMinimumElem(MatDef("", 0, 0)), LIST_MATRIX, LIST_INDEX);
  EXPECT_EQ(valuesOf(u.first()), (V{0}));
  EXPECT_EQ(valuesOf(u.second()), (V{0, 0}));
}

// "Not a real nor a complex matrix" is a List report: the message is
// followed by a space before " in ".
TEST_F(ListMatDeathTest, Reports) {
  // The polynomial-class matrices are made inside the dying statements:
  // their storage is not what the class says.
  EXPECT_EXIT(ListMatMaximum(MatSetClass(MatDef("P", 1, 1), MAT_POLY), 0), kFatal,
              ReportLine("maximum_row(P) : Not a real nor a complex matrix ", "ListMatMaximum()"));
  EXPECT_EXIT(ListMatMaximum(MatSetClass(MatDef("", 1, 1), MAT_RATIONAL), 1), kFatal,
              ReportLine("maximum_col({...}) : Not a real nor a complex matrix ",
                         "ListMatMaximum()"));
  EXPECT_EXIT(ListMatMinimum(MatSetClass(MatDef("Q", 1, 1), MAT_C_POLY), 1), kFatal,
              ReportLine("maximum_col(Q) : Not a real nor a complex matrix ", "ListMatMinimum()"));
  EXPECT_EXIT(ListMatSort(Real("", 1, 1, {1}), LIST_REAL, 0), kFatal,
              ReportLine("Incorrect class ", "ListMatSort()"));
  EXPECT_EXIT(ListMatSort(MatDef("E", 0, 0), LIST_MATRIX, 0), kFatal,
              ReportLine("sort(E(0x0)) : Zero-size matrix", "MatSort()"));
  EXPECT_EXIT(ListMatMaximumElem(C_MatDef("Z", 1, 1)), kFatal,
              ReportLine("maximum(Z(1x1)) : Not a real matrix", "MatMaximumElem()"));
}

}  // namespace
