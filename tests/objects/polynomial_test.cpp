// Polynomials: recycling by degree and class, copies, swap and assignment, reports.
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using PolynomialTest = VornTest;
using PolynomialDeathTest = VornTest;

// The coefficient row matches the polynomial's degree and class.
void ExpectConsistent(Polynomial* p) {
  ExpectShape(p->coef, 1, p->degree + 1, p->class_);
  EXPECT_EQ(p->coef->type, 2);
}

Polynomial* Def(int degree, int class_) {
  return class_ == 1 ? C_PolyDef("", degree, nullptr) : PolyDef("", degree, nullptr);
}

TEST_F(PolynomialTest, RecyclingByDegreeAndClass) {
  Polynomial* p = PolySetName(PolyOf(0, {1, 2, 3}, "x"), "a");
  Matrix* row = p->coef;
  PolyUndef(p);
  Polynomial* q = PolyDef("b", 2, nullptr);  // the same record and row, zeroed
  EXPECT_TRUE(q == p && q->coef == row && q->variable == nullptr);
  EXPECT_EQ(valuesOf(q->coef), (V{0, 0, 0}));
  for (const auto& c : {std::pair<int, int>{2, 1}, {-1, 0}, {-1, 1}, {0, 0}}) {
    Polynomial* r = Def(c.first, c.second);
    PolyUndef(r);
    EXPECT_NE(Def(c.first, 1 - c.second), r) << c.first << "/" << c.second;
    Polynomial* same = Def(c.first, c.second);
    EXPECT_EQ(same, r) << c.first << "/" << c.second;
    ExpectConsistent(same);
  }
  const int matrices = MatLiveCount(), live = PolyLiveCount();
  PolyUndef(PolyDef("", 1001, nullptr));  // past POLYNOMIAL_DEGREE_MAX (default 1000)
  EXPECT_TRUE(PolyTableCount(1001, 0) == 0 && PolyLiveCount() == live && MatLiveCount() == matrices);
}

TEST_F(PolynomialTest, ParkedRowSurvivesAReleaseOfMatricesFromAMarker) {
  Matrix* marker = MatSetType(MatDef("", 0, 0), 1);
  Polynomial* p = PolyDef("", 3, nullptr);
  Matrix* row = p->coef;
  PolyUndef(p);
  MatUndefs(marker);  // everything after the marker, as a scope close does
  EXPECT_FALSE(row->parked);
  Polynomial* q = PolyDef("", 3, nullptr);
  ASSERT_EQ(q, p);
  EXPECT_TRUE(q->coef == row && row->prev != nullptr);  // live again
  ExpectConsistent(q);
}

class PolynomialCopyTest : public VornTest, public ::testing::WithParamInterface<int> {};

TEST_P(PolynomialCopyTest, CopiesCarryTheCoefficients) {
  const int class_ = GetParam();
  const V row = class_ == 1 ? V{1, -1, 0, 2, 3, 0} : V{1, -1, 0.5};
  Polynomial* p = PolyOf(class_, row, "z");
  Polynomial* dup = PolyDup(p);
  EXPECT_TRUE(dup->variable != p->variable && std::string(dup->variable) == "z");
  EXPECT_EQ(valuesOf(dup->coef), row);
  MatReal(dup->coef)[0] = 99.0;
  EXPECT_EQ(valuesOf(p->coef), row);  // independent
  Polynomial* dst = PolyOf(class_, V(row.size(), 0.0), "w");
  PolyCopy(dst, p);
  EXPECT_EQ(valuesOf(dst->coef), row);
  EXPECT_STREQ(dst->variable, "w");  // coefficients only
  // An element copy takes shape, class, code and variable, and gives the old row back.
  Polynomial* into = PolySetType(PolySetName(PolyOf(1 - class_, V(6, 0.0)), "d"), 1);
  PolySetType(p, 4);
  const int matrices = MatLiveCount();
  PolyElementCopy(into, p);
  EXPECT_TRUE(MatLiveCount() == matrices && into->type == 4);
  EXPECT_EQ(std::string(into->variable) + into->name, "zd");
  EXPECT_EQ(valuesOf(into->coef), row);
  ExpectConsistent(into);
  PolySetType(p, 0);
  PolySetType(into, 0);
}

