// Polynomials: recycling by degree and class, copies, moves and
// assignment, and the reports.
#include <functional>
#include <string>
#include <vector>

#include "support/vorn_test.h"

namespace {

using PolynomialTest = VornTest;
using PolynomialDeathTest = VornTest;

// A polynomial of the class with the given doubles as its coefficient row
// (real parts and imaginary parts interleaved for class 1).
Polynomial* Poly(int class_, const std::vector<double>& row, const char* variable = nullptr) {
  const int n = static_cast<int>(row.size()) / (class_ == 1 ? 2 : 1);
  Polynomial* p = class_ == 1 ? C_PolyDef("", n - 1, variable) : PolyDef("", n - 1, variable);
  for (size_t k = 0; k < row.size(); k++) MatReal(p->coef)[k] = row[k];
  return p;
}

std::vector<double> Row(Polynomial* p) {
  const size_t n = static_cast<size_t>(p->coef->rows * p->coef->cols) * (p->class_ == 1 ? 2 : 1);
  return std::vector<double>(MatReal(p->coef), MatReal(p->coef) + n);
}

// The coefficient row matches the polynomial's degree and class.
void ExpectConsistent(Polynomial* p) {
  EXPECT_EQ(p->coef->rows, 1);
  EXPECT_EQ(p->coef->cols, p->degree + 1);
  EXPECT_EQ(p->coef->class_, p->class_);
  EXPECT_EQ(p->coef->type, 2);
}

}  // namespace

