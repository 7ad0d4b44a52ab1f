// Experiments in worker processes: additions replayed in experiment order
// whatever order the workers finish in, output passed on in that order,
// the first failing experiment deciding the end, workers ended with their
// parent; BROVANE_JOBS read strictly; whole runs equal to one process.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/experiments.h"
#include "app_fixture.h"

namespace {

constexpr int kCount = 12;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Addends whose sum depends on the order they are added in.
double addend(int e, int k) { return std::ldexp(1.0 + e / 7.0, (e * 37 + k * 11) % 60 - 5) * (k % 2 ? -1 : 1); }

// Experiment e adds three addends into two cells and says so on both
// streams; later experiments finish first.
void orderedExperiment(int e) {
  sleepMs((kCount - e) * 15);
  for (int k = 0; k < 3; k++) AddToResults(1, 1 + k % 2, addend(e, k));
  std::printf("out %d\n", e);
  std::fprintf(stderr, "err %d\n", e);
}

class ExperimentsTest : public AppTest {};

TEST_F(ExperimentsTest, AdditionsAndOutputComeInExperimentOrder) {
  double expected[2] = {0.0, 0.0};
  std::string out, err;
  for (int e = 1; e <= kCount; e++) {
    for (int k = 0; k < 3; k++) expected[k % 2] = expected[k % 2] + addend(e, k);
    out += "out " + std::to_string(e) + "\n";
    err += "err " + std::to_string(e) + "\n";
  }
  for (int jobs : {1, 3, kCount}) {
    const RunResult r = RunInChild([jobs] {
      MatAssign(llresults, MatZDef2(1, 2));
      RunExperimentSeries(kCount, jobs, orderedExperiment);
      std::printf("%a %a\n", MatGetValue(llresults, 1, 1), MatGetValue(llresults, 1, 2));
      return 0;
    });
    char sums[128];
    std::snprintf(sums, sizeof sums, "%a %a\n", expected[0], expected[1]);
    EXPECT_EQ(r.out, out + sums) << jobs << " jobs";
    EXPECT_EQ(r.err, err) << jobs << " jobs";
    EXPECT_EQ(r.status, 0) << jobs << " jobs";
  }
  // The sums differ in another order: the check above can tell.
  double reversed = 0.0;
  for (int e = kCount; e >= 1; e--) reversed = reversed + addend(e, 0) + addend(e, 2);
  EXPECT_NE(reversed, expected[0]);
}

// How experiment 3 ends the run; experiment 5 fails sooner on its own.
struct Ending {
  const char* name;
  void (*third)();
  int status;   // exit status, or 128 + signal
};

const Ending kEndings[] = {
    {"exit 7", [] { std::exit(7); }, 7},
    {"exit 255", [] { std::exit(255); }, 255},
    {"signal", [] { std::raise(SIGUSR1); }, 128 + SIGUSR1},
};

TEST_F(ExperimentsTest, FirstFailingExperimentInOrderDecides) {
  for (const Ending& ending : kEndings) {
    for (int jobs : {1, 4}) {
      static const Ending* current;
      current = &ending;
      const RunResult r = RunInChild([jobs] {
        std::setvbuf(stderr, nullptr, _IONBF, 0);   // as it is in a program; a redirected one is buffered
        MatAssign(llresults, MatZDef2(1, 1));
        RunExperimentSeries(8, jobs, [](int e) {
          AddToResults(1, 1, e);
          if (e == 2) std::fprintf(stderr, "warning 2\n");
          if (e == 3) {
            sleepMs(200);
            std::printf("bell 3");
            std::fflush(stdout);
            std::fprintf(stderr, "error 3\n");
            current->third();
          }
          if (e == 5) {
            std::fprintf(stderr, "error 5\n");
            std::exit(9);
          }
        });
        return 0;
      });
      EXPECT_EQ(r.out, "bell 3") << ending.name << ", " << jobs << " jobs";
      EXPECT_EQ(r.err, "warning 2\nerror 3\n") << ending.name << ", " << jobs << " jobs";
      EXPECT_EQ(r.status, ending.status) << ending.name << ", " << jobs << " jobs";
    }
  }
}

bool gone(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  for (int i = 0; i < 3 && stat >> field; i++) {
  }
  return !stat || field == "Z" || field == "X";   // reaped, or a zombie waiting for its reaper
}

TEST_F(ExperimentsTest, WorkersEndWithTheirParent) {
  int pids[2];
  ASSERT_EQ(pipe(pids), 0);
  std::fflush(nullptr);
  const pid_t parent = fork();
  if (parent == 0) {
    close(pids[0]);
    VornSetSignal();
    RunExperimentSeries(4, 2, [&](int) {
      const pid_t self = getpid();
      if (write(pids[1], &self, sizeof self) != sizeof self) _exit(3);
      sleepMs(20000);
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

TEST_F(ExperimentsTest, JobsFromTheEnvironment) {
  const long cpus = sysconf(_SC_NPROCESSORS_ONLN);
  const struct {
    const char* value;   // null: unset
    long jobs;
  } cases[] = {{nullptr, 1}, {"", 1}, {"1", 1}, {"2", 2}, {"007", 7}, {"0", cpus > 0 ? cpus : 1},
               {"99999999999999999999999", 1000000}};
  for (const auto& c : cases) {
    if (c.value == nullptr) unsetenv("BROVANE_JOBS");
    else setenv("BROVANE_JOBS", c.value, 1);
    EXPECT_EQ(ExperimentJobs(), c.jobs) << (c.value != nullptr ? c.value : "unset");
  }
  for (const char* bad : {"two", "-1", " 2", "2 ", "+3", "1.5", "3\x1b[2J"}) {
    setenv("BROVANE_JOBS", bad, 1);
    std::string shown;
    for (const char* p = bad; *p != '\0'; p++) shown += *p >= 0x20 && *p < 0x7f ? *p : '?';
    EXPECT_EXIT(ExperimentJobs(), ::testing::ExitedWithCode(1),
                "^" + Literal("ERROR: BROVANE_JOBS must be a number of processes, or 0 for one per processor "
                              "(BROVANE_JOBS = \"" + shown + "\").\n") + "$");
  }
  unsetenv("BROVANE_JOBS");
}

// Whole runs: every way of running gives the bytes and the status of one
// process. Delays make the first experiments finish last.
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

INSTANTIATE_TEST_SUITE_P(
    Jobs, ParallelRunTest,
    ::testing::Values(Parallel{"em 4 10 5", "BROVANE_JOBS=3 BROVANE_TEST_DELAY=1:400,2:200"},
                      Parallel{"ag 4 6 5 3 4", "BROVANE_JOBS=20 BROVANE_TEST_DELAY=1:300,4:150"},
                      Parallel{"cv 3 5 4 2>&1", "BROVANE_JOBS=2 BROVANE_TEST_DELAY=1:300"},
                      Parallel{"ag 3 4 5 4 2", "BROVANE_JOBS=2"},           // fails in every experiment
                      Parallel{"ag 3 4 5 4 2 2>&1", "BROVANE_JOBS=0"},
                      Parallel{"em 0 20 1", "BROVANE_JOBS=20"}),
    ArgsTestName());

TEST(ParallelRunTest, InvalidJobsStopBeforeAnyExperiment) {
  const RunResult r = RunBrovane("em 3 10 5", "BROVANE_JOBS=many");
  EXPECT_EQ(r.out,
            "brovane ver.1.0\n"
            "Copyright (C) the brovane developers. See README.md.\n"
            "\n"
            "Parallel-EM training\n");
  EXPECT_EQ(r.err,
            "ERROR: BROVANE_JOBS must be a number of processes, or 0 for one per processor (BROVANE_JOBS = \"many\").\n");
  EXPECT_EQ(r.status, 1);
}

}  // namespace