INSTANTIATE_TEST_SUITE_P(RealAndComplex, PolynomialCopyTest, ::testing::Values(0, 1));

TEST_F(PolynomialTest, SwapAndAssign) {
  Polynomial* var = PolySetType(PolyOf(1, {3, 4}), 1);
  Polynomial* other = PolyOf(1, {5, 6});
  Matrix* row = var->coef;
  PolySwap(var, other);
  EXPECT_EQ(var->coef, row);  // values exchanged, rows stay
  EXPECT_EQ(valuesOf(var->coef), (V{5, 6}));
  EXPECT_EQ(valuesOf(other->coef), (V{3, 4}));

  Polynomial* tmp = PolyOf(1, {1, 2, 3, 4}, "x");
  row = tmp->coef;
  Matrix* m = MatDef("", 1, 1);  // a temporary of another kind
  PolyAssign(var, tmp);
  EXPECT_TRUE(var->coef == row && var->type == 1);  // taken over, not copied
  EXPECT_STREQ(var->variable, "x");
  EXPECT_TRUE(tmp->parked && m->parked);  // the statement's temporaries are released
  Polynomial* global = PolySetType(PolyOf(0, {7}), 4);
  PolyAssign(var, global);
  EXPECT_TRUE(var->coef != global->coef && var->variable == nullptr && global->type == 4);
  EXPECT_EQ(valuesOf(var->coef), (V{7}));
  PolySetType(var, 0);
  PolySetType(global, 0);
}

TEST_F(PolynomialDeathTest, Reports) {
  Polynomial* empty = PolySetName(PolyDef("", -1, "x"), "p");
  Polynomial* two = PolyOf(0, {1, 0, 1});
  PolyUndefCheck(two, "PolyAdd()");  // passes
  Polynomial* realLine = PolySetName(PolyOf(0, {1, 2}), "r");
  Polynomial* complexLine = PolySetName(PolyOf(1, {1, 0, 2, 0}), "c");
  Polynomial* square = PolyOf(0, {1, 2, 3}, "x");
  Polynomial* var = PolySetType(PolyDef("v", 0, nullptr), 1);
  Polynomial* parked = PolyDef("", 1, nullptr);  // last, so that nothing revives it
  PolyUndef(parked);
  const std::string undefined = "Undefined polynomial for ";
  ExpectFatal({
      {[&] { PolyUndef(parked); }, "Duplicate undefining", "PolyUndef()"},
      {[&] { PolyUndefCheck(empty, "PolyAdd()"); }, undefined + "'p(x^-1)'", "PolyAdd()"},
      {[&] { PolyUndefCheck2(two, empty, "F()"); }, undefined + "'(s^2)' and 'p(x^-1)'", "F()"},
      {[&] { PolyUndefCheck2(empty, two, "F()"); }, undefined + "'p(x^-1)' and '(s^2)'", "F()"},
      {[&] { PolyCopy(realLine, complexLine); }, "Confliction of class for 'c(s^1)' and 'r(s^1)'", "PolyCopy()"},
      {[&] { PolyCopy(realLine, square); }, "Confliction of size for '(x^2)' and 'r(s^1)'", "PolyCopy()"},
      {[&] { PolySwap(square, realLine); }, "Confliction of size for 'r(s^1)' and '(x^2)'", "PolySwap()"},
      {[&] { PolyAssign(var, PolyDef("", -1, nullptr)); }, undefined + "'(s^-1)'", "PolyAssign()"},
  });
  PolySetType(var, 0);
}

}  // namespace
