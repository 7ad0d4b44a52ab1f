#include "vorn_test.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

void VornTestStartUp() {
  static bool started = false;
  if (started) return;
  started = true;
  VornInitRuntime();
}

bool LiveCounts::operator==(const LiveCounts& o) const {
  return matrices == o.matrices && strings == o.strings && lists == o.lists &&
         complexes == o.complexes && polynomials == o.polynomials && rationals == o.rationals;
}

LiveCounts CurrentLiveCounts() {
  return {MatLiveCount(), vnStringLiveCount(), ListLiveCount(),
          CompLiveCount(), PolyLiveCount(),    RatLiveCount()};
}

std::ostream& operator<<(std::ostream& os, const LiveCounts& c) {
  return os << "{matrices " << c.matrices << ", strings " << c.strings << ", lists " << c.lists
            << ", complexes " << c.complexes << ", polynomials " << c.polynomials
            << ", rationals " << c.rationals << "}";
}

void VornTest::SetUp() {
  VornTestStartUp();
  MatObjectTmpUndef();
  before_ = CurrentLiveCounts();
}

void VornTest::TearDown() {
  MatObjectTmpUndef();
  EXPECT_EQ(before_, CurrentLiveCounts()) << "objects leaked or released twice";
}

void ExpectFatal(const std::vector<FatalCase>& cases) {
  for (const FatalCase& c : cases) {
    EXPECT_EXIT(c.body(), kFatal, c.tag.empty() ? c.report : ReportLine(c.report, c.tag)) << c.report;
  }
}

std::string SlurpFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string Literal(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (std::string(".[]{}()\\*+?^$|").find(c) != std::string::npos) out += '\\';
    out += c;
  }
  return out;
}

std::string StdoutOf(const std::function<void()>& body) {
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  body();
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

std::string StderrOf(const std::function<void()>& body) {
  std::fflush(stderr);
  testing::internal::CaptureStderr();
  body();
  std::fflush(stderr);
  return testing::internal::GetCapturedStderr();
}

ScratchFile::ScratchFile() {
  std::string pattern = ::testing::TempDir() + "vorn_scratchXXXXXX";
  const int fd = mkstemp(&pattern[0]);
  if (fd >= 0) close(fd);
  path_ = pattern;
  std::remove(path_.c_str());   // tests start without the file
}

ScratchFile::~ScratchFile() { std::remove(path_.c_str()); }

void ScratchFile::put(const std::string& text) const {
  std::ofstream out(path_, std::ios::binary);
  out << text;
}

namespace {

int statusOf(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw); }

}  // namespace

RunResult RunBrovane(const std::string& args, const std::string& env) {
  const ScratchFile out, err;
  const std::string command =
      env + " " BROVANE_PATH " " + args + " >" + out.path() + " 2>" + err.path();
  const int raw = std::system(command.c_str());
  return {out.text(), err.text(), statusOf(raw)};
}

RunResult RunInChild(const std::function<int()>& body, const std::string& input) {
  const ScratchFile in, out, err;
  in.put(input);
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (!std::freopen(in.path(), "r", stdin) || !std::freopen(out.path(), "w", stdout) ||
        !std::freopen(err.path(), "w", stderr))
      _exit(120);
    const int status = body();
    std::fflush(nullptr);
    _exit(status);
  }
  int raw = 0;
  waitpid(pid, &raw, 0);
  return {out.text(), err.text(), statusOf(raw)};
}
