// The text save layout of every kind, byte for byte, and its failures.

#include "support/vorn_test.h"

namespace {

using vorn_values::Complex2;
using vorn_values::Real;

using SaveTest = VornFileTest;
using SaveDeathTest = VornFileTest;

const char* const kBadPath = "/nonexistent-h4/out.txt";
const double kInf = std::numeric_limits<double>::infinity();

Polynomial* poly(const char* name, const std::vector<double>& c) {
  return PolySetName(vorn_values::PolyOf(MAT_REAL, c), name);
}

Rational* oneOverSPlusTwo(const char* name) {
  Rational* r = RatDef(name, 0, 1);
  vorn_values::SetCoefficients(r->nume, {1});
  vorn_values::SetCoefficients(r->deno, {2, 1});
  return r;
}

// A polynomial or rational matrix record outside the registry: the save
// layout reads only its shape and elements.
Matrix elementMatrix(char* name, int class_, int rows, int cols, void** elements) {
  Matrix m{};
  m.name = name, m.class_ = class_, m.rows = rows, m.cols = cols, m.data = elements;
  return m;
}

TEST_F(SaveTest, Scalars) {
  // Standard output stays open.
  EXPECT_EQ(StdoutOf([] { RealFileSave(0.5, "stdout", "x", 0, 1), std::printf("|"); }), "x =   5.00000000E-01;\n\n|");
  EXPECT_EQ(IntegerFileSave(3, path(), "n", 0, 1), 0);
  IntegerFileSave(-7, path(), "", 1, 0);
  RealFileSave(-kInf, path(), "", 1, 0);
  EXPECT_EQ(saved(), "n = 3;\n\n-7            -Inf");
  RealFileSave(-1234.5, path(), "y", 0, 0);
  EXPECT_EQ(saved(), "y =  -1.23450000E+03");

  EXPECT_EQ(StderrOf([] {
              EXPECT_EQ(IntegerFileSave(1, kBadPath, "n", 1, 0), -1);
              EXPECT_EQ(IntegerFileSave(1, kBadPath, "n", 0, 0), -1);
              EXPECT_EQ(RealFileSave(1, kBadPath, "x", 1, 0), -1);
            }),
            "IntegerFileSave(): Cann't open /nonexistent-h4/out.txt.\n"
            "IntegerFileSave(): Can't open /nonexistent-h4/out.txt.\n"
            "RealFileSave(): Can't open /nonexistent-h4/out.txt.\n");
}

TEST_F(SaveTest, ComplexStringPolynomialRational) {
  CompFileSave(CompDef("z", 1, -2), path(), 0, 1);
  CompFileSave(CompDef("", 0.5, kInf), path(), 1, 0);
  vnStringFileSave(vnStringSetName(vnStringStringDef("a\"b"), "s"), path(), 1, 1);
  vnStringFileSave(vnStringStringDef("ab"), path(), 1, 0);
  PolyFileSave(poly("p", {-1.5, 0, -1, 2}), path(), 1, 1);
  PolyFileSave(poly("", {0, 1}), path(), 1, 0);
  RatFileSave(oneOverSPlusTwo("G"), path(), 1, 1);
  RatFileSave(oneOverSPlusTwo(""), path(), 1, 0);
  Rational* r = oneOverSPlusTwo("gain");
  PolySetVar(r->deno, "x");  // the numerator has none: the denominator's is taken
  RatFileSave(r, path(), 1, 1);
  EXPECT_EQ(saved(),
            "z = \"(1,-2)\";\n\n\"(0.5,Inf)\"s = \"a\"b\";\n\n\"ab\""
            "p = 2*s^3 - s^2 - 1.5;\n\nPolynomial(\"s\")"
            "G = (1)/\n    (s + 2);\n\n(1)/\n(s + 2)"
            "gain = (1)/\n       (x + 2);\n\n");
}

TEST_F(SaveTest, LongPolynomialWrapsUnderItsName) {
  PolyFileSave(poly("pp", std::vector<double>(40, 1.23456)), path(), 0, 0);
  const std::string text = saved();
  // Four pieces fit in 75 - (2 + 4); the next line is indented by 6.
  const std::string head =
      "pp = 1.23456*s^39 + 1.23456*s^38 + 1.23456*s^37 + 1.23456*s^36 +\n"
      "       1.23456*s^35 +";
  EXPECT_EQ(text.substr(0, head.size()), head);
}

TEST_F(SaveTest, RealAndComplexMatrices) {
  MatFileSave(Real("A", 2, 2, {1, 2, 3, 4}), path(), 0, 1, "");
  EXPECT_EQ(saved(),
            "A = [\n"
            " [  1.00000000E+00,  2.00000000E+00  ]\n"
            " [  3.00000000E+00,  4.00000000E+00  ]];\n\n");
  // Four values to a line; the row goes on after two spaces.
  MatFileSave(Real("", 1, 5, {1, 2, 3, 4, -5}), path(), 0, 0, "");
  EXPECT_EQ(saved(),
            "[[  1.00000000E+00,  2.00000000E+00,  3.00000000E+00,  4.00000000E+00,\n"
            "   -5.00000000E+00  ]]");
  MatFileSave(Real("", 2, 1, {kInf, std::nan("")}), path(), 0, 0, "Index");
  EXPECT_EQ(saved(), "Index([[             Inf  ]\n [             NaN  ]])");
  MatFileSave(Complex2("C", 1, 3, {1, 2, 3, -4, 0.5, 0}), path(), 0, 1, "");
  EXPECT_EQ(saved(),
            "C = [\n"
            " [(  1.00000000E+00,  2.00000000E+00),  (  3.00000000E+00, -4.00000000E+00),  \n"
            "  (  5.00000000E-01,  0.00000000E+00)]];\n\n");
  MatFileSave(MatDef("B", 0, 0), path(), 0, 1, "");
  MatFileSave(MatDef("", 0, 3), path(), 1, 0, "Array");
  MatFileSave(MatDef("Z", 2, 0), path(), 1, 1, "");  // rows kept as empty rows
  EXPECT_EQ(saved(), "B = [\n ];\n\nArray([])Z = [\n []\n []];\n\n");
}

TEST_F(SaveTest, PolynomialAndRationalMatrices) {
  char name[] = "P";
  void* polys[] = {poly("", {-1, 0, 2}), poly("", {0, 1})};
  Matrix p = elementMatrix(name, MAT_POLY, 1, 2, polys);
  MatFileSave(&p, path(), 0, 1, "");
  void* rats[] = {oneOverSPlusTwo(""), oneOverSPlusTwo("")};
  vorn_values::SetCoefficients(static_cast<Rational*>(rats[1])->deno, {0, 1});
  Matrix r = elementMatrix(name, MAT_RATIONAL, 2, 1, rats);
  MatFileSave(&r, path(), 1, 0, "");
  EXPECT_EQ(saved(),
            "P = [\n [ 2*s^2 - 1,  \n   Polynomial(\"s\") ]];\n\n"
            "P = [\n [ (1)/\n   (s + 2) ]\n [ (1)/\n   (Polynomial(\"s\")) ]]");
}

TEST_F(SaveTest, Lists) {
  ListFileSave(ListSetName(ListElementsDef(2, LIST_INTEGER, 3, LIST_STRING, vnStringStringDef("ab")), "L"), path(), 0,
               1);
  ListFileSave(ListDef("E", 0), path(), 1, 1);
  EXPECT_EQ(saved(), "L = {3,\"ab\"};\n\nE = {};\n\n");

  List* inner = ListElementsDef(1, LIST_POLYNOMIAL, poly("q", {-1, 0, 1}));
  List* all = ListElementsDef(5, LIST_ARRAY, MatDef("a", 0, 0), LIST_LIST, inner, LIST_REAL, 0.5, LIST_MATRIX,
                              Real("m", 1, 1, {1}), LIST_COMPLEX, CompDef("z", 0, 1));
  ListFileSave(all, path(), 0, 0);
  EXPECT_EQ(saved(), "{Array([]),{s^2 - 1},  5.00000000E-01,[[  1.00000000E+00  ]],\"(0,1)\"}");
  EXPECT_STREQ(static_cast<Matrix*>(ListGetElementP(all, 4, LIST_MATRIX))->name, "");
  MatObjectTmpUndef();  // a released List hands its nested List to the next release
}

TEST_F(SaveDeathTest, FailuresAreFatalForObjects) {
  List* l = ListDef("L", 2);
  ListSetElement(l, 1, LIST_INTEGER, 3);
  char name[] = "W";
  Matrix bad = elementMatrix(name, 7, 1, 1, nullptr);
  ExpectFatal({
      {[] { MatFileSave(Real("A", 2, 2, {1, 2, 3, 4}), kBadPath, 0, 1, ""); },
       "save A(2x2), \"/nonexistent-h4/out.txt\" : Can't open file /nonexistent-h4/out.txt", "MatFileSave()"},
      {[] { CompFileSave(CompDef("z", 1, -2.5), kBadPath, 1, 0); },
       "\nsave z\\(1,-2.5\\), /nonexistent-h4/out.txt : Can't open file [^ ]* in CompFileSave\\(\\)\\.\n"},
      {[] { ListFileSave(ListDef("", 0), kBadPath, 1, 0); },
       "\nsave \\{\\.\\.\\.\\}, \"/nonexistent-h4/out.txt\" : Can't open file [^ ]*  in ListFileSave\\(\\)\\.\n"},
      {[&] { RatFileSave(RatDef("r", -1, -1), path(), 0, 0); }, "Undefined rational for 'r(s^-1/s^-1)'",
       "RatFileSave()"},
      {[&] { ListFileSave(l, path(), 0, 0); },
       "\nsave L, [^ ]*vorn_scratch[^ ]* : Not appropriate element  in ListElementSave\\(\\)\\.\n"},
      {[&] { MatFileSave(&bad, path(), 0, 0, ""); }, "Incorrect class matrix for 'W(1 x 1)'", "MatFileSave()"},
  });
}

}  // namespace
