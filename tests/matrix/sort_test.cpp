// MatSort against a plain exchange sort (adjacent exchanges of a strictly
// greater element until none happens) on random inputs with ties and NaNs.
#include <random>
#include <utility>

#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using SortTest = VornTest;
using SortDeathTest = VornTest;

struct Reference {
  V values, index;  // values: (re, im) pairs for complex
  int indexRows, indexCols;
};

// Sorts the n elements at first, first + step, ... by adjacent exchanges;
// w doubles per element, key re (real) or re*re + im*im (complex).
void exchangeSort(V& x, V& idx, size_t first, size_t n, size_t step, int w) {
  const auto key = [&](size_t k) {
    const double* e = &x[(first + k * step) * w];
    return w == 1 ? e[0] : e[0] * e[0] + e[1] * e[1];
  };
  bool exchanged = true;
  while (exchanged) {
    exchanged = false;
    for (size_t k = 0; k + 1 < n; k++) {
      if (key(k) > key(k + 1)) {
        for (int p = 0; p < w; p++) std::swap(x[(first + k * step) * w + p], x[(first + (k + 1) * step) * w + p]);
        std::swap(idx[first + k * step], idx[first + (k + 1) * step]);
        exchanged = true;
      }
    }
  }
}

// Mode 1 sorts the transpose by rows (here: each column in place);
// vectors and mode 2 sort the whole storage; other modes each row.
Reference referenceSort(const Matrix* m, int mode) {
  const int w = m->class_ == MAT_COMPLEX ? 2 : 1;
  const size_t rows = m->rows, cols = m->cols, n = rows * cols;
  const bool vector = rows == 1 || cols == 1;
  Reference r{valuesOf(m), V(n), vector ? 1 : m->rows, vector ? static_cast<int>(n) : m->cols};
  if (vector || mode == 2) {
    for (size_t k = 0; k < n; k++) r.index[k] = k + 1;
    exchangeSort(r.values, r.index, 0, n, 1, w);
  } else if (mode == 1) {
    for (size_t k = 0; k < n; k++) r.index[k] = k / cols + 1;
    for (size_t j = 0; j < cols; j++) exchangeSort(r.values, r.index, j, rows, cols, w);
  } else {
    for (size_t k = 0; k < n; k++) r.index[k] = k % cols + 1;
    for (size_t i = 0; i < rows; i++) exchangeSort(r.values, r.index, i * cols, cols, 1, w);
  }
  return r;
}

// Small integers for many ties (including -0.0 against 0.0), some NaNs.
double randomValue(std::mt19937& gen) {
  const int pick = std::uniform_int_distribution<int>(0, 19)(gen);
  return pick == 0 ? kNaN : pick == 1 ? -0.0 : std::uniform_int_distribution<int>(-3, 3)(gen);
}

TEST_F(SortTest, MatchesTheExchangeSortOnRandomInputs) {
  std::mt19937 gen(20240611);
  Matrix* index = MatSetType(MatDef("ix", 0, 0), 1);
  for (int trial = 0; trial < 3000; trial++) {
    int rows = std::uniform_int_distribution<int>(1, 7)(gen);
    int cols = std::uniform_int_distribution<int>(1, 7)(gen);
    if (trial % 10 == 0) {  // longer runs: a vector of up to 300 elements
      rows = trial % 20 == 0 ? 1 : std::uniform_int_distribution<int>(8, 300)(gen);
      cols = rows == 1 ? std::uniform_int_distribution<int>(8, 300)(gen) : 1;
    }
    const int mode = std::uniform_int_distribution<int>(0, 3)(gen);  // 3 acts as 0
    const bool complex = trial % 3 == 2;
    Matrix* m = complex ? C_MatDef("", rows, cols) : MatDef("", rows, cols);
    const size_t w = complex ? 2 : 1;
    for (size_t k = 0; k < static_cast<size_t>(rows) * cols * w; k++) MatReal(m)[k] = randomValue(gen);
    const V before = valuesOf(m);
    const Reference want = referenceSort(m, mode);
    Matrix* sorted = MatSort(m, index, mode);
    SCOPED_TRACE(testing::Message() << "trial " << trial << ": " << rows << "x" << cols << (complex ? " complex" : "")
                                    << " mode " << mode);
    ExpectShape(sorted, rows, cols, m->class_);
    ASSERT_TRUE(SameBits(valuesOf(sorted), want.values));
    ExpectShape(index, want.indexRows, want.indexCols, MAT_REAL);
    ASSERT_EQ(valuesOf(index), want.index);
    ASSERT_TRUE(SameBits(valuesOf(m), before));  // the operand is left alone
    MatObjectTmpUndef();
  }
  EXPECT_TRUE(index->type == 1 && std::string(index->name) == "ix");
  MatUndef(index);
}

TEST_F(SortTest, TheIndexMayBeTheOperandItself) {
  Matrix* m = MatSetType(Real("m", 1, 3, {30, 10, 20}), 1);
  EXPECT_EQ(valuesOf(MatSort(m, m, 0)), (V{10, 20, 30}));
  EXPECT_EQ(valuesOf(m), (V{2, 3, 1}));
  EXPECT_EQ(m->type, 1);
  MatUndef(m);
}

TEST_F(SortDeathTest, EmptyAndNonNumericOperandsAreFatal) {
  Matrix* index = MatDef("", 0, 0);
  ExpectFatal({
      {[&] { MatSort(MatDef("A", 0, 0), index, 0); }, "sort(A(0x0)) : Zero-size matrix", "MatSort()"},
      {[&] { MatSort(OfClass("P", MAT_POLY), index, 0); }, "sort(P(1x1)) : Incorrect class matrix", "MatSort()"},
  });
}

}  // namespace
