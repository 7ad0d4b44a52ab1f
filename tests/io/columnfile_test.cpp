// The column layout: writing, reading back, plain tables, and data that
// must be refused without overrunning anything.
#include <cstdlib>

#include "support/vorn_test.h"

namespace {

using ColumnFileTest = VornFileTest;
using ColumnFileDeathTest = VornFileTest;

using namespace vorn_values;

TEST_F(ColumnFileTest, WritesTheTransposeAndReadsItBack) {
  Matrix* a = Real("A", 3, 2, {1, 2, 3, 4, 5, -6});
  MatFileWrite(a, path());
  EXPECT_EQ(saved(),
            "# 3 2\n"
            "  1.00000000E+00   3.00000000E+00   5.00000000E+00\n"
            "  2.00000000E+00   4.00000000E+00  -6.00000000E+00\n");
  ExpectMatrix(MatFileRead(path()), 3, 2, MAT_REAL, {1, 2, 3, 4, 5, -6});

  const double inf = std::numeric_limits<double>::infinity();
  Matrix* z = Complex2("Z", 2, 2, {1, 2, 3, -4, -0.0, inf, 1.2345678912345, -inf});
  MatFileWrite(z, path());
  EXPECT_EQ(saved().substr(0, 8), "# 2 2 C\n");
  const std::vector<double> v = valuesOf(MatFileRead(path()));
  ASSERT_EQ(v.size(), 8u);
  EXPECT_TRUE(SameBits({v[4], v[5], v[7]}, {-0.0, inf, -inf}));
  EXPECT_NEAR(v[6], 1.2345678912345, 1e-8);  // nine significant digits

  for (auto shape : {std::pair<int, int>{0, 0}, {0, 3}, {4, 0}}) {
    MatFileWrite(MatDef("", shape.first, shape.second), path());
    ExpectShape(MatFileRead(path()), shape.first, shape.second, MAT_REAL);
  }
}

TEST_F(ColumnFileTest, ReadsPlainAndHeadedTables) {
  const struct {
    const char* text;
    int rows, cols, class_;
    std::vector<double> values;
  } cases[] = {
      {"1 2 3\n4 5 6\n", 2, 3, MAT_REAL, {1, 2, 3, 4, 5, 6}},
      {"# 1 2 C\n1 2\n3 4\n", 1, 2, MAT_COMPLEX, {1, 2, 3, 4}},
      {"# 2 2 by hand\n# note\n1 2 extra words\n\n3 4", 2, 2, MAT_REAL, {1, 3, 2, 4}},
      {"1\t2\r\n3   4\r5 6\n\n", 3, 2, MAT_REAL, {1, 2, 3, 4, 5, 6}},
      {"1 2\n# skipped\n3 4\n", 2, 2, MAT_REAL, {1, 2, 3, 4}},
      {"1e3 -2.5E-1 +7 .5\n", 1, 4, MAT_REAL, {1000, -0.25, 7, 0.5}},
      {"", 0, 0, MAT_REAL, {}},
      // Sizes without data: the work follows the file, not the header.
      {"# 0 2147483647", 0, 2147483647, MAT_REAL, {}},
      {"# 0 2147483647 C\n\n\n", 0, 2147483647, MAT_COMPLEX, {}},
      {"# 2147483647 0\n", 2147483647, 0, MAT_REAL, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    put(c.text);
    ExpectMatrix(MatFileRead(path()), c.rows, c.cols, c.class_, c.values);
  }
}

class ColumnFileBroken : public VornFileTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ColumnFileBroken, IsRefused) {
  put(GetParam());
  EXPECT_EXIT(MatFileRead(path()), kFatal,
              "\nread << \"[^\"]*vorn_scratch[^\"]*\" : Data may be broken\\. in MatFileRead\\(\\)\\.\n");
}

INSTANTIATE_TEST_SUITE_P(Data, ColumnFileBroken,
                         ::testing::Values("1 2 3\n4 5\n", "1 2\n3 4 5\n", "1 2 x\n", "1 2.5abc\n", "# x 2\n1\n",
                                           "# 2\n1 2\n", "#\n", "# -1 2\n", "# 99999999999 2\n1\n",
                                           "# 100000 100000\n1 2\n",  // more elements than a matrix holds
                                           "# 50000 40000\n1 2\n",  // huge and truncated: no huge allocation
                                           "# 3 2\n1 2 3\n4 5\n", "# 2 2\n1 2\n", "# 1 1 C\n1\n", "# 2 1\n1 nope\n",
                                           "# 1 2147483647\n1\n"));  // stops where the data does

TEST_F(ColumnFileTest, ReadsAPlainTableFromStandardInput) {
  auto read = [] {
    Matrix* m = MatFileRead("stdin");
    return m->rows == 2 && m->cols == 3 && MatReal(m)[5] == 6.0 ? 0 : 1;
  };
  EXPECT_EQ(0, RunInChild(read, "1 2 3\n4 5 6\n").status);
}

TEST_F(ColumnFileDeathTest, OpenFailuresAndWrongClass) {
  EXPECT_EXIT(MatFileRead("/nonexistent-h4/in.txt"), kFatal,
              "\nread << \"/nonexistent-h4/in.txt\" : Can't open file /nonexistent-h4/in.txt in "
              "MatFileRead\\(\\)\\.\n");
  EXPECT_EXIT(MatFileWrite(MatDef("A", 2, 2), "/nonexistent-h4/out.txt"), kFatal,
              "\nprint A\\(2x2\\) >> \"/nonexistent-h4/out.txt\" : Can't open file [^ ]* in "
              "MatFileWrite\\(\\)\\.\n");
  char name[] = "P";
  void* polys[] = {PolyDef("", 0, nullptr)};
  Matrix p{};
  p.name = name, p.class_ = MAT_POLY, p.rows = 1, p.cols = 1, p.data = polys;
  EXPECT_EXIT(MatFileWrite(&p, path()), kFatal,
              "\nprint P\\(1x1\\) >> \"[^\"]*\" : Neither a real matrix nor a complex matrix in "
              "MatFileWrite\\(\\)\\.\n");
}

}  // namespace
