// The one-line polynomial and rational texts, and their line breaking.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "runtime/objects/polytext.h"
#include "io_test_util.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();

// A real temporary polynomial with the coefficients given constant first.
Polynomial* realPoly(const std::vector<double>& c, const char* variable = nullptr) {
  Polynomial* p = PolyDef("", static_cast<int>(c.size()) - 1, variable);
  for (size_t k = 0; k < c.size(); k++) MatReal(p->coef)[k] = c[k];
  return p;
}

// Complex coefficients given as (re, im) pairs, constant first.
Polynomial* complexPoly(const std::vector<double>& parts) {
  Polynomial* p = C_PolyDef("", static_cast<int>(parts.size() / 2) - 1, nullptr);
  for (size_t k = 0; k < parts.size(); k++) MatReal(p->coef)[k] = parts[k];
  return p;
}

std::string take(char* text) {
  std::string s = text;
  efree(text);
  return s;
}

std::string text(Polynomial* p, int star, const char* variable = nullptr) {
  return take(PolyToString(p, nullptr, star, variable));
}

std::string wrap(const char* s, int indent, int width) {
  return take(PolyStringWrap(StringDup(s), indent, width, "\n"));
}

using PolyTextTest = IoTest;

struct RealCase {
  std::vector<double> coef;   // constant first
  const char* plain;          // star off
  const char* starred;        // star on
};

class PolyTextReal : public IoTest, public ::testing::WithParamInterface<RealCase> {};

TEST_P(PolyTextReal, ReadsFromTheTopPowerDown) {
  Polynomial* p = realPoly(GetParam().coef);
  EXPECT_EQ(text(p, 0), GetParam().plain);
  EXPECT_EQ(text(p, 1), GetParam().starred);
}

INSTANTIATE_TEST_SUITE_P(
    Terms, PolyTextReal,
    ::testing::Values(
        RealCase{{-1.5, 0, -1, 2}, "2 s^3 - s^2 - 1.5", "2*s^3 - s^2 - 1.5"},
        RealCase{{-1, 0, 1}, "s^2 - 1", "s^2 - 1"},
        // Unit coefficients drop the number except on the constant.
        RealCase{{1, -1, 1, -1}, "- s^3 + s^2 - s + 1", "- s^3 + s^2 - s + 1"},
        RealCase{{-1}, "- 1", "- 1"},
        RealCase{{1}, "1", "1"},
        RealCase{{0, 0, 0}, "0", "0"},
        // The first power, negative and not a unit, has no space.
        RealCase{{0, -3}, "- 3s", "- 3*s"},
        RealCase{{2, 3}, "3 s + 2", "3*s + 2"},
        RealCase{{2, 1}, "s + 2", "s + 2"},
        RealCase{{0, 0, 4, 1}, "s^3 + 4 s^2", "s^3 + 4*s^2"},
        RealCase{{0, 0, -4, 1}, "s^3 - 4 s^2", "s^3 - 4*s^2"},
        RealCase{{0, 0, -2.5}, "- 2.5 s^2", "- 2.5*s^2"},
        RealCase{{0.5, 0, 0, 0, 1e-5}, "1E-05 s^4 + 0.5", "1E-05*s^4 + 0.5"},
        // An unsimplified zero leading coefficient gives no term.
        RealCase{{1, 0, 0}, "1", "1"},
        RealCase{{0, 7, 0}, "7 s", "7*s"},
        RealCase{{-kInf, 0, 1}, "s^2 - Inf", "s^2 - Inf"}));

TEST_F(PolyTextTest, PolyTextSpecialForms) {
  // The plain indeterminate saves as a constructor call.
  EXPECT_EQ(text(realPoly({0, 1}), 1), "Polynomial(\"s\")");
  EXPECT_EQ(text(realPoly({0, 1}), 1, "x"), "Polynomial(\"x\")");
  EXPECT_EQ(text(realPoly({0, 1}), 0), "s");
  EXPECT_EQ(text(realPoly({0, 0, 3}), 0, "z"), "3 z^2");
  EXPECT_EQ(text(PolyDef("", -1, nullptr), 1), "0");
  EXPECT_EQ(text(realPoly({std::nan("")}), 0), "NaN");
}

