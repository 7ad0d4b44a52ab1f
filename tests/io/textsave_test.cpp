// The text save layout of every kind, byte for byte, and its failures.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/objects/polytext.h"
#include "io_test_util.h"

namespace {

const char* const kBadPath = "/nonexistent-h4/out.txt";

using SaveTest = IoTest;

Matrix* realMatrix(const char* name, int rows, int cols, const std::vector<double>& v) {
  Matrix* m = MatDef(name, rows, cols);
  for (size_t k = 0; k < v.size(); k++) MatReal(m)[k] = v[k];
  return m;
}

// Complex elements given as (re, im) pairs, row by row.
Matrix* complexMatrix(const char* name, int rows, int cols, const std::vector<double>& v) {
  Matrix* m = C_MatDef(name, rows, cols);
  for (size_t k = 0; k < v.size(); k++) MatReal(m)[k] = v[k];
  return m;
}

Polynomial* realPoly(const char* name, const std::vector<double>& c) {
  Polynomial* p = PolyDef(name, static_cast<int>(c.size()) - 1, nullptr);
  for (size_t k = 0; k < c.size(); k++) MatReal(p->coef)[k] = c[k];
  return p;
}

// 1/(s + 2)
Rational* oneOverSPlusTwo(const char* name) {
  Rational* r = RatDef(name, 0, 1);
  MatReal(r->nume->coef)[0] = 1;
  MatReal(r->deno->coef)[0] = 2;
  MatReal(r->deno->coef)[1] = 1;
  return r;
}

// A polynomial or rational matrix record outside the registry: the save
// layout reads only its shape and elements.
Matrix elementMatrix(char* name, int class_, int rows, int cols, void** elements) {
  Matrix m{};
  m.name = name;
  m.class_ = class_;
  m.rows = rows;
  m.cols = cols;
  m.data = elements;
  return m;
}

const char kMatrixA[] =
    "A = [\n"
    " [  1.00000000E+00,  2.00000000E+00  ]\n"
    " [  3.00000000E+00,  4.00000000E+00  ]];\n\n";

// ---- scalars ---------------------------------------------------------------

TEST_F(SaveTest, RealToStandardOutputLeavesItOpen) {
  std::fflush(stdout);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(RealFileSave(0.5, "stdout", "x", 0, 1), 0);
  std::printf("after");
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "x =   5.00000000E-01;\n\nafter");
}

TEST_F(SaveTest, ScalarsAppendOrReplace) {
  EXPECT_EQ(IntegerFileSave(3, path(), "n", 0, 1), 0);
  EXPECT_EQ(IntegerFileSave(-7, path(), "", 1, 0), 0);
  EXPECT_EQ(RealFileSave(-std::numeric_limits<double>::infinity(), path(), "", 1, 0), 0);
  EXPECT_EQ(RealFileSave(std::nan(""), path(), nullptr, 1, 1), 0);
  EXPECT_EQ(saved(), "n = 3;\n\n-7            -Inf             NaN;\n\n");
  EXPECT_EQ(RealFileSave(-1234.5, path(), "y", 0, 0), 0);
  EXPECT_EQ(saved(), "y =  -1.23450000E+03");
}

TEST_F(SaveTest, ScalarsReportAnUnopenedFileAndGoOn) {
  const std::string bad = kBadPath;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(IntegerFileSave(1, kBadPath, "n", 1, 0), -1);
  EXPECT_EQ(IntegerFileSave(1, kBadPath, "n", 0, 0), -1);
  EXPECT_EQ(RealFileSave(1, kBadPath, "x", 1, 0), -1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "IntegerFileSave(): Cann't open " + bad + ".\n" +
                "IntegerFileSave(): Can't open " + bad + ".\n" +
                "RealFileSave(): Can't open " + bad + ".\n");
}

// ---- objects ---------------------------------------------------------------

TEST_F(SaveTest, ComplexAndStringAreQuoted) {
  CompFileSave(CompDef("z", 1, -2), path(), 0, 1);
  CompFileSave(CompDef("", 0.5, std::numeric_limits<double>::infinity()), path(), 1, 0);
  vnStringFileSave(vnStringSetName(vnStringStringDef("a\"b"), "s"), path(), 1, 1);
  vnStringFileSave(vnStringStringDef("ab"), path(), 1, 0);
  vnStringFileSave(vnStringStringDef(""), path(), 1, 0);
  EXPECT_EQ(saved(), "z = \"(1,-2)\";\n\n\"(0.5,Inf)\"s = \"a\"b\";\n\n\"ab\"\"\"");
}

