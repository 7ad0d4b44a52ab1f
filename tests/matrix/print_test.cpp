// Matrix printing: header lines and the element blocks, byte for byte.

#include "support/vorn_test.h"

namespace {

class PrintTest : public VornTest {};

std::string printed(Matrix* (*print)(Matrix*), Matrix* m) {
  return StdoutOf([&] { print(m); });
}

TEST_F(PrintTest, HeaderWordByClassAndKind) {
  const struct {
    int class_, kind;
    const char* word;
  } cases[] = {{0, 1, "Matrix"}, {0, 2, "Array"},    {0, 3, "Index"},   {1, 1, "CoMatrix"}, {1, 2, "CoArray"},
               {1, 3, ""},       {2, 1, "PoMatrix"}, {3, 2, "PoArray"}, {4, 1, "RaMatrix"}, {5, 2, "RaArray"},
               {5, 3, ""},       {0, 4, ""},         {7, 1, ""}};
  Matrix* m = MatDef("A", 2, 3);
  for (const auto& c : cases) {
    MatSetClass(m, c.class_);
    EXPECT_EQ(StdoutOf([&] { MatPrintHead(m, c.kind); }), std::string(" ===  A  (   2  x   3)  ") + c.word + "  ===\n")
        << c.class_ << "/" << c.kind;
  }
  MatSetClass(m, 0);
}

TEST_F(PrintTest, EmptyAndUnnamedMatricesPrintTheHeaderOnly) {
  EXPECT_EQ(printed(MatPrint, MatDef("", 0, 5)), " ===  ans  (   0  x   5)  Matrix  ===\n");
  EXPECT_EQ(printed(MatPrintIndex, MatSetName(C_MatZDef2(1, 1), "z")), " ===  z  (   1  x   1)    ===\n");
  EXPECT_EQ(StdoutOf([&] { MatPrintHead(MatDef("w", 1, 12345), 2); }), " ===  w  (   1  x12345)  Array  ===\n");
}

TEST_F(PrintTest, RealElementsInBlocksOfFourColumns) {
  Matrix* m = vorn_values::Real("B", 3, 5, {1, 2, 3, 4, 5, 6, 7, 8, 9, INFINITY, 11, 12, 13, 14, -0.125});
  const std::string expected =
      " ===  B  (   3  x   5)  Matrix  ===\n"
      "            (  1)           (  2)           (  3)           (  4)     \n"
      " (  1)  1.00000000E+00  2.00000000E+00  3.00000000E+00  4.00000000E+00\n"
      " (  2)  6.00000000E+00  7.00000000E+00  8.00000000E+00  9.00000000E+00\n"
      " (  3)  1.10000000E+01  1.20000000E+01  1.30000000E+01  1.40000000E+01\n"
      "            (  5)     \n"
      " (  1)  5.00000000E+00\n"
      " (  2)             Inf\n"
      " (  3) -1.25000000E-01\n";
  EXPECT_EQ(printed(MatPrint, m), expected);
  MatSetName(m, "");
  const std::string array = printed(MatPrintArray, m);
  EXPECT_EQ(array.substr(0, array.find('\n') + 1), " ===  ans  (   3  x   5)  Array  ===\n");
  EXPECT_EQ(array.substr(array.find('\n')), expected.substr(expected.find('\n')));
}

TEST_F(PrintTest, ComplexElementsInBlocksOfTwoColumns) {
  EXPECT_EQ(printed(MatPrint, vorn_values::Complex2("Z", 1, 3, {1.5, -2.0, 0, 0, NAN, -INFINITY})),
            " ===  Z  (   1  x   3)  CoMatrix  ===\n"
            "        [ (  1)-Real      (  1)-Imag ]  [ (  2)-Real      (  2)-Imag ]\n"
            " (  1)  1.50000000E+00 -2.00000000E+00  0.00000000E+00  0.00000000E+00\n"
            "        [ (  3)-Real      (  3)-Imag ]\n"
            " (  1)             NaN            -Inf\n");
}

}  // namespace
