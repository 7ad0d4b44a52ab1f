#include "vorn_test.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

void VornTestStartUp() {
  static bool started = false;
  if (started) return;
  started = true;
  vorn_eps = std::pow(2.0, -52.0);
  vorn_version(5.0);
  vorn_withlog_flag = 0;
  VornInitRegistries();
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

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

RunResult RunBrovane(const std::string& args, const std::string& env) {
  char outPath[] = "/tmp/brovane_outXXXXXX";
  char errPath[] = "/tmp/brovane_errXXXXXX";
  const int outFd = mkstemp(outPath);
  const int errFd = mkstemp(errPath);
  close(outFd);
  close(errFd);
  const std::string command = env + " " BROVANE_PATH " " + args + " >" + outPath + " 2>" + errPath;
  const int raw = std::system(command.c_str());
  RunResult result;
  result.out = slurp(outPath);
  result.err = slurp(errPath);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  unlink(outPath);
  unlink(errPath);
  return result;
}