TEST_F(SaveTest, PolynomialUsesTheStarredText) {
  PolyFileSave(realPoly("p", {-1.5, 0, -1, 2}), path(), 0, 1);
  PolyFileSave(realPoly("", {0, 1}), path(), 1, 0);
  EXPECT_EQ(saved(), "p = 2*s^3 - s^2 - 1.5;\n\nPolynomial(\"s\")");
}

TEST_F(SaveTest, LongPolynomialWrapsUnderItsName) {
  std::vector<double> c(40, 1.23456);
  Polynomial* p = realPoly("pp", c);
  PolyFileSave(p, path(), 0, 0);
  const std::string text = saved();
  const std::string indent = "\n      ";   // name length + 4
  std::string joined = text;
  for (size_t at; (at = joined.find(indent)) != std::string::npos;) joined.erase(at, indent.size());
  char* one = PolyToString(p, nullptr, 1, nullptr);
  EXPECT_EQ(joined, std::string("pp = ") + one);
  efree(one);
  // Every line but the first starts with the indent and stays within 75.
  std::istringstream lines(text);
  int count = 0;
  for (std::string line; std::getline(lines, line); count++) {
    EXPECT_LE(line.size(), 75u) << line;
    if (count > 0) {
      EXPECT_EQ(line.compare(0, 7, "       "), 0) << line;
    }
  }
  EXPECT_GT(count, 5);
}

TEST_F(SaveTest, RationalLinesUpItsParentheses) {
  RatFileSave(oneOverSPlusTwo("G"), path(), 0, 1);
  RatFileSave(oneOverSPlusTwo(""), path(), 1, 0);
  Rational* r = oneOverSPlusTwo("gain");
  PolySetVar(r->deno, "x");   // the numerator has none: the denominator's is taken
  RatFileSave(r, path(), 1, 1);
  EXPECT_EQ(saved(), "G = (1)/\n    (s + 2);\n\n(1)/\n(s + 2)gain = (1)/\n       (x + 2);\n\n");
}

// ---- matrices --------------------------------------------------------------

TEST_F(SaveTest, RealMatrixRowsAndChunks) {
  MatFileSave(realMatrix("A", 2, 2, {1, 2, 3, 4}), path(), 0, 1, "");
  EXPECT_EQ(saved(), kMatrixA);

  // Four values to a line; the row goes on after two spaces.
  MatFileSave(realMatrix("", 1, 5, {1, 2, 3, 4, -5}), path(), 0, 0, "");
  EXPECT_EQ(saved(),
            "[[  1.00000000E+00,  2.00000000E+00,  3.00000000E+00,  4.00000000E+00,\n"
            "   -5.00000000E+00  ]]");

  MatFileSave(realMatrix("", 2, 1, {std::numeric_limits<double>::infinity(), std::nan("")}),
              path(), 0, 0, "Index");
  EXPECT_EQ(saved(), "Index([[             Inf  ]\n [             NaN  ]])");

  MatFileSave(realMatrix("A", 1, 1, {0.5}), path(), 0, 1, "Array");
  EXPECT_EQ(saved(), "A = Array([\n [  5.00000000E-01  ]]);\n\n");
}

TEST_F(SaveTest, EmptyMatrices) {
  MatFileSave(MatDef("B", 0, 0), path(), 0, 1, "");
  EXPECT_EQ(saved(), "B = [\n ];\n\n");
  MatFileSave(MatDef("", 0, 3), path(), 0, 0, "Array");
  EXPECT_EQ(saved(), "Array([])");
  // Rows without columns keep their count as empty rows.
  MatFileSave(MatDef("Z", 2, 0), path(), 0, 1, "");
  EXPECT_EQ(saved(), "Z = [\n []\n []];\n\n");
}

