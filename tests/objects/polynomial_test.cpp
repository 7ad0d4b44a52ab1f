// Polynomials: recycling by degree and class, copies, moves and
// assignment, and the reports.
#include <functional>
#include <string>
#include <vector>

#include "support/vorn_test.h"

namespace {

using PolynomialTest = VornTest;
using PolynomialDeathTest = VornTest;
using V = std::vector<double>;

// A polynomial of the class with the given doubles as its coefficient row
// (real parts and imaginary parts interleaved for class 1).
Polynomial* Poly(int class_, const V& row, const char* variable = nullptr) {
  const int n = static_cast<int>(row.size()) / (class_ == 1 ? 2 : 1);
  Polynomial* p = class_ == 1 ? C_PolyDef("", n - 1, variable) : PolyDef("", n - 1, variable);
  for (size_t k = 0; k < row.size(); k++) MatReal(p->coef)[k] = row[k];
  return p;
}

V Row(Polynomial* p) {
  const size_t n = static_cast<size_t>(p->coef->rows * p->coef->cols) * (p->class_ == 1 ? 2 : 1);
  return V(MatReal(p->coef), MatReal(p->coef) + n);
}

// The coefficient row matches the polynomial's degree and class.
void ExpectConsistent(Polynomial* p) {
  EXPECT_EQ(p->coef->rows, 1);
  EXPECT_EQ(p->coef->cols, p->degree + 1);
  EXPECT_EQ(p->coef->class_, p->class_);
  EXPECT_EQ(p->coef->type, 2);
}

Polynomial* Def(int degree, int class_) {
  return class_ == 1 ? C_PolyDef("", degree, nullptr) : PolyDef("", degree, nullptr);
}

TEST_F(PolynomialTest, RecyclingByDegreeAndClass) {
  Polynomial* p = PolySetName(Poly(0, {1, 2, 3}, "x"), "a");
  Matrix* row = p->coef;
  PolyUndef(p);
  Polynomial* q = PolyDef("b", 2, nullptr);   // the same record and row, zeroed
  EXPECT_EQ(q, p);
  EXPECT_EQ(q->coef, row);
  EXPECT_EQ(Row(q), (V{0, 0, 0}));
  EXPECT_EQ(q->variable, nullptr);
  EXPECT_STREQ(q->name, "b");
  for (const auto& c : {std::pair<int, int>{2, 1}, {-1, 0}, {-1, 1}, {0, 0}}) {
    Polynomial* r = Def(c.first, c.second);
    PolyUndef(r);
    EXPECT_NE(Def(c.first, 1 - c.second), r) << c.first << "/" << c.second;
    Polynomial* same = Def(c.first, c.second);
    EXPECT_EQ(same, r) << c.first << "/" << c.second;
    ExpectConsistent(same);
  }
  const int matrices = MatLiveCount(), live = PolyLiveCount();
  PolyUndef(PolyDef("", 1001, nullptr));   // past POLYNOMIAL_DEGREE_MAX (default 1000)
  EXPECT_EQ(PolyTableCount(1001, 0), 0);
  EXPECT_EQ(PolyLiveCount(), live);
  EXPECT_EQ(MatLiveCount(), matrices);
}

TEST_F(PolynomialTest, ParkedRowSurvivesAReleaseOfMatricesFromAMarker) {
  Matrix* marker = MatSetType(MatDef("", 0, 0), 1);
  Polynomial* p = PolyDef("", 3, nullptr);
  Matrix* row = p->coef;
  PolyUndef(p);
  MatUndefs(marker);   // everything after the marker, as a scope close does
  EXPECT_FALSE(row->parked);
  Polynomial* q = PolyDef("", 3, nullptr);
  ASSERT_EQ(q, p);
  EXPECT_EQ(q->coef, row);
  EXPECT_NE(row->prev, nullptr);   // live again
  ExpectConsistent(q);
}

class PolynomialCopyTest : public VornTest, public ::testing::WithParamInterface<int> {};

TEST_P(PolynomialCopyTest, CopiesCarryTheCoefficients) {
  const int class_ = GetParam();
  const V row = class_ == 1 ? V{1, -1, 0, 2, 3, 0} : V{1, -1, 0.5};
  Polynomial* p = Poly(class_, row, "z");
  Polynomial* dup = PolyDup(p);
  EXPECT_NE(dup->variable, p->variable);
  EXPECT_STREQ(dup->variable, "z");
  EXPECT_EQ(Row(dup), row);
  ExpectConsistent(dup);
  MatReal(dup->coef)[0] = 99.0;
  EXPECT_EQ(Row(p), row);   // independent
  Polynomial* dst = Poly(class_, V(row.size(), 0.0), "w");
  PolyCopy(dst, p);
  EXPECT_EQ(Row(dst), row);
  EXPECT_STREQ(dst->variable, "w");   // coefficients only
  // An element copy takes shape, class, code and variable, and gives the old row back.
  Polynomial* into = PolySetType(PolySetName(Poly(1 - class_, V(6, 0.0)), "d"), 1);
  PolySetType(p, 4);
  const int matrices = MatLiveCount();
  PolyElementCopy(into, p);
  EXPECT_EQ(MatLiveCount(), matrices);
  EXPECT_EQ(into->class_, class_);
  EXPECT_EQ(into->type, 4);
  EXPECT_STREQ(into->variable, "z");
  EXPECT_STREQ(into->name, "d");
  EXPECT_EQ(Row(into), row);
  ExpectConsistent(into);
  PolySetType(p, 0);
  PolySetType(into, 0);
}

INSTANTIATE_TEST_SUITE_P(RealAndComplex, PolynomialCopyTest, ::testing::Values(0, 1));

TEST_F(PolynomialTest, MoveSwapAndAssign) {
  Polynomial* var = PolySetType(Poly(0, {1, 2}, "x"), 1);
  Polynomial* src = Poly(1, {3, 4});
  Matrix* oldRow = var->coef;
  Matrix* newRow = src->coef;
  PolyMove(var, src);   // var keeps type 1; src becomes a temporary with var's old contents
  EXPECT_EQ(var->coef, newRow);
  EXPECT_EQ(var->class_, 1);
  EXPECT_EQ(var->type, 1);
  EXPECT_EQ(var->variable, nullptr);
  EXPECT_EQ(src->coef, oldRow);
  EXPECT_STREQ(src->variable, "x");
  Polynomial* other = Poly(1, {5, 6});
  PolySwap(var, other);
  EXPECT_EQ(var->coef, newRow);   // values exchanged, rows stay
  EXPECT_EQ(Row(var), (V{5, 6}));
  EXPECT_EQ(Row(other), (V{3, 4}));

  Polynomial* tmp = Poly(1, {1, 2, 3, 4}, "x");
  Matrix* row = tmp->coef;
  Matrix* m = MatDef("", 1, 1);   // a temporary of another kind
  PolyAssign(var, tmp);
  EXPECT_EQ(var->coef, row);   // taken over, not copied
  EXPECT_EQ(var->type, 1);
  EXPECT_STREQ(var->variable, "x");
  EXPECT_TRUE(tmp->parked && m->parked);   // the statement's temporaries are released
  Polynomial* global = PolySetType(Poly(0, {7}), 4);
  PolyAssign(var, global);
  EXPECT_NE(var->coef, global->coef);
  EXPECT_EQ(Row(var), (V{7}));
  EXPECT_EQ(var->variable, nullptr);
  EXPECT_EQ(global->type, 4);
  Polynomial* pending = PolyDef("", 0, nullptr);
  PolyAssign(var, var);   // releases nothing
  EXPECT_FALSE(pending->parked);
  PolySetType(var, 0);
  PolySetType(global, 0);
}

TEST_F(PolynomialDeathTest, Reports) {
  Polynomial* empty = PolySetName(PolyDef("", -1, "x"), "p");
  Polynomial* two = Poly(0, {1, 0, 1});
  PolyUndefCheck(two, "PolyAdd()");   // passes
  Polynomial* realLine = PolySetName(Poly(0, {1, 2}), "r");
  Polynomial* complexLine = PolySetName(Poly(1, {1, 0, 2, 0}), "c");
  Polynomial* square = Poly(0, {1, 2, 3}, "x");
  Polynomial* var = PolySetType(PolyDef("v", 0, nullptr), 1);
  Polynomial* parked = PolyDef("", 1, nullptr);   // last, so that nothing revives it
  PolyUndef(parked);
  const std::string classes = "Confliction of class for 'c(s^1)' and 'r(s^1)'", undefined = "Undefined polynomial for ";
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { PolyUndef(parked); }, ReportLine("Duplicate undefining", "PolyUndef()")},
      {[&] { PolyDestroy(parked); }, ReportLine("Duplicate destroying", "PolyDestroy()")},
      {[&] { PolyUndefCheck(empty, "PolyAdd()"); }, ReportLine(undefined + "'p(x^-1)'", "PolyAdd()")},
      {[&] { PolyUndefCheck2(two, empty, "F()"); }, ReportLine(undefined + "'(s^2)' and 'p(x^-1)'", "F()")},
      {[&] { PolyUndefCheck2(empty, two, "F()"); }, ReportLine(undefined + "'p(x^-1)' and '(s^2)'", "F()")},
      {[&] { PolyCopy(realLine, complexLine); }, ReportLine(classes, "PolyCopy()")},
      {[&] { PolyCopy(realLine, square); }, ReportLine("Confliction of size for '(x^2)' and 'r(s^1)'", "PolyCopy()")},
      {[&] { PolySwap(realLine, complexLine); }, ReportLine(classes, "PolySwap()")},
      {[&] { PolySwap(square, realLine); }, ReportLine("Confliction of size for 'r(s^1)' and '(x^2)'", "PolySwap()")},
      {[&] { PolyAssign(var, PolyDef("", -1, nullptr)); }, ReportLine(undefined + "'(s^-1)'", "PolyAssign()")},
  };
  for (const auto& c : cases) EXPECT_EXIT(c.first(), kFatal, c.second);
  PolySetType(var, 0);
}

}  // namespace
