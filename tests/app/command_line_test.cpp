// brovane's command line on the built program, byte for byte: banner, usage,
// mode words, word counts, integer reading and the run configuration.
#include <unistd.h>

#include <cstdlib>

#include "app_fixture.h"

namespace {

const std::string kUsage =
    "NAME\n"
    "  brovane - a sample program of CV-EM and Ag-EM algorithms\n\n"
    "SYNOPSIS\n"
    "  brovane em niter nlot lsize\n"
    "  brovane cv niter nlot lsize\n"
    "  brovane ag niter nlot lsize nsel enss\n\n"
    "DESCRIPTION\n"
    "  Train and evaluate GMM using parallel-EM (p-EM), Cross-validation EM(CV-EM),\n"
    "  and Aggregated-EM(Ag-EM) algorithms.\n\n"
    "  Arguments\n"
    "        (em|cv|ag) : \"em\" for p-EM, \"cv\" for CV-EM, \"ag\" for Ag-EM.\n"
    "\tniter : Number of EM/CV-EM/Ag-EM iterations.\n"
    "\tnlot  : Number of training subsets.\n"
    "\tlsize : Number of training samples per subset.\n"
    "\t\tTotal training set size = nlot x lsize.\n"
    "\tnsel  : Number of subset selection to estimate a model.\n"
    "\t\t(nsel should be around 0.6*nlot for good results)\n"
    "\tenss  : Ensemble size.\n\n"
    "EXAMPLES\n"
    "  brovane em 10 20 1\n"
    "  brovane cv 10 20 1\n"
    "  brovane ag 10 20 1 12 8\n\n"
    "AUTHOR\n"
    "  the brovane developers\n"
    "  no web site: see README.md in the source tree\n\n";

std::string configuration(const std::string& title, const std::string& train, const std::string& selection) {
  return kBanner + title + "\n" + "train set size = " + train + "\n" + "test set size = 1000\n" + selection +
         "num experiments = 20 (Averaged results are output)\n";
}

// The experiments follow the configuration; only the front part is ours.
::testing::AssertionResult startsWith(const std::string& text, const std::string& prefix) {
  if (text.compare(0, prefix.size(), prefix) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "output:\n" << text << "\nexpected to start with:\n" << prefix;
}

using CommandLineTest = VornTest;

using ScopeTest = AppTest;

class UsageTest : public CommandLineTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UsageTest, WrongCommandLinePrintsBannerAndUsage) {
  const RunResult r = RunBrovane(GetParam());
  EXPECT_EQ(r.out, kBanner + kUsage);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 1);
}

INSTANTIATE_TEST_SUITE_P(Words, UsageTest,
                         ::testing::Values("",  // no argument
                                           "EM 10 20 1",  // mode words are case-sensitive
                                           "emx 10 20 1",  // and exact
                                           "em 10 20 1 5",  // one word too many
                                           "cv 10 20",  // one word too few
                                           "ag 10 20 1 12",  // one word too few
                                           "ag 10 20 1 12 8 1"),  // one word too many
                         ArgsTestName());

TEST_F(CommandLineTest, UsageNamesTheProgramWhateverItIsCalled) {
  char dir[] = "/tmp/brovane_linkXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string link = std::string(dir) + "/other-name";
  // RunBrovane puts the program path in front of the words: let it be the
  // target of a symlink, then run the program through that link.
  const RunResult r = RunBrovane(link + " && " + link + " cv 1", "ln -s");
  EXPECT_EQ(r.out, kBanner + kUsage);
  EXPECT_EQ(r.status, 1);
  std::remove(link.c_str());
  rmdir(dir);
}

// The run configuration; the experiments follow it, only the front part is
// checked here (the rejected ones are in run_test).
struct ConfigCase {
  const char* args;
  std::string out;
  const char* later = "";  // a text the rest of the output holds
};
// Shown by the test runner as the command line it runs.
void PrintTo(const ConfigCase& c, std::ostream* os) { *os << '"' << c.args << '"'; }

class ConfigTest : public CommandLineTest, public ::testing::WithParamInterface<ConfigCase> {};

TEST_P(ConfigTest, PrintsTheConfiguration) {
  const RunResult r = RunBrovane(GetParam().args);
  EXPECT_TRUE(startsWith(r.out, GetParam().out));
  EXPECT_NE(r.out.find(GetParam().later, GetParam().out.size()), std::string::npos);
  EXPECT_TRUE(r.err.empty() && r.status == 0) << r.err << r.status;
}

const std::string kAg = "Ag-EM training";

INSTANTIATE_TEST_SUITE_P(
    Runs, ConfigTest,
    ::testing::Values(ConfigCase{"ag 10 20 1 20 1", configuration(kAg, "20 (subset size = 1, num of subsets = 20)",
                                                                  "num subset selection = 20, ensemble size = 1\n")},
                      ConfigCase{"em 3 7 6",
                                 configuration("Parallel-EM training", "42 (subset size = 6, num of subsets = 7)", "")},
                      // Read like strtol: "12abc" is 12, "abc" is 0 (a valid niter),
                      // leading blanks and a sign are accepted.
                      ConfigCase{"ag abc '  +12abc' 1 ' 10x' 8x",
                                 configuration(kAg, "12 (subset size = 1, num of subsets = 12)",
                                               "num subset selection = 10, ensemble size = 8\n"),
                                 "\n0        N/A     "}),
    ArgsTestName());

TEST_F(ScopeTest, ReleasesLocalsButNotTheCallersTemporaries) {
  Matrix* callers = MatDef("", 2, 2);
  const ScopeMarkers scope = OpenScope();
  MatSetType(MatDef("local", 1, 1), 1);
  String* inner = vnStringStringDef("temporary");
  MatObjectTmpUndef();
  EXPECT_TRUE(callers->type == 0 && !callers->parked && inner->parked);
  CloseScope(scope);
  EXPECT_TRUE(scope.mat->type == 0 && lastmat->type == 0);  // the local became a temporary too
}

}  // namespace
