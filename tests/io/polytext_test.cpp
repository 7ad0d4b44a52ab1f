// The one-line polynomial text and its line breaking.

#include "runtime/objects/polytext.h"
#include "support/vorn_test.h"

namespace {

using PolyTextTest = VornFileTest;

// Coefficients constant first; complex ones as (re, im) pairs.
Polynomial* poly(const std::vector<double>& c, bool complex = false) {
  return vorn_values::PolyOf(complex ? MAT_COMPLEX : MAT_REAL, c);
}

std::string take(char* text) {
  std::string s = text;
  efree(text);
  return s;
}

struct TextCase {
  std::vector<double> coef;
  const char* plain;  // star off
  const char* starred;  // star on
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << '"' << c.plain << '"'; }

class PolyTextReal : public VornFileTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(PolyTextReal, ReadsFromTheTopPowerDown) {
  Polynomial* p = poly(GetParam().coef);
  EXPECT_EQ(take(PolyToString(p, nullptr, 0, nullptr)), GetParam().plain);
  EXPECT_EQ(take(PolyToString(p, nullptr, 1, nullptr)), GetParam().starred);
}

INSTANTIATE_TEST_SUITE_P(
    Terms, PolyTextReal,
    ::testing::Values(TextCase{{-1.5, 0, -1, 2}, "2 s^3 - s^2 - 1.5", "2*s^3 - s^2 - 1.5"},
                      TextCase{{1, -1, 1, -1}, "- s^3 + s^2 - s + 1", "- s^3 + s^2 - s + 1"},
                      TextCase{{-1}, "- 1", "- 1"}, TextCase{{0, 0, 0}, "0", "0"},
                      TextCase{{0, -3}, "- 3s", "- 3*s"},  // no space: as documented
                      TextCase{{2, 3}, "3 s + 2", "3*s + 2"}, TextCase{{0, 0, -4, 1}, "s^3 - 4 s^2", "s^3 - 4*s^2"},
                      TextCase{{0, 0, -2.5}, "- 2.5 s^2", "- 2.5*s^2"},
                      TextCase{{0.5, 0, 0, 0, 1e-5}, "1E-05 s^4 + 0.5", "1E-05*s^4 + 0.5"},
                      TextCase{{0, 7, 0}, "7 s", "7*s"},
                      TextCase{{-std::numeric_limits<double>::infinity(), 0, 1}, "s^2 - Inf", "s^2 - Inf"},
                      // The bare indeterminate saves as a constructor call.
                      TextCase{{0, 1}, "s", "Polynomial(\"s\")"}));

TEST_F(PolyTextTest, VariablesEmptyAndComplex) {
  EXPECT_EQ(take(PolyToString(poly({0, 1}), nullptr, 1, "x")), "Polynomial(\"x\")");
  EXPECT_EQ(take(PolyToString(PolyDef("", -1, nullptr), nullptr, 1, nullptr)), "0");
  Polynomial* z = poly({1, 2, 0, 0, -1, 0.5}, true);
  EXPECT_EQ(take(PolyToString(z, nullptr, 0, nullptr)), "(-1,0.5) s^2 + (1,2)");
  EXPECT_EQ(take(C_PolyToString(z, nullptr, 1, "x")), "(-1,0.5)*x^2 + (1,2)");
  EXPECT_EQ(take(PolyToString(poly({0, 0, 1, 0}, true), nullptr, 1, nullptr)), "(1,0)*s");
  // The given block is grown and reused.
  char* buffer = PolyToString(poly({-1.5, 0, -1, 2}), static_cast<char*>(emalloc(1)), 0, nullptr);
  EXPECT_STREQ(buffer, "2 s^3 - s^2 - 1.5");
  efree(buffer);
}

TEST_F(PolyTextTest, WrapBreaksBeforeAnOverlongPiece) {
  auto wrap = [](const char* s, int indent, int width) {
    return take(PolyStringWrap(StringDup(s), indent, width, "\n"));
  };
  // Pieces end after each joining sign: "2*s^3 -", " s^2 -", " 1.5".
  EXPECT_EQ(wrap("2*s^3 - s^2 - 1.5", 4, 10), "2*s^3 -\n     s^2 -\n     1.5");
  EXPECT_EQ(wrap("2*s^3 - s^2 - 1.5", 4, 17), "2*s^3 - s^2 -\n     1.5");
  EXPECT_EQ(wrap("2*s^3 - s^2 - 1.5", 0, 17), "2*s^3 - s^2 - 1.5");
  // Signs of exponents and inside complex numbers are no joints.
  EXPECT_EQ(wrap("1E-05*s^2 + 1e+07", 0, 12), "1E-05*s^2 +\n 1e+07");
  EXPECT_EQ(wrap("(1,-2)*s + (-3,4)", 2, 12), "(1,-2)*s +\n   (-3,4)");
  EXPECT_EQ(wrap("123456789012", 0, 5), "123456789012");
}

}  // namespace
