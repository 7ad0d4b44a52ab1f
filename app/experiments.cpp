// Experiments in worker processes. The runtime is single-threaded, so the
// parallel form is one forked process per experiment: the child runs the
// experiment with its standard output and standard error going to scratch
// files and records every addition it makes into llresults; the parent
// passes the output on and replays the additions, both in experiment
// order. Sums of partial sums would round differently; the replay adds the
// very same numbers in the very same order as one process does.
#include "app/experiments.h"

#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/output_file.h"
#include "app/progress.h"
#include "app/scope.h"
#include "runtime/core/channel.h"
#include "runtime/core/entry.h"

namespace {

// One addition into llresults as a worker passes it back. A record of
// additions ends with row 0, so that a worker that stopped half-way is
// told from one that finished.
struct Addend {
  int32_t row;
  int32_t col;
  double value;
};
static_assert(sizeof(Addend) == 16, "records are read back as written");

std::vector<Addend>* recording = nullptr;   // set in a worker only

enum class State { Waiting, Running, Finished, Replayed };

// One experiment's worker and its scratch files (unlinked at creation).
struct Slot {
  State state = State::Waiting;
  pid_t pid = -1;
  int out = -1;      // standard output, and standard error when both go to one file
  int err = -1;      // standard error when it goes elsewhere
  int log = -1;      // the recorded additions
  int status = 0;    // as waitpid gives it
};

constexpr long kJobsMax = 1000000;   // more workers than experiments run as many as there are experiments
constexpr long kPollNanoseconds = 10 * 1000 * 1000;

// An unnamed file in TMPDIR (or /tmp) for a worker's output.
int scratchFile() {
  const char* dir = std::getenv("TMPDIR");
  return OutputScratchFile(dir != nullptr && dir[0] != '\0' ? dir : "/tmp", nullptr);
}

void closeSlot(Slot& s) {
  for (int* fd : {&s.out, &s.err, &s.log}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
}

bool writeAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}


// Standard output and standard error are one file (a terminal, or 2>&1):
// a worker then writes both into one scratch file, which keeps the order in
// which its lines met.
bool sameFile(int a, int b) {
  struct stat sa, sb;
  return fstat(a, &sa) == 0 && fstat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void sleepFor(long nanoseconds) {
  timespec t = {nanoseconds / 1000000000L, nanoseconds % 1000000000L};
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

// BROVANE_TEST_DELAY="e:ms,e:ms,...": the worker of experiment e waits ms
// milliseconds before it starts, so that tests can make experiments finish
// out of order. Anything unreadable ends the list.
void testDelay(int e) {
  const char* p = std::getenv("BROVANE_TEST_DELAY");
  while (p != nullptr && *p != '\0') {
    char* end;
    const long experiment = std::strtol(p, &end, 10);
    if (*end != ':') return;
    const long ms = std::strtol(end + 1, &end, 10);
    if (experiment == e && ms > 0 && ms <= 60000) sleepFor(ms * 1000000L);
    if (*end != ',') return;
    p = end + 1;
  }
}

// The child's side: never returns.
[[noreturn]] void runWorker(int e, std::vector<Slot>& slots, pid_t parent,
                            const std::function<void(int)>& experiment) {
  // A parent that dies, by a signal or otherwise, takes its workers along.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(1);
  Slot& own = slots[e];
  for (size_t i = 0; i < slots.size(); i++)
    if (static_cast<int>(i) != e) closeSlot(slots[i]);
  if (dup2(own.out, STDOUT_FILENO) < 0 || dup2(own.err >= 0 ? own.err : own.out, STDERR_FILENO) < 0) _exit(1);

  std::vector<Addend> record;
  recording = &record;
  testDelay(e);
  experiment(e);
  record.push_back({0, 0, 0.0});
  // Output that did not reach the scratch file would be lost silently:
  // without the end mark the parent reports the experiment instead.
  const bool delivered = std::fflush(stdout) == 0 && std::ferror(stdout) == 0 &&
                         writeAll(own.log, record.data(), record.size() * sizeof(Addend));
  std::fflush(stderr);
  _exit(delivered ? 0 : 1);
}

bool launch(int e, std::vector<Slot>& slots, bool combined, const std::function<void(int)>& experiment) {
  Slot& s = slots[e];
  s.out = scratchFile();
  s.err = combined ? -1 : scratchFile();
  s.log = scratchFile();
  if (s.out < 0 || (!combined && s.err < 0) || s.log < 0) {
    closeSlot(s);
    return false;
  }
  // Nothing buffered may be written twice, by the parent and the child.
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) {
    closeSlot(s);
    return false;
  }
  if (pid == 0) runWorker(e, slots, parent, experiment);
  s.pid = pid;
  s.state = State::Running;
  return true;
}

// Collects one worker that has ended; false when none has.
bool reapOne(std::vector<Slot>& slots) {
  for (Slot& s : slots) {
    if (s.state != State::Running) continue;
    int status = 0;
    const pid_t r = waitpid(s.pid, &status, WNOHANG);
    if (r == 0 || (r < 0 && errno == EINTR)) continue;
    // Collected elsewhere (r < 0): the end mark of its record decides.
    s.status = r == s.pid ? status : 0;
    s.state = State::Finished;
    return true;
  }
  return false;
}

void endWorkers(std::vector<Slot>& slots) {
  for (Slot& s : slots) {
    if (s.state != State::Running) continue;
    kill(s.pid, SIGKILL);
    while (waitpid(s.pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    s.state = State::Finished;
  }
}

void passOn(const std::string& text, FILE* stream) {
  if (text.empty()) return;
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

// Experiment e's output, then its additions into llresults; a worker that
// ended the process ends this one the same way.
void replay(int e, std::vector<Slot>& slots) {
  Slot& s = slots[e];
  const std::string out = ReadWholeFile(s.out);
  const std::string err = ReadWholeFile(s.err);
  // As in one process, a failure's message comes below the progress line;
  // other output takes the line's place until it is drawn again.
  const bool failed = WIFSIGNALED(s.status) || WEXITSTATUS(s.status) != 0;
  if (!failed && (!out.empty() || !err.empty())) ProgressErase();
  passOn(out, stdout);
  passOn(err, stderr);

  if (WIFSIGNALED(s.status)) {
    const int sig = WTERMSIG(s.status);
    endWorkers(slots);
    VornExit();
    std::signal(sig, SIG_DFL);
    raise(sig);
    _exit(128 + sig);
  }
  if (WEXITSTATUS(s.status) != 0) {
    endWorkers(slots);
    VornExit();
    std::exit(WEXITSTATUS(s.status));
  }

  const std::string bytes = ReadWholeFile(s.log);
  const size_t count = bytes.size() / sizeof(Addend);
  std::vector<Addend> record(count);
  if (count > 0) std::memcpy(record.data(), bytes.data(), count * sizeof(Addend));
  if (count == 0 || bytes.size() % sizeof(Addend) != 0 || record.back().row != 0) {
    endWorkers(slots);
    FilePrintf(2, "ERROR: experiment %d ended without passing its results back.\n", e);
    VornExitFailure();
  }
  for (size_t i = 0; i + 1 < count; i++) AddToElement(llresults, record[i].row, record[i].col, record[i].value);
  closeSlot(s);
  s.state = State::Replayed;
}

double secondsSince(const timespec& t) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec - t.tv_sec) + (now.tv_nsec - t.tv_nsec) / 1e9;
}


}  // namespace

void AddToResults(int i, int j, double x) {
  AddToElement(llresults, i, j, x);
  if (recording != nullptr) recording->push_back({i, j, x});
}

int ExperimentJobs() {
  // Set to nothing is taken as unset, the way a script clears it.
  const char* value = std::getenv("BROVANE_JOBS");
  if (value == nullptr || value[0] == '\0') return 1;
  bool valid = true;
  long jobs = 0;
  for (const char* p = value; *p != '\0' && valid; p++) {
    valid = *p >= '0' && *p <= '9';
    if (valid && jobs < kJobsMax) jobs = jobs * 10 + (*p - '0');
  }
  if (!valid) {
    FilePrintf(
        2, "ERROR: BROVANE_JOBS must be a number of processes, or 0 for one per processor (BROVANE_JOBS = \"%s\").\n",
        PrintableText(value, 40).c_str());
    VornExitFailure();
  }
  if (jobs == 0) jobs = sysconf(_SC_NPROCESSORS_ONLN);
  if (jobs < 1) jobs = 1;
  return static_cast<int>(jobs < kJobsMax ? jobs : kJobsMax);
}

void RunExperimentSeries(int count, int jobs, const std::function<void(int)>& experiment) {
  ProgressStart(count);
  if (jobs <= 1) {
    for (int e = 1; e <= count; e++) {
      ProgressShow(e - 1);
      experiment(e);
    }
    ProgressErase();
    return;
  }

  // Workers are collected by pid here; a handler that collects any child
  // would take their statuses.
  void (*const savedChildHandler)(int) = std::signal(SIGCHLD, SIG_DFL);
  const bool combined = sameFile(STDOUT_FILENO, STDERR_FILENO);
  std::vector<Slot> slots(static_cast<size_t>(count) + 1);
  int next = 1;       // the next experiment to start
  int replayed = 0;   // experiments 1 .. replayed are in llresults
  int running = 0;
  int finished = 0;
  timespec drawn;
  ProgressShow(0);
  clock_gettime(CLOCK_MONOTONIC, &drawn);

  while (replayed < count) {
    if (slots[replayed + 1].state == State::Finished) {
      replay(replayed + 1, slots);
      replayed++;
      continue;
    }
    while (running < jobs && next <= count && launch(next, slots, combined, experiment)) {
      next++;
      running++;
    }
    if (running == 0) {
      // No worker could be started and every started one is replayed: the
      // next experiment in order runs here, as in one process.
      experiment(next);
      slots[next].state = State::Replayed;
      next++;
      replayed++;
      finished++;
      ProgressShow(finished);
      continue;
    }
    if (reapOne(slots)) {
      running--;
      finished++;
      ProgressShow(finished);
      clock_gettime(CLOCK_MONOTONIC, &drawn);
    } else {
      sleepFor(kPollNanoseconds);
      if (secondsSince(drawn) >= 1.0) {
        ProgressShow(finished);
        clock_gettime(CLOCK_MONOTONIC, &drawn);
      }
    }
  }
  std::signal(SIGCHLD, savedChildHandler);
  ProgressErase();
}
