// Matrix error and warning reports: the line layouts, the bell, the source
// buffer, the checks and the optional log.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "support/vorn_test.h"

namespace {

class ReportTest : public VornTest {};

// A warning rings the bell and returns; a source description replaces the
// operands of one report and is cleared by it.
TEST_F(ReportTest, WarningsAndTheSourceDescription) {
  Matrix* a = MatDef("A", 2, 3);
  Matrix* b = MatDef("", 3, 3);
  std::string err;
  const std::string out = StdoutOf([&] {
    err = StderrOf([&] {
      MatWarning2("MatAdd()", "Not same size", a, b);
      MatErrorSource("%s(%dx%d) + %s(%dx%d)", a->name, a->rows, a->cols, b->name, b->rows, b->cols);
      MatWarning2("MatAdd()", "Not same size", a, b);
      EXPECT_EQ(mat_err_src[0], '\0');
      MatWarning("MatSub()", "Not same size", b);
      MatWarning("Mat()", "No operands", nullptr);
    });
  });
  EXPECT_EQ(err,
            "\nNot same size for 'A(2 x 3)' and '(3 x 3)' in MatAdd().\n"
            "\nA(2x3) + (3x3) : Not same size in MatAdd().\n"
            "\nNot same size for '(3 x 3)' in MatSub().\n"
            "\nNo operands in Mat().\n");
  EXPECT_EQ(out, "\a\a\a\a");
}

TEST_F(ReportTest, ErrorEndsTheProcessWithStatus255) {
  Matrix* a = MatDef("A", 1, 1);
  EXPECT_EXIT(MatError("MatInv()", "Zero division", a), kFatal, ReportLine("Zero division for 'A(1 x 1)'", "MatInv()"));
  EXPECT_EXIT(MatError2("F()", "Bad", nullptr, a), kFatal, ReportLine("Bad and 'A(1 x 1)'", "F()"));
}

TEST_F(ReportTest, ChecksReportTheirMessage) {
  Matrix* s = MatDef("S", 2, 2);
  Matrix* w = MatDef("W", 2, 3);
  Matrix* e = MatDef("E", 0, 3);
  Matrix* c = C_MatDef("C", 2, 2);
  Matrix* p = MatSetClass(MatDef("P", 1, 1), MAT_C_POLY);
  Matrix* r = MatSetClass(MatDef("R", 1, 1), MAT_RATIONAL);
  auto t = [](const char* message) { return ReportLine(message, "T()"); };
  ExpectFatal({
      {[&] { MatZeroSizeCheck(e, "T()"); }, t("Zero-size matrix for 'E(0 x 3)'")},
      {[&] { MatZeroSizeCheck2(s, e, "T()"); }, t("Zero-size matrix for 'S(2 x 2)' and 'E(0 x 3)'")},
      {[&] { MatSameSizeCheck(s, w, "T()"); }, t("Not same size for 'S(2 x 2)' and 'W(2 x 3)'")},
      {[&] { MatSameClassCheck(s, c, "T()"); }, t("Not same class for 'S(2 x 2)' and 'C(2 x 2)'")},
      {[&] { MatNonSquareCheck(w, "T()"); }, t("Not a square matrix for 'W(2 x 3)'")},
      {[&] { MatNonSquareCheck2(s, w, "T()"); }, t("Not square matrices for 'S(2 x 2)' and 'W(2 x 3)'")},
      {[&] { MatNotRealCheck(c, "T()"); }, t("Not a real matrix for 'C(2 x 2)'")},
      {[&] { MatNotComplexCheck(p, "T()"); }, t("Not a complex matrix for 'P(1 x 1)'")},
      {[&] { MatNotRealNorComplexCheck(r, "T()"); }, t("Not a real nor complex matrix for 'R(1 x 1)'")},
      {[&] { MatNotPolynomialCheck(r, "T()"); }, t("Not a polynomial matrix for 'R(1 x 1)'")},
      {[&] { MatNotRationalCheck(s, "T()"); }, t("Not a rational matrix for 'S(2 x 2)'")},
      {[&] { MatErrorNotRealNorComplex(s, "T()"); }, t("Not a real nor complex matrix for 'S(2 x 2)'")},
      {[&] { MatErrorNotRealNorComplex2(s, w, "T()"); },
       t("Not a real nor complex matrix for 'S(2 x 2)' and 'W(2 x 3)'")},
  });
  MatSetClass(p, 0), MatSetClass(r, 0);
}

size_t occurrences(const std::string& text, const std::string& word) {
  size_t count = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) count++;
  return count;
}

// Runs body in a fresh temporary directory with the log on.
class LogTest : public ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    char pattern[] = "/tmp/vorn_logXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ASSERT_NE(getcwd(cwd_, sizeof cwd_), nullptr);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    vorn_withlog_flag = 1;
  }
  void TearDown() override {
    vorn_withlog_flag = 0;
    EXPECT_EQ(chdir(cwd_), 0);
    std::system(("rm -rf '" + dir_ + "'").c_str());
    ReportTest::TearDown();
  }
  std::string dir_;
  char cwd_[4096] = {};
};

TEST_F(LogTest, ReportAndSmallOperandsAreAppendedToTheLog) {
  Matrix *small = MatSetName(MatZDef2(10, 10), "small"), *big = MatSetName(MatZDef2(1, 101), "big");
  Matrix* none = MatDef("none", 0, 5);
  StdoutOf([&] {
    StderrOf([&] { MatWarning2("T()", "Not same size", small, big), MatWarning("U()", "Zero-size matrix", none); });
  });
  const std::string log = SlurpFile("Vorn.log");
  EXPECT_NE(log.find("\nNot same size for 'small(10 x 10)' and 'big(1 x 101)' in T().\n\n"), std::string::npos);
  EXPECT_NE(log.find("\nZero-size matrix for 'none(0 x 5)' in U().\n\n"), std::string::npos);
  EXPECT_GT(occurrences(log, "small"), 1u);  // the report and the saved matrix
  EXPECT_EQ(occurrences(log, "big"), 1u);  // 101 elements: report only
  EXPECT_EQ(occurrences(log, "none"), 1u);  // no elements: report only
}

TEST_F(LogTest, UnopenableLogIsReportedAndTheWarningStillReturns) {
  ASSERT_EQ(mkdir("Vorn.log", 0700), 0);
  std::string err;
  StdoutOf([&] { err = StderrOf([&] { MatWarning("T()", "Careful", nullptr); }); });
  EXPECT_EQ(err, "\nCareful in T().\nCan't open Vorn.log.\n");
}

}  // namespace
