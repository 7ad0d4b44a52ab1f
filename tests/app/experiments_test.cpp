// Experiments in worker processes: additions replayed and output passed on
// in experiment order whatever order the workers finish in, the first
// failing experiment deciding the end, workers ended with their parent,
// BROVANE_JOBS read strictly, whole runs equal to one process.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "app/experiments.h"
#include "app_fixture.h"

namespace {

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Addends whose sums depend on the order they are added in.
double addend(int e, int k) { return std::ldexp(1.0 + e / 7.0, (e * 37 + k * 11) % 60 - 5) * (k % 2 ? -1 : 1); }

class ExperimentsTest : public AppTest {};

TEST_F(ExperimentsTest, AdditionsAndOutputComeInExperimentOrder) {
  double sums[2] = {0.0, 0.0};
  std::string out, err;
  for (int e = 1; e <= 12; e++) {
    for (int k = 0; k < 3; k++) sums[k % 2] = sums[k % 2] + addend(e, k);
    out += "out " + std::to_string(e) + "\n";
    err += "err " + std::to_string(e) + "\n";
  }
  char text[128];
  std::snprintf(text, sizeof text, "%a %a\n", sums[0], sums[1]);
  for (int jobs : {3, 12}) {
    const RunResult r = RunInChild([jobs] {
      MatAssign(llresults, MatZDef2(1, 2));
      RunExperimentSeries(12, jobs, [](int e) {
        sleepMs((12 - e) * 15);   // the last experiments finish first
        for (int k = 0; k < 3; k++) AddToResults(1, 1 + k % 2, addend(e, k));
        std::printf("out %d\n", e);
        std::fprintf(stderr, "err %d\n", e);
      });
      std::printf("%a %a\n", MatGetValue(llresults, 1, 1), MatGetValue(llresults, 1, 2));
      return 0;
    });
    EXPECT_EQ(r.out, out + text) << jobs << " jobs";
    EXPECT_EQ(r.err, err) << jobs << " jobs";
    EXPECT_EQ(r.status, 0) << jobs << " jobs";
  }
}

// Experiment 2 warns; 3 fails late, 5 fails at once.
TEST_F(ExperimentsTest, FirstFailingExperimentInOrderDecides) {
  static void (*third)();
  const struct {
    void (*end)();
    int status;   // exit status, or 128 + signal
  } endings[] = {{[] { std::exit(7); }, 7}, {[] { std::raise(SIGUSR1); }, 128 + SIGUSR1}};
  for (const auto& ending : endings) {
    third = ending.end;
    for (int jobs : {1, 4}) {
      const RunResult r = RunInChild([jobs] {
        std::setvbuf(stderr, nullptr, _IONBF, 0);   // as in a program; a redirected one is buffered
        MatAssign(llresults, MatZDef2(1, 1));
        RunExperimentSeries(8, jobs, [](int e) {
          if (e == 2) std::fprintf(stderr, "warning 2\n");
          if (e == 3) {
            sleepMs(200);
            std::printf("\a");
            std::fflush(stdout);
            std::fprintf(stderr, "error 3\n");
            third();
          }
          if (e == 5) {
            std::fprintf(stderr, "error 5\n");
            std::exit(9);
          }
        });
        return 0;
      });
      EXPECT_EQ(r.out, "\a") << ending.status << ", " << jobs << " jobs";
      EXPECT_EQ(r.err, "warning 2\nerror 3\n") << ending.status << ", " << jobs << " jobs";
      EXPECT_EQ(r.status, ending.status) << jobs << " jobs";
    }
  }
}

// Reaped, or a zombie waiting for its reaper.
bool gone(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  for (int i = 0; i < 3 && stat >> field; i++) {
  }
  return !stat || field == "Z" || field == "X";
}

TEST_F(ExperimentsTest, WorkersEndWithTheirParent) {
  int pids[2];
  ASSERT_EQ(pipe(pids), 0);
  std::fflush(nullptr);
  const pid_t parent = fork();
  if (parent == 0) {
    VornSetSignal();
    RunExperimentSeries(4, 2, [&](int) {
      const pid_t self = getpid();
      if (write(pids[1], &self, sizeof self) == sizeof self) sleepMs(20000);
    });
    _exit(0);
  }
  close(pids[1]);
  pid_t workers[2];
  for (pid_t& w : workers) ASSERT_EQ(read(pids[0], &w, sizeof w), static_cast<ssize_t>(sizeof w));
  close(pids[0]);
  kill(parent, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(parent, &status, 0), parent);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  for (pid_t w : workers) {
    for (int i = 0; i < 200 && !gone(w); i++) sleepMs(10);
    EXPECT_TRUE(gone(w)) << "worker " << w;
  }
}

// Refused before any experiment; control bytes are not passed on.
TEST(ParallelRunTest, InvalidJobsStopBeforeAnyExperiment) {
  const RunResult r = RunBrovane("em 3 10 5", "BROVANE_JOBS=\"$(printf ' 3\\033[2J')\"");
  EXPECT_EQ(r.out, "brovane ver.1.0\nCopyright (C) the brovane developers. See README.md.\n\nParallel-EM training\n");
  EXPECT_EQ(
      r.err,
      "ERROR: BROVANE_JOBS must be a number of processes, or 0 for one per processor (BROVANE_JOBS = \" 3?[2J\").\n");
  EXPECT_EQ(r.status, 1);
}

// Whole runs: the bytes and the status of one process. The delays make the
// first experiments finish last.
struct Parallel {
  const char* args;
  const char* env;
};
void PrintTo(const Parallel& c, std::ostream* os) { *os << '"' << c.env << " " << c.args << '"'; }

class ParallelRunTest : public ::testing::TestWithParam<Parallel> {};

TEST_P(ParallelRunTest, SameAsOneProcess) {
  const RunResult one = RunBrovane(GetParam().args + std::string(")"), "(");
  const RunResult many = RunBrovane(GetParam().args + std::string(")"), std::string("(") + GetParam().env);
  EXPECT_EQ(many.out, one.out);
  EXPECT_EQ(many.err, one.err);
  EXPECT_EQ(many.status, one.status);
}

INSTANTIATE_TEST_SUITE_P(Jobs, ParallelRunTest,
                         ::testing::Values(Parallel{"em 4 10 5", "BROVANE_JOBS=3 BROVANE_TEST_DELAY=1:400,2:200"},
                                           Parallel{"ag 4 6 5 3 4", "BROVANE_JOBS=20 BROVANE_TEST_DELAY=1:300,4:150"},
                                           Parallel{"cv 3 5 4 2>&1", "BROVANE_JOBS=2 BROVANE_TEST_DELAY=1:300"},
                                           Parallel{"ag 3 4 5 4 2", "BROVANE_JOBS=2"},   // every experiment fails
                                           Parallel{"ag 3 4 5 4 2 2>&1", "BROVANE_JOBS=0"},
                                           Parallel{"em 2 5 3", "BROVANE_JOBS= "},   // empty: one process
                                           Parallel{"em 2 5 3", "BROVANE_JOBS=99999999999999999999"}),
                         ArgsTestName());

}  // namespace
