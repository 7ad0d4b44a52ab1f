// Polynomials and rationals in the column layout.
#include <string>

#include "support/values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using PolyFileTest = VornFileTest;

TEST_F(PolyFileTest, PolynomialsAndRationalsComeBackAsWritten) {
  for (int class_ : {0, 1}) {
    Polynomial* p = PolyOf(class_, class_ == 1 ? V{1, -2, 0.5, 3, 0, 1e-300} : V{1, -2, 0.5, 3});
    PolyFileWrite(p, path());
    Polynomial* back = PolyFileRead(path());
    EXPECT_EQ(back->class_, class_);
    EXPECT_EQ(valuesOf(back->coef), valuesOf(p->coef));
  }
  put("1 2 3\n");
  EXPECT_EQ(valuesOf(PolyFileRead(path())->coef), (V{1, 2, 3}));

  const std::string base = std::string(path()) + "-rat";
  Rational* r = RatNumeDenoDef(PolyOf(0, {1, 2}), PolyOf(1, {3, 0, 0, 1}));
  RatFileWrite(r, base.c_str());
  Rational* back = RatFileRead(base.c_str());
  EXPECT_EQ(back->class_, 1);
  EXPECT_EQ(valuesOf(back->nume->coef), (V{1, 0, 2, 0}));
  EXPECT_EQ(valuesOf(back->deno->coef), (V{3, 0, 0, 1}));
  EXPECT_EQ(back->deno_degree, 1);
  std::remove((base + ".N").c_str());
  std::remove((base + ".D").c_str());
}

}  // namespace