TEST_F(PolyTextTest, PolyTextComplexCoefficients) {
  Polynomial* p = complexPoly({1, 2, 0, 0, -1, 0.5});
  EXPECT_EQ(text(p, 0), "(-1,0.5) s^2 + (1,2)");
  EXPECT_EQ(text(p, 1), "(-1,0.5)*s^2 + (1,2)");
  EXPECT_EQ(take(C_PolyToString(p, nullptr, 1, "x")), "(-1,0.5)*x^2 + (1,2)");
  // No special form for the indeterminate, no dropped unit coefficient.
  EXPECT_EQ(text(complexPoly({0, 0, 1, 0}), 1), "(1,0)*s");
  EXPECT_EQ(text(complexPoly({0, 0, 0, -1, 2, 0}), 0), "(2,0) s^2 + (0,-1) s");
  EXPECT_EQ(text(complexPoly({0, 0, 0, 0}), 0), "0");
  EXPECT_EQ(text(C_PolyDef("", -1, nullptr), 0), "0");
}

TEST_F(PolyTextTest, PolyTextReusesTheGivenBuffer) {
  char* buffer = static_cast<char*>(emalloc(2));
  buffer = PolyToString(realPoly({-1.5, 0, -1, 2}), buffer, 0, nullptr);
  EXPECT_STREQ(buffer, "2 s^3 - s^2 - 1.5");
  buffer = PolyToString(realPoly({4}), buffer, 0, nullptr);
  EXPECT_STREQ(buffer, "4");
  efree(buffer);
}

TEST_F(PolyTextTest, PolyStringWrapBreaksBeforeAnOverlongPiece) {
  // Pieces end after each joining sign: "2*s^3 -", " s^2 -", " 1.5".
  EXPECT_EQ(wrap("2*s^3 - s^2 - 1.5", 4, 10), "2*s^3 -\n     s^2 -\n     1.5");
  EXPECT_EQ(wrap("2*s^3 - s^2 - 1.5", 4, 17), "2*s^3 - s^2 -\n     1.5");
  EXPECT_EQ(wrap("2*s^3 - s^2 - 1.5", 0, 17), "2*s^3 - s^2 - 1.5");
  // Signs of exponents and inside complex numbers are not joints.
  EXPECT_EQ(wrap("1E-05*s^2 + 1e+07", 0, 12), "1E-05*s^2 +\n 1e+07");
  EXPECT_EQ(wrap("(1,-2)*s + (-3,4)", 2, 12), "(1,-2)*s +\n   (-3,4)");
  EXPECT_EQ(wrap("", 4, 10), "");
  // A single piece wider than the line stays on it.
  EXPECT_EQ(wrap("123456789012", 0, 5), "123456789012");
}

TEST_F(PolyTextTest, PolyStringWrapUsesTheGivenLineBreak) {
  char* t = PolyStringWrap(StringDup("s^2 + s + 1"), 1, 7, " \\\n");
  EXPECT_STREQ(t, "s^2 + \\\n  s + 1");
  efree(t);
}

TEST_F(PolyTextTest, RatToStringGivesBothTextsInOneVariable) {
  Rational* r = RatDef("", 0, 1);
  MatReal(r->nume->coef)[0] = 1;
  MatReal(r->deno->coef)[0] = 2;
  MatReal(r->deno->coef)[1] = 1;
  char* nume = nullptr;
  char* deno = nullptr;
  RatToString(r, &nume, &deno, 0, "x");
  EXPECT_STREQ(nume, "1");
  EXPECT_STREQ(deno, "x + 2");
  RatToString(r, &nume, &deno, 1, nullptr);   // buffers reused
  EXPECT_STREQ(deno, "s + 2");
  efree(nume);
  efree(deno);
}

}  // namespace
