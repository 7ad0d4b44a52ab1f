// BROVANE_SAVE: the run written as one List record that reads back to the
// digits of the report, with the report itself left as it is.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "app_fixture.h"
#include "plot/plot_support.h"
#include "support/values.h"
#include "runtime/io/binfile.h"
#include "runtime/objects/list.h"
#include "runtime/objects/vnstring.h"

namespace {

// The table lines of a report, from the "iter" header to "Done".
std::vector<std::string> TableLines(const std::string& report) {
  std::vector<std::string> lines;
  size_t at = report.find("iter    E-step-LL");
  at = report.find('\n', at) + 1;
  for (size_t end; (end = report.find('\n', at)) != std::string::npos && report.compare(at, 4, "Done") != 0;
       at = end + 1)
    lines.push_back(report.substr(at, end - at));
  return lines;
}

class SaveTest : public AppTest {
 protected:
  // The List saved by a run of args, read back; the run's report in *report.
  List* SavedRun(const std::string& args, const std::string& env, std::string* report) {
    const std::string file = dir_.path() + "/run.bin";
    const RunResult run = RunBrovane(args, "BROVANE_SAVE='" + file + "' " + env);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    *report = run.out;
    FILE* fp = std::fopen(file.c_str(), "rb");
    if (fp == nullptr) return nullptr;
    List* l = ListRead(ListDef("", 0), fp);
    EXPECT_EQ(EOF, std::fgetc(fp)) << "one record, nothing after it";
    std::fclose(fp);
    bytes_ = SlurpFile(file);
    unlink(file.c_str());
    return l;
  }
  PrivateDir dir_;
  std::string bytes_;
};

TEST_F(SaveTest, TheListReadsBackToTheReportsDigits) {
  struct Case {
    const char* args;
    std::vector<double> values;
  };
  for (const Case& c : {Case{"em 3 10 5", {3, 10, 5}}, Case{"ag 2 6 5 4 3", {2, 6, 5, 4, 3}}}) {
    SCOPED_TRACE(c.args);
    std::string report;
    List* l = SavedRun(c.args, "", &report);
    ASSERT_NE(nullptr, l);
    ASSERT_EQ(6, l->length);
    EXPECT_EQ(std::string(c.args, 2), static_cast<String*>(ListGetElementP(l, 1, LIST_STRING))->text);
    Matrix* args = static_cast<Matrix*>(ListGetElementP(l, 2, LIST_MATRIX));
    EXPECT_EQ(c.values, vorn_values::valuesOf(args));
    EXPECT_EQ(20, *static_cast<int32_t*>(ListGetElementP(l, 3, LIST_INTEGER)));
    EXPECT_EQ(BROVANE_TEST_SIZE, *static_cast<int32_t*>(ListGetElementP(l, 4, LIST_INTEGER)));

    // Printed as the report prints it, the table gives the report's lines.
    Matrix* table = static_cast<Matrix*>(ListGetElementP(l, 5, LIST_MATRIX));
    const std::vector<std::string> lines = TableLines(report);
    const int niter = static_cast<int>(c.values[0]);
    ASSERT_EQ(niter + 1, table->rows);
    ASSERT_EQ(4, table->cols);
    ASSERT_EQ(lines.size(), static_cast<size_t>(niter + 1));
    char line[128];
    for (int i = 1; i <= niter + 1; i++) {
      if (i <= niter)
        std::snprintf(line, sizeof line, "%-5d %10.3f %10.3f %10.3f", static_cast<int>(MatGetValue(table, i, 1)),
                      MatGetValue(table, i, 2), MatGetValue(table, i, 3), MatGetValue(table, i, 4));
      else
        std::snprintf(line, sizeof line, "%-5d    N/A     %10.3f %10.3f", static_cast<int>(MatGetValue(table, i, 1)),
                      MatGetValue(table, i, 3), MatGetValue(table, i, 4));
      EXPECT_EQ(lines[i - 1], line);
    }
    EXPECT_TRUE(std::isnan(MatGetValue(table, niter + 1, 2)));
    List* titles = static_cast<List*>(ListGetElementP(l, 6, LIST_LIST));
    ASSERT_EQ(4, titles->length);
    EXPECT_EQ("train-LL", std::string(static_cast<String*>(ListGetElementP(titles, 3, LIST_STRING))->text));
    ListUndef(l);
  }
}

TEST_F(SaveTest, WorkersSaveTheSameBytesAndLeaveTheReportAlone) {
  std::string plain, parallel;
  ListUndef(SavedRun("cv 2 4 5", "", &plain));
  const std::string one = bytes_;
  ListUndef(SavedRun("cv 2 4 5", "BROVANE_JOBS=3", &parallel));
  EXPECT_EQ(one, bytes_);
  EXPECT_EQ(RunBrovane("cv 2 4 5").out, plain);
  EXPECT_EQ(plain, parallel);
}

// After a complete report, one line and status 3; a file already there
// stays as it was and no scratch file is left.
TEST_F(SaveTest, AFileThatCannotBeWrittenIsOneLineAfterTheReport) {
  const std::string report = RunBrovane("em 2 4 5").out;
  const std::string folder = dir_.path() + "/folder";
  ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
  struct Case {
    std::string file, why;
  };
  for (const Case& c : {Case{dir_.path() + "/none/r.bin", "No such file or directory"},
                        Case{folder, "it is not a regular file"}}) {
    const RunResult run = RunBrovane("em 2 4 5", "BROVANE_SAVE='" + c.file + "'");
    EXPECT_EQ(3, run.status);
    EXPECT_EQ(report, run.out);
    EXPECT_EQ("ERROR: the results were not saved to \"" + c.file + "\": " + c.why + ".\n", run.err);
  }
  EXPECT_EQ(0, rmdir(folder.c_str())) << "a scratch file was left in the target folder";
}

}  // namespace