TEST_F(PolynomialTest, RevivedRecordKeepsItsRowAndComesBackZeroed) {
  Polynomial* p = Poly(0, {1, 2, 3}, "x");
  PolySetName(p, "a");
  Matrix* row = p->coef;
  const int parked = PolyTableCount(2, 0);
  PolyUndef(p);
  EXPECT_EQ(PolyTableCount(2, 0), parked + 1);
  Polynomial* q = PolyDef("b", 2, nullptr);
  EXPECT_EQ(q, p);
  EXPECT_EQ(q->coef, row);
  EXPECT_EQ(Row(q), (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(q->variable, nullptr);
  EXPECT_STREQ(q->name, "b");
  EXPECT_EQ(q->type, 0);
}

TEST_F(PolynomialTest, BucketsAreKeyedByDegreeAndClass) {
  struct Case {
    int degree, class_;
  };
  for (const Case c : {Case{2, 1}, Case{-1, 0}, Case{-1, 1}, Case{0, 0}}) {
    Polynomial* p = c.class_ == 1 ? C_PolyDef("", c.degree, nullptr) : PolyDef("", c.degree, nullptr);
    PolyUndef(p);
    Polynomial* other = c.class_ == 1 ? PolyDef("", c.degree, nullptr) : C_PolyDef("", c.degree, nullptr);
    EXPECT_NE(other, p) << c.degree << "/" << c.class_;
    Polynomial* same = c.class_ == 1 ? C_PolyDef("", c.degree, nullptr) : PolyDef("", c.degree, nullptr);
    EXPECT_EQ(same, p) << c.degree << "/" << c.class_;
    ExpectConsistent(same);
  }
}

TEST_F(PolynomialTest, HighDegreesAreDestroyedWithTheirRows) {
  const int matrices = MatLiveCount();
  const int live = PolyLiveCount();
  PolyUndef(PolyDef("", 1001, nullptr));   // past POLYNOMIAL_DEGREE_MAX (default 1000)
  EXPECT_EQ(PolyTableCount(1001, 0), 0);
  EXPECT_EQ(PolyLiveCount(), live);
  EXPECT_EQ(MatLiveCount(), matrices);
  PolyUndef(PolyDef("", 1000, nullptr));
  EXPECT_GE(PolyTableCount(1000, 0), 1);
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

TEST_P(PolynomialCopyTest, CopyAndDupCarryTheCoefficients) {
  const int class_ = GetParam();
  const std::vector<double> row = class_ == 1 ? std::vector<double>{1, -1, 0, 2, 3, 0}
                                              : std::vector<double>{1, -1, 0.5};
  Polynomial* p = Poly(class_, row, "z");
  Polynomial* dup = PolyDup(p);
  EXPECT_NE(dup->variable, p->variable);
  EXPECT_STREQ(dup->variable, "z");
  EXPECT_EQ(dup->class_, class_);
  EXPECT_EQ(Row(dup), row);
  ExpectConsistent(dup);
  MatReal(dup->coef)[0] = 99.0;
  EXPECT_EQ(Row(p), row);   // independent
  Polynomial* dst = Poly(class_, std::vector<double>(row.size(), 0.0), "w");
  PolyCopy(dst, p);
  EXPECT_EQ(Row(dst), row);
  EXPECT_STREQ(dst->variable, "w");   // coefficients only
  Polynomial* none = PolyDup(PolyDef("", -1, nullptr));
  EXPECT_EQ(none->degree, -1);
  ExpectConsistent(none);
}

TEST_P(PolynomialCopyTest, ElementCopyTakesShapeTypeAndVariable) {
  const int class_ = GetParam();
  Polynomial* src = Poly(class_, class_ == 1 ? std::vector<double>{1, 2, 3, 4} : std::vector<double>{5, 6},
                         "x");
  PolySetType(src, 4);
  Polynomial* dst = PolySetName(Poly(1 - class_, {0, 0, 0, 0, 0, 0}), "d");
  PolySetType(dst, 1);
  const int matrices = MatLiveCount();
  PolyElementCopy(dst, src);
  EXPECT_EQ(MatLiveCount(), matrices);   // the old row went back
  EXPECT_EQ(dst->degree, 1);
  EXPECT_EQ(dst->class_, class_);
  EXPECT_EQ(dst->type, 4);
  EXPECT_STREQ(dst->variable, "x");
  EXPECT_STREQ(dst->name, "d");
  EXPECT_EQ(Row(dst), Row(src));
  EXPECT_NE(dst->coef, src->coef);
  ExpectConsistent(dst);
  PolySetType(src, 0);
  PolySetType(dst, 0);
}

INSTANTIATE_TEST_SUITE_P(RealAndComplex, PolynomialCopyTest, ::testing::Values(0, 1));

TEST_F(PolynomialTest, MoveAndSwap) {
  Polynomial* var = PolySetType(Poly(0, {1, 2}, "x"), 1);
  Polynomial* src = Poly(1, {3, 4});
  Matrix* oldRow = var->coef;
  Matrix* newRow = src->coef;
  PolyMove(var, src);   // var keeps type 1; src becomes a temporary with var's old contents
  EXPECT_EQ(var->coef, newRow);
  EXPECT_EQ(var->class_, 1);
  EXPECT_EQ(var->degree, 0);
  EXPECT_EQ(var->type, 1);
  EXPECT_EQ(var->variable, nullptr);
  EXPECT_EQ(src->coef, oldRow);
  EXPECT_EQ(src->type, 0);
  EXPECT_STREQ(src->variable, "x");
  Polynomial* other = Poly(1, {5, 6});
  PolySwap(var, other);
  EXPECT_EQ(var->coef, newRow);   // values exchanged, rows stay
  EXPECT_EQ(Row(var), (std::vector<double>{5, 6}));
  EXPECT_EQ(Row(other), (std::vector<double>{3, 4}));
  PolySetType(var, 0);
}

TEST_F(PolynomialTest, AssignTakesOverATemporaryAndCopiesOthers) {
  Polynomial* var = PolySetType(PolyDef("v", -1, nullptr), 1);
  Polynomial* tmp = Poly(1, {1, 2, 3, 4}, "x");
  Matrix* row = tmp->coef;
  PolyAssign(var, tmp);
  EXPECT_EQ(var->coef, row);   // taken over, not copied
  EXPECT_EQ(var->type, 1);
  EXPECT_STREQ(var->name, "v");
  EXPECT_STREQ(var->variable, "x");
  EXPECT_TRUE(tmp->parked);   // released with the temporaries, holding var's old contents

  Polynomial* global = PolySetType(Poly(0, {7}), 4);
  PolyAssign(var, global);
  EXPECT_NE(var->coef, global->coef);
  EXPECT_EQ(Row(var), (std::vector<double>{7}));
  EXPECT_EQ(var->class_, 0);
  EXPECT_EQ(var->type, 1);
  EXPECT_EQ(var->variable, nullptr);
  EXPECT_EQ(global->type, 4);

  Polynomial* pending = PolyDef("", 0, nullptr);
  PolyAssign(var, var);   // releases nothing
  EXPECT_FALSE(pending->parked);
  PolySetType(var, 0);
  PolySetType(global, 0);
}

TEST_F(PolynomialTest, AssignReleasesTheTemporariesOfEveryKind) {
  Polynomial* var = PolySetType(PolyDef("v", 0, nullptr), 1);
  Matrix* m = MatDef("", 1, 1);
  String* s = vnStringStringDef("t");
  List* l = ListDef("", 1);
  Rational* r = RatDef("", 0, 0);
  Complex* z = CompDef("", 0.0, 0.0);
  PolyAssign(var, Poly(0, {1, 1}));
  EXPECT_TRUE(m->parked && s->parked && l->parked && r->parked && z->parked);
  PolySetType(var, 0);
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
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { PolyUndef(parked); }, ReportLine("Duplicate undefining", "PolyUndef()")},
      {[&] { PolyDestroy(parked); }, ReportLine("Duplicate destroying", "PolyDestroy()")},
      {[&] { PolyUndefCheck(empty, "PolyAdd()"); }, ReportLine("Undefined polynomial for 'p(x^-1)'", "PolyAdd()")},
      {[&] { PolyUndefCheck2(two, empty, "PolyMul()"); },
       ReportLine("Undefined polynomial for '(s^2)' and 'p(x^-1)'", "PolyMul()")},
      {[&] { PolyUndefCheck2(empty, two, "PolyMul()"); },
       ReportLine("Undefined polynomial for 'p(x^-1)' and '(s^2)'", "PolyMul()")},
      {[&] { PolyCopy(realLine, complexLine); },
       ReportLine("Confliction of class for 'c(s^1)' and 'r(s^1)'", "PolyCopy()")},
      {[&] { PolyCopy(realLine, square); }, ReportLine("Confliction of size for '(x^2)' and 'r(s^1)'", "PolyCopy()")},
      {[&] { PolySwap(realLine, complexLine); },
       ReportLine("Confliction of class for 'c(s^1)' and 'r(s^1)'", "PolySwap()")},
      {[&] { PolySwap(square, realLine); }, ReportLine("Confliction of size for 'r(s^1)' and '(x^2)'", "PolySwap()")},
      {[&] { PolyAssign(var, PolyDef("", -1, nullptr)); },
       ReportLine("Undefined polynomial for '(s^-1)'", "PolyAssign()")},
  };
  for (const auto& c : cases) EXPECT_EXIT(c.first(), kFatal, c.second);
  PolySetType(var, 0);
}
