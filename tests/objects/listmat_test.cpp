// The List wrappers of sort and extremes, unpacked as compiled code does:
// ListAssign into "LIST_TEMP", then ListGetElementP by position and class.
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;

// The locals of a compiled routine receiving {first, second} = result.
class ListMatTest : public VornTest {
 protected:
  void Take(List* result, int class1, int class2) {
    ListAssign(temp_, result);
    ListSetName(temp_, "LIST_TEMP");
    MatAssign(first_, static_cast<Matrix*>(ListGetElementP(temp_, 1, class1)));
    MatAssign(second_, static_cast<Matrix*>(ListGetElementP(temp_, 2, class2)));
  }
  void SetUp() override {
    VornTest::SetUp();
    temp_ = ListSetType(ListDef("", 0), 1);
    first_ = MatSetType(MatDef("first", 0, 0), 1);
    second_ = MatSetType(MatDef("second", 0, 0), 1);
  }
  void TearDown() override {
    ListUndef(temp_), MatUndef(first_), MatUndef(second_);
    VornTest::TearDown();
  }
  List* temp_ = nullptr;
  Matrix *first_ = nullptr, *second_ = nullptr;
};
using ListMatDeathTest = VornTest;

TEST_F(ListMatTest, SortGivesValuesAndIndex) {
  Take(ListMatSort(Real("", 1, 3, {3, 1, 2}), LIST_MATRIX, 0), LIST_MATRIX, LIST_INDEX);
  EXPECT_TRUE(temp_->length == 2 && ListGetClass(temp_, 2) == LIST_INDEX);
  EXPECT_EQ(valuesOf(first_), (V{1, 2, 3}));
  EXPECT_EQ(valuesOf(second_), (V{2, 3, 1}));
  // The values' tag is the caller's; the mode reaches the sort.
  Take(ListMatSort(Real("", 2, 2, {4, 1, 3, 2}), LIST_ARRAY, 1), LIST_ARRAY, LIST_INDEX);
  EXPECT_EQ(ListGetClass(temp_, 1), LIST_ARRAY);
  EXPECT_EQ(valuesOf(first_), (V{3, 1, 4, 2}));
  EXPECT_EQ(valuesOf(second_), (V{2, 1, 1, 2}));
}

TEST_F(ListMatTest, ExtremesWithTheirPositions) {
  Matrix* m = MatSetType(Real("m", 2, 3, {1, 9, 9, 4, -1, 4}), 1);
  Take(ListMatMaximum(m, 0), LIST_MATRIX, LIST_INDEX);
  ExpectMatrix(first_, 2, 1, MAT_REAL, {9, 4});
  EXPECT_EQ(valuesOf(second_), (V{2, 1}));
  Take(ListMatMinimum(m, 1), LIST_MATRIX, LIST_INDEX);
  EXPECT_EQ(valuesOf(first_), (V{1, -1, 4}));
  EXPECT_EQ(valuesOf(second_), (V{1, 2, 2}));
  Take(ListMatMaximum(Complex2("", 1, 2, {3, 4, 0, -6}), 1), LIST_MATRIX, LIST_INDEX);
  EXPECT_EQ(valuesOf(first_), (V{0, -6}));  // by modulus
  EXPECT_EQ(valuesOf(second_), (V{2}));
  // The element-wise forms: the value, and [row, col] of its first place.
  Take(ListMatMaximumElem(m), LIST_MATRIX, LIST_INDEX);
  EXPECT_EQ(valuesOf(first_), (V{9}));
  EXPECT_EQ(valuesOf(second_), (V{1, 2}));
  MatUndef(m);
}

// A List report: the message is followed by a space before " in ".
TEST_F(ListMatDeathTest, Reports) {
  const std::string notNumeric = " : Not a real nor a complex matrix ";
  ExpectFatal({
      {[&] { ListMatMaximum(OfClass("P", MAT_POLY), 0); }, "maximum_row(P)" + notNumeric, "ListMatMaximum()"},
      {[&] { ListMatMinimum(OfClass("", MAT_RATIONAL), 1); }, "maximum_col({...})" + notNumeric, "ListMatMinimum()"},
      {[] { ListMatSort(Real("", 1, 1, {1}), LIST_REAL, 0); }, "Incorrect class ", "ListMatSort()"},
      {[] { ListMatMaximumElem(C_MatDef("Z", 1, 1)); }, "maximum(Z(1x1)) : Not a real matrix", "MatMaximumElem()"},
  });
}

}  // namespace
