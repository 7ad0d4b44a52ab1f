// Matrices from value lists and back, for the matrix and object tests.
#pragma once

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/vorn.h"

namespace vorn_values {

using V = std::vector<double>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// A named temporary; complex values are (re, im) pairs in storage order.
inline Matrix* Real(const char* name, int rows, int cols, const V& values = {}) {
  Matrix* m = MatDef(name, rows, cols);
  if (!values.empty()) std::memcpy(m->data, values.data(), values.size() * sizeof(double));
  return m;
}
inline Matrix* Complex2(const char* name, int rows, int cols, const V& values) {
  Matrix* m = C_MatDef(name, rows, cols);
  if (!values.empty()) std::memcpy(m->data, values.data(), values.size() * sizeof(double));
  return m;
}
inline Matrix* Row(const V& values) { return Real("", 1, static_cast<int>(values.size()), values); }
// 1..rows*cols in storage order.
inline Matrix* Counting(const char* name, int rows, int cols) {
  Matrix* m = MatDef(name, rows, cols);
  for (int k = 0; k < rows * cols; k++) MatReal(m)[k] = k + 1;
  return m;
}
// A 1x1 matrix of another class whose storage is not what the class says:
// make it only inside a dying statement.
inline Matrix* OfClass(const char* name, int class_) { return MatSetClass(MatDef(name, 1, 1), class_); }

// Coefficients in storage order, lowest degree first; a complex polynomial
// (class 1) takes (re, im) pairs.
inline void SetCoefficients(Polynomial* p, const V& row) {
  std::memcpy(MatReal(p->coef), row.data(), row.size() * sizeof(double));
}
inline Polynomial* PolyOf(int class_, const V& row, const char* variable = nullptr) {
  const int degree = static_cast<int>(row.size()) / (class_ == MAT_COMPLEX ? 2 : 1) - 1;
  Polynomial* p = class_ == MAT_COMPLEX ? C_PolyDef("", degree, variable) : PolyDef("", degree, variable);
  SetCoefficients(p, row);
  return p;
}

inline V valuesOf(const Matrix* m) {
  const size_t n = static_cast<size_t>(m->rows) * m->cols * (m->class_ == MAT_COMPLEX ? 2 : 1);
  return n == 0 ? V() : V(MatReal(m), MatReal(m) + n);
}

// Equal bit patterns: NaN matches NaN, -0.0 differs from 0.0.
inline ::testing::AssertionResult SameBits(const V& got, const V& want) {
  if (got.size() != want.size())
    return ::testing::AssertionFailure() << "sizes " << got.size() << " and " << want.size();
  for (size_t k = 0; k < got.size(); k++)
    if (std::memcmp(&got[k], &want[k], sizeof(double)) != 0)
      return ::testing::AssertionFailure() << "at " << k << ": " << got[k] << " != " << want[k];
  return ::testing::AssertionSuccess();
}

inline void ExpectShape(const Matrix* m, int rows, int cols, int class_) {
  EXPECT_EQ(m->rows, rows);
  EXPECT_EQ(m->cols, cols);
  EXPECT_EQ(m->class_, class_);
}

// Shape, class and values (bit for bit) at once.
inline void ExpectMatrix(const Matrix* m, int rows, int cols, int class_, const V& values) {
  ExpectShape(m, rows, cols, class_);
  if (m->rows == rows && m->cols == cols && m->class_ == class_) {
    EXPECT_TRUE(SameBits(valuesOf(m), values));
  }
}

}  // namespace vorn_values