TEST_F(SaveTest, ComplexMatrixTwoToALine) {
  MatFileSave(complexMatrix("C", 1, 3, {1, 2, 3, -4, 0.5, 0}), path(), 0, 1, "");
  EXPECT_EQ(saved(),
            "C = [\n"
            " [(  1.00000000E+00,  2.00000000E+00),  (  3.00000000E+00, -4.00000000E+00),  \n"
            "  (  5.00000000E-01,  0.00000000E+00)]];\n\n");
  MatFileSave(complexMatrix("", 2, 1, {1, 0, 0, -1}), path(), 0, 0, "");
  EXPECT_EQ(saved(),
            "[[(  1.00000000E+00,  0.00000000E+00)]\n"
            " [(  0.00000000E+00, -1.00000000E+00)]]");
}

TEST_F(SaveTest, PolynomialAndRationalMatricesOneToALine) {
  char name[] = "P";
  void* polys[] = {realPoly("", {1, 1}), realPoly("", {0, 1})};
  Matrix p = elementMatrix(name, MAT_POLY, 1, 2, polys);
  MatFileSave(&p, path(), 0, 1, "");
  EXPECT_EQ(saved(), "P = [\n [ s + 1,  \n   Polynomial(\"s\") ]];\n\n");

  void* rats[] = {oneOverSPlusTwo(""), oneOverSPlusTwo("")};
  Matrix r = elementMatrix(name, MAT_RATIONAL, 2, 1, rats);
  MatFileSave(&r, path(), 0, 0, "");
  EXPECT_EQ(saved(), "P = [\n [ (1)/\n   (s + 2) ]\n [ (1)/\n   (s + 2) ]]");
}

// ---- lists -----------------------------------------------------------------

TEST_F(SaveTest, ListOfIntegerAndString) {
  List* l = ListDef("L", 2);
  ListSetElement(l, 1, LIST_INTEGER, 3);
  ListSetElement(l, 2, LIST_STRING, vnStringStringDef("ab"));
  ListFileSave(l, path(), 0, 1);
  EXPECT_EQ(saved(), "L = {3,\"ab\"};\n\n");
  ListFileSave(ListDef("E", 0), path(), 1, 1);
  EXPECT_EQ(saved(), "L = {3,\"ab\"};\n\nE = {};\n\n");
}

TEST_F(SaveTest, ListElementsSaveUnnamedByKind) {
  List* inner = ListDef("inner", 1);
  ListSetElement(inner, 1, LIST_INTEGER, 1);
  List* l = ListDef("", 5);
  ListSetElement(l, 1, LIST_ARRAY, MatDef("a", 0, 0));
  ListSetElement(l, 2, LIST_LIST, inner);
  ListSetElement(l, 3, LIST_REAL, 0.5);
  ListSetElement(l, 4, LIST_MATRIX, realMatrix("m", 1, 1, {1}));
  ListSetElement(l, 5, LIST_COMPLEX, CompDef("z", 0, 1));
  ListFileSave(l, path(), 0, 0);
  EXPECT_EQ(saved(), "{Array([]),{1},  5.00000000E-01,[[  1.00000000E+00  ]],\"(0,1)\"}");
  EXPECT_STREQ(static_cast<Matrix*>(ListGetElementP(l, 4, LIST_MATRIX))->name, "");
  EXPECT_STREQ(static_cast<List*>(ListGetElementP(l, 2, LIST_LIST))->name, "");
  // A released List hands its nested List to the next release.
  MatObjectTmpUndef();
}

TEST_F(SaveTest, ListToStandardOutput) {
  List* l = ListDef("L", 2);
  ListSetElement(l, 1, LIST_POLYNOMIAL, realPoly("", {-1, 0, 1}));
  ListSetElement(l, 2, LIST_INDEX, realMatrix("", 1, 1, {2}));
  std::fflush(stdout);
  ::testing::internal::CaptureStdout();
  ListFileSave(l, "stdout", 0, 1);
  std::printf("|");
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "L = {s^2 - 1,Index([[  2.00000000E+00  ]])};\n\n|");
}

// ---- failures --------------------------------------------------------------

using SaveDeathTest = SaveTest;

