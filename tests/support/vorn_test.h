// Shared test support: runtime start-up once per test binary, and a fixture
// that checks every kind's live count is the same after a test as before
// (leaks and double releases show up here).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "runtime/vorn.h"

// Starts the runtime the way main does (settings and registries), once.
void VornTestStartUp();

struct LiveCounts {
  int matrices, strings, lists, complexes, polynomials, rationals;
  bool operator==(const LiveCounts& o) const;
};
LiveCounts CurrentLiveCounts();
std::ostream& operator<<(std::ostream& os, const LiveCounts& c);

class VornTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;   // releases temporaries, then compares counts
  LiveCounts before_{};
};

// Runs brovane with the given arguments (a shell-quoted string) and
// captures its standard output, standard error and exit status.
struct RunResult {
  std::string out;
  std::string err;
  int status;   // exit status, or 128 + signal number
};
RunResult RunBrovane(const std::string& args, const std::string& env = "");
