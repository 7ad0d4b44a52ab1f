// Whole runs of the built program: the report of each mode, the runs that
// end early, and the run configurations rejected before any experiment.
#include <unistd.h>

#include "app_fixture.h"

namespace {

const std::string kHeader =
    "\n--Training and evaluation results--\n"
    "# 'iter'      is the training iterations.\n" "# 'E-step-LL' is the per frame E-step log likelihood.\n"
    "#             (The likelihood by the first E-step is shown at 0-th iteration)\n"
    "# 'train-LL'  is the per frame training set log likelihood by a general model.\n"
    "#             (The likelihood by an initial model is shown at 0-th iteration)\n"
    "# 'test-LL'   is the per frame test set log likelihood by a general model.\n"
    "#             (The likelihood by an initial model is shown at 0-th iteration)\n"
    "iter    E-step-LL   train-LL   test-LL\n";

std::string configuration(const std::string& title, const std::string& selection) {
  return kBanner + title + "\n" + "train set size = 20 (subset size = 1, num of subsets = 20)\n" +
         "test set size = 1000\n" + selection + "num experiments = 20 (Averaged results are output)\n";
}

// The three modes share the data, the initial models and so the first
// E-step and the first general model (lines 0 and 1 of train-LL, test-LL).
struct Report {
  const char* args;
  std::string expected;
};
// Shown by the test runner as the command line it runs.
void PrintTo(const Report& c, std::ostream* os) { *os << '"' << c.args << '"'; }

const Report kReports[] = {
    {"em 10 20 1", configuration("Parallel-EM training", "") + kHeader +
                       "0        -16.342    -16.342    -16.395\n" "1        -14.720    -14.720    -15.207\n"
                       "2        -12.434    -12.434    -13.610\n" "3         -9.652     -9.652    -13.430\n"
                       "4         -6.995     -6.995    -22.128\n" "5         -4.944     -4.944    -32.074\n"
                       "6         -3.643     -3.643    -42.050\n" "7         -2.907     -2.907    -47.570\n"
                       "8         -2.043     -2.043    -57.057\n" "9         -1.511     -1.511    -62.249\n"
                       "10       N/A         -1.362    -59.437\n" "Done\n"},
    {"cv 10 20 1", configuration("CV-EM training", "") + kHeader +
                       "0        -16.342    -16.342    -16.395\n" "1        -15.287    -14.720    -15.207\n"
                       "2        -13.214    -12.300    -13.596\n" "3        -13.664     -9.568    -13.447\n"
                       "4        -16.096     -7.113    -14.276\n" "5        -17.809     -6.696    -19.542\n"
                       "6        -15.379     -7.756    -14.570\n" "7        -15.454     -8.790    -14.685\n"
                       "8        -13.432     -9.988    -15.865\n" "9        -13.322    -10.523    -14.068\n"
                       "10       N/A        -10.869    -14.056\n" "Done\n"},
    {"ag 10 20 1 12 8", configuration("Ag-EM training", "num subset selection = 12, ensemble size = 8\n") + kHeader +
                            "0        -16.342    -16.342    -16.395\n" "1        -15.148    -14.720    -15.207\n"
                            "2        -12.971    -12.696    -13.777\n" "3        -11.918    -10.097    -12.716\n"
                            "4        -11.942     -8.394    -11.799\n" "5         -9.744     -6.930    -11.285\n"
                            "6         -9.684     -6.658    -11.120\n" "7         -8.232     -6.278    -11.066\n"
                            "8         -8.073     -5.978    -10.983\n" "9         -8.122     -5.827    -11.312\n"
                            "10       N/A         -5.702    -11.494\n" "Done\n"},
};

class ReportTest : public ::testing::TestWithParam<Report> {};

TEST_P(ReportTest, RunsToItsReport) {
  const RunResult r = RunBrovane(GetParam().args);
  EXPECT_EQ(r.out, GetParam().expected);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

// Two runs, each one test (a run is slow under the sanitizers): both must
// give the same bytes.
INSTANTIATE_TEST_SUITE_P(Run, ReportTest, ::testing::ValuesIn(kReports), ArgsTestName());
INSTANTIATE_TEST_SUITE_P(Rerun, ReportTest, ::testing::ValuesIn(kReports), ArgsTestName());

TEST(RunTest, NoIterationGivesOnlyTheInitialModelLine) {
  const RunResult r = RunBrovane("em 0 20 1");
  EXPECT_EQ(r.out, configuration("Parallel-EM training", "") + kHeader +
                       "0        N/A        -16.342    -16.395\n"
                       "Done\n");
  EXPECT_EQ(r.status, 0);
}

TEST(RunTest, MoreEnsembleModelsThanSubsetsStopsAtTheFirstIteration) {
  const RunResult r = RunBrovane("ag 3 4 5 4 2");
  EXPECT_EQ(r.err, "ERROR SampIntsAWOrep: input is out of range m=1 n=2.\n");
  EXPECT_EQ(r.out.find("Done"), std::string::npos);
  EXPECT_EQ(r.status, 1);
}

// Configurations rejected before any experiment. Runs too big for memory are
// checked under an address-space limit (ulimit -v, KiB), the same on every
// machine; the sanitizers reserve more address space than such a limit allows.
const char kLimit[] = "ulimit -v 2000000;";
#if defined(__SANITIZE_ADDRESS__)
const bool kLimitsWork = false;
#else
const bool kLimitsWork = true;
#endif

struct Rejection {
  const char* args;
  const char* title;
  std::string message;
  bool limited = false;
};
// Shown by the test runner as the command line it runs.
void PrintTo(const Rejection& c, std::ostream* os) { *os << '"' << c.args << '"'; }

class RejectionTest : public ::testing::TestWithParam<Rejection> {};

TEST_P(RejectionTest, BeforeAnyExperiment) {
  if (GetParam().limited && !kLimitsWork) GTEST_SKIP() << "address-space limits and the sanitizers do not mix";
  const RunResult r = RunBrovane(GetParam().args, GetParam().limited ? kLimit : "");
  EXPECT_EQ(r.out, kBanner + GetParam().title + "\n");
  EXPECT_EQ(r.err, GetParam().message);
  EXPECT_EQ(r.status, 1);
}

const std::string kNeeds = "ERROR: the run needs about ", kMore = " GB of memory, more than this machine can give (";

INSTANTIATE_TEST_SUITE_P(
    Arguments, RejectionTest,
    ::testing::Values(
        Rejection{"ag 10 20 1 21 8", "Ag-EM training", "ERROR: nlot (20) must not be smaller than nsel (21).\n"},
        // Out-of-range numbers are clamped to 32 bits.
        Rejection{"ag 10 -99999999999 1 99999999999999999999999 8", "Ag-EM training",
                  "ERROR: nlot (-2147483648) must not be smaller than nsel (2147483647).\n"},
        Rejection{"em -1 20 1", "Parallel-EM training", "ERROR: niter must not be negative (niter = -1).\n"},
        Rejection{"em 3 0 5", "Parallel-EM training", "ERROR: nlot must be positive (nlot = 0).\n"},
        Rejection{"cv 3 5 -2", "CV-EM training", "ERROR: lsize must be positive (lsize = -2).\n"},
        Rejection{"cv 3 1 5", "CV-EM training", "ERROR: nlot must be at least 2 for cv (nlot = 1).\n"},
        Rejection{"ag 3 5 2 0 4", "Ag-EM training", "ERROR: nsel must be positive (nsel = 0).\n"},
        Rejection{"ag 3 5 2 2 -3", "Ag-EM training", "ERROR: enss must be positive (enss = -3).\n"},
        Rejection{"em 715827882 2 1", "Parallel-EM training", "ERROR: niter is too large (niter = 715827882).\n"},
        Rejection{"em 3 29826162 1", "Parallel-EM training", "ERROR: nlot is too large (nlot = 29826162).\n"},
        Rejection{"em 3 2 268435456", "Parallel-EM training",
                  "ERROR: nlot x lsize is too large (nlot = 2, lsize = 268435456).\n"},
        Rejection{"ag 3 5 2 2 29826162", "Ag-EM training", "ERROR: enss is too large (enss = 29826162).\n"},
        Rejection{"em 715827881 2 1", "Parallel-EM training",
                  kNeeds + "17.2" + kMore + "niter = 715827881, nlot = 2, lsize = 1).\n", true},
        Rejection{"ag 1 5 2 2 29826161", "Ag-EM training",
                  kNeeds + "18.6" + kMore + "niter = 1, nlot = 5, lsize = 2, nsel = 2, enss = 29826161).\n", true},
        // Every subset drawn from a permutation of B(30, 15) = 155117520.
        Rejection{"ag 1 30 1 15 4000000", "Ag-EM training",
                  kNeeds + "9.9" + kMore + "niter = 1, nlot = 30, lsize = 1, nsel = 15, enss = 4000000).\n", true}),
    ArgsTestName());

TEST(RunTest, OrdinaryRunsFitTheMemoryLimit) {
  if (!kLimitsWork) GTEST_SKIP() << "address-space limits and the sanitizers do not mix";
  for (const char* args : {"em 3 10 5", "ag 1 20 10 12 8"}) {
    const RunResult r = RunBrovane(args, kLimit);
    EXPECT_TRUE(r.status == 0 && r.err.empty() && r.out.find("Done\n") != std::string::npos) << args;
  }
}

// A report that cannot be written is said lost on standard error and fails
// the run; a reader that went away on purpose ends it quietly.
struct OutputCase {
  const char* args;
  const char* wrap;   // runs "<wrap> brovane <args>"
  const char* err;
  int status;
};
void PrintTo(const OutputCase& c, std::ostream* os) { *os << '"' << c.args << '"'; }

class OutputTest : public ::testing::TestWithParam<OutputCase> {};

const char kLost[] = "ERROR: standard output could not be written; the report is incomplete.\n";

TEST_P(OutputTest, LostReportFailsTheRun) {
  // Descriptor 7: a pipe whose reader is already closed.
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  ASSERT_EQ(dup2(ends[1], 7), 7);
  close(ends[0]);
  close(ends[1]);
  const RunResult r = RunBrovane(GetParam().args, GetParam().wrap);
  close(7);
  EXPECT_EQ(r.err, GetParam().err);
  EXPECT_EQ(r.status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, OutputTest,
    ::testing::Values(OutputCase{"em 3 10 5 >/dev/full)", "(", kLost, 1},
                      OutputCase{"cv >/dev/full)", "(", kLost, 1},         // the usage text
                      OutputCase{"em 3 10 5 >&7)", "(", "", 128 + 13},     // SIGPIPE ends it
                      OutputCase{"em 3 10 5 >&7)", "(trap '' PIPE;", "", 1}),
    ArgsTestName());

}  // namespace