TEST_F(SaveDeathTest, UnopenedFileIsFatalForObjects) {
  const auto status = ::testing::ExitedWithCode(255);
  EXPECT_EXIT(MatFileSave(realMatrix("A", 2, 2, {1, 2, 3, 4}), kBadPath, 0, 1, ""), status,
              "\nsave A\\(2x2\\), \"/nonexistent-h4/out.txt\" : Can't open file "
              "/nonexistent-h4/out.txt in MatFileSave\\(\\)\\.\n");
  EXPECT_EXIT(CompFileSave(CompDef("z", 1, -2.5), kBadPath, 1, 0), status,
              "\nsave z\\(1,-2.5\\), /nonexistent-h4/out.txt : Can't open file "
              "/nonexistent-h4/out.txt in CompFileSave\\(\\)\\.\n");
  EXPECT_EXIT(vnStringFileSave(vnStringSetName(vnStringStringDef("ab"), "s"), kBadPath, 1, 0),
              status, "\nsave s\\(#2\\), /nonexistent-h4/out.txt : Can't open file [^ ]* in "
                      "vnStringFileSave\\(\\)\\.\n");
  EXPECT_EXIT(PolyFileSave(PolySetVar(realPoly("p", {1, 2}), "x"), kBadPath, 1, 0), status,
              "\nsave p\\(x\\^1\\), /nonexistent-h4/out.txt : Can't open file [^ ]* in "
              "PolyFileSave\\(\\)\\.\n");
  EXPECT_EXIT(RatFileSave(oneOverSPlusTwo("G"), kBadPath, 1, 0), status,
              "\nsave G\\(s\\^0/s\\^1\\), /nonexistent-h4/out.txt : Can't open file [^ ]* in "
              "RatFileSave\\(\\)\\.\n");
  EXPECT_EXIT(ListFileSave(ListDef("L", 0), kBadPath, 1, 0), status,
              "\nsave L, \"/nonexistent-h4/out.txt\" : Can't open file [^ ]*  in "
              "ListFileSave\\(\\)\\.\n");
  EXPECT_EXIT(ListFileSave(ListDef("", 0), kBadPath, 1, 0), status,
              "\nsave \\{\\.\\.\\.\\}, \"/nonexistent-h4/out.txt\" : Can't open file");
}

TEST_F(SaveDeathTest, UndefinedObjectsAndElementsAreFatal) {
  const auto status = ::testing::ExitedWithCode(255);
  EXPECT_EXIT(vnStringFileSave(vnStringDef("s", -1), path(), 0, 0), status,
              "\nUndefined string for 's\\(length=-1\\)' in vnStringFileSave\\(\\)\\.\n");
  EXPECT_EXIT(PolyFileSave(PolyDef("p", -1, nullptr), path(), 0, 0), status,
              "\nUndefined polynomial for 'p\\(s\\^-1\\)' in PolyFileSave\\(\\)\\.\n");
  EXPECT_EXIT(RatFileSave(RatDef("r", -1, -1), path(), 0, 0), status,
              "\nUndefined rational for 'r\\(s\\^-1/s\\^-1\\)' in RatFileSave\\(\\)\\.\n");
  List* l = ListDef("L", 2);
  ListSetElement(l, 1, LIST_INTEGER, 3);
  EXPECT_EXIT(ListFileSave(l, path(), 0, 0), status,
              "\nsave L, [^ ]*h4_[^ ]* : Not appropriate element  in ListElementSave\\(\\)\\.\n");
  char name[] = "W";
  Matrix bad = elementMatrix(name, 7, 1, 1, nullptr);
  EXPECT_EXIT(MatFileSave(&bad, path(), 0, 0, ""), status,
              "\nIncorrect class matrix for 'W\\(1 x 1\\)' in MatFileSave\\(\\)\\.\n");
}

// The error log receives small operands in the save layout.
TEST_F(SaveDeathTest, ErrorLogHoldsTheOperandInSaveLayout) {
  const std::string dir = ::testing::TempDir() + "h4_log";
  ::mkdir(dir.c_str(), 0700);
  const std::string log = dir + "/Vorn.log";
  std::remove(log.c_str());
  EXPECT_EXIT(
      {
        if (::chdir(dir.c_str()) != 0) std::exit(3);
        vorn_withlog_flag = 1;
        MatError("Test()", "Not same size", realMatrix("A", 2, 2, {1, 2, 3, 4}));
      },
      ::testing::ExitedWithCode(255), "Not same size for 'A\\(2 x 2\\)' in Test\\(\\)\\.");
  const std::string text = SlurpFile(log);
  const std::string tail = "Not same size for 'A(2 x 2)' in Test().\n\n" + std::string(kMatrixA);
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  std::remove(log.c_str());
  ::rmdir(dir.c_str());
}

}  // namespace
