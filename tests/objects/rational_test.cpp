// Rationals: recycling, copies, swap and assignment, and the reports.
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using RationalTest = VornTest;
using RationalDeathTest = VornTest;

// 1 / (s + 2), real.
Rational* OneOverSPlusTwo() {
  Rational* r = RatDef("", 0, 1);
  SetCoefficients(r->nume, {1});
  SetCoefficients(r->deno, {2, 1});
  return r;
}

// The polynomials are held components of the rational's class and degrees.
void ExpectConsistent(Rational* r) {
  ASSERT_TRUE(r->nume != nullptr && r->deno != nullptr);
  EXPECT_TRUE(r->nume->degree == r->nume_degree && r->deno->degree == r->deno_degree);
  EXPECT_TRUE(r->nume->class_ == r->class_ && r->deno->class_ == r->class_);
  EXPECT_TRUE(r->nume->type == 2 && r->deno->type == 2);
}

}  // namespace

TEST_F(RationalTest, ParkedRecordGivesUpItsPolynomials) {
  Rational* r = OneOverSPlusTwo();
  const int polys = PolyLiveCount(), parked = RatTableCount();
  RatUndef(r);
  EXPECT_TRUE(RatTableCount() == parked + 1 && PolyLiveCount() == polys - 2);
  EXPECT_TRUE(r->nume == nullptr && r->deno == nullptr);
  Rational* again = C_RatDef("x", 2, 3);  // newest parked record, fresh polynomials
  EXPECT_TRUE(again == r && again->class_ == 1);
  ExpectConsistent(again);
  EXPECT_EQ(valuesOf(again->nume->coef), V(6, 0.0));
}

TEST_F(RationalTest, DupIsDeepAndCopyOverwritesBothPolynomials) {
  Rational* r = OneOverSPlusTwo();
  PolySetVar(r->deno, "q");
  Rational* dup = RatDup(r);
  EXPECT_TRUE(dup->nume != r->nume && dup->deno != r->deno && std::string(dup->deno->variable) == "q");
  ExpectConsistent(dup);
  SetCoefficients(dup->deno, {9, 9});
  EXPECT_EQ(valuesOf(r->deno->coef), (V{2, 1}));
  Rational* dst = RatDef("d", 0, 1);
  Polynomial* nume = dst->nume;
  RatCopy(dst, r);
  EXPECT_EQ(dst->nume, nume);  // values copied into dst's own polynomials
  EXPECT_EQ(valuesOf(dst->nume->coef), (V{1}));
  EXPECT_EQ(valuesOf(dst->deno->coef), (V{2, 1}));
}

TEST_F(RationalTest, ElementCopySwapAndAssign) {
  Rational* src = RatSetType(C_RatDef("", 1, 2), 4);
  SetCoefficients(src->deno, {1, 0, 0, 1, 2, 0});
  Rational* var = RatSetName(RatSetType(OneOverSPlusTwo(), 1), "v");
  RatElementCopy(var, src);  // shape, class and code follow src, the name stays
  EXPECT_TRUE(var->class_ == 1 && var->type == 4 && var->deno_degree == 2 && var->deno != src->deno);
  EXPECT_STREQ(var->name, "v");
  EXPECT_EQ(valuesOf(var->deno->coef), valuesOf(src->deno->coef));
  ExpectConsistent(var);
  RatSetType(var, 1);
  Rational *a = OneOverSPlusTwo(), *b = OneOverSPlusTwo();
  Polynomial* aNume = a->nume;
  SetCoefficients(b->deno, {5, 6});
  RatSwap(a, b);
  EXPECT_EQ(a->nume, aNume);  // coefficients exchanged, polynomials stay
  EXPECT_EQ(valuesOf(a->deno->coef), (V{5, 6}));
  EXPECT_EQ(valuesOf(b->deno->coef), (V{2, 1}));

  Rational* tmp = OneOverSPlusTwo();
  Polynomial* deno = tmp->deno;
  Matrix* m = MatDef("", 1, 1);  // a temporary of another kind
  RatAssign(var, tmp);
  EXPECT_TRUE(var->deno == deno && var->type == 1);  // taken over, not copied
  EXPECT_STREQ(var->name, "v");
  EXPECT_TRUE(tmp->parked && m->parked);  // the statement's temporaries are released
  Rational* global = RatSetType(C_RatDef("", 0, 0), 4);
  RatAssign(var, global);
  EXPECT_TRUE(var->nume != global->nume && var->type == 1);
  ExpectConsistent(var);
  for (Rational* r : {src, var, global}) RatSetType(r, 0);
}

TEST_F(RationalDeathTest, Reports) {
  Rational* empty = RatSetName(RatDef("", -1, 2), "e");
  Rational* half = OneOverSPlusTwo();
  RatUndefCheck(half, "RatAdd()");  // passes
  Rational* partial = RatSetType(OneOverSPlusTwo(), 1);  // only the numerator empty
  PolyElementCopy(partial->nume, PolyDef("", -1, nullptr));
  partial->nume->type = 2;
  Rational* real = RatSetName(OneOverSPlusTwo(), "a");
  Rational* complex = RatSetName(C_RatDef("", 0, 1), "b");
  Rational* wider = RatDef("", 1, 1);
  Rational* var = RatSetType(RatDef("v", 0, 0), 1);
  Rational* parked = RatDef("", 0, 0);  // last, so that nothing revives it
  RatUndef(parked);
  ExpectFatal({
      {[&] { RatUndef(parked); }, "Duplicate undefining", "RatUndef()"},
      {[&] { RatUndefCheck(empty, "RatAdd()"); }, "Undefined rational for 'e(s^-1/s^-1)'", "RatAdd()"},
      {[&] { RatUndefCheck2(half, empty, "RatMul()"); }, "Undefined rational for '(s^0/s^1)' and 'e(s^-1/s^-1)'",
       "RatMul()"},
      {[&] { RatUndefCheck(partial, "RatEval()"); }, Literal("Undefined rational")},
      {[&] { RatCopy(real, complex); }, "Confliction of class for 'b(s^0/s^1)' and 'a(s^0/s^1)'", "RatCopy()"},
      {[&] { RatCopy(real, wider); }, "Confliction of size for '(s^1/s^1)' and 'a(s^0/s^1)'", "RatCopy()"},
      {[&] { RatSwap(wider, real); }, "Confliction of size for 'a(s^0/s^1)' and '(s^1/s^1)'", "RatSwap()"},
      {[&] { RatAssign(var, RatDef("", -1, -1)); }, "Undefined rational for '(s^-1/s^-1)'", "RatAssign()"},
  });
  RatSetType(partial, 0);
  RatSetType(var, 0);
}
