// Shared test support: runtime start-up, a fixture that checks every kind's
// live count after a test (leaks and double releases show up here), output
// capture, scratch files, child processes and report patterns.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "runtime/vorn.h"
#include "values.h"

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

const ::testing::ExitedWithCode kFatal(255);   // every runtime error

// A misuse and the report it must end the process with: a pattern, or with
// a tag the body of the report line (see ReportLine).
struct FatalCase {
  std::function<void()> body;
  std::string report;
  std::string tag = "";
};
void ExpectFatal(const std::vector<FatalCase>& cases);

// What a process wrote and how it ended.
struct RunResult {
  std::string out;
  std::string err;
  int status;   // exit status, or 128 + signal number
};

// Runs brovane with the given arguments (a shell-quoted string) and
// captures its standard output, standard error and exit status.
RunResult RunBrovane(const std::string& args, const std::string& env = "");

// Names a test case after the command line it runs ("ag 10 20 1" gives
// "3_ag_10_20_1" for the fourth case): parameters are a command line, or a
// struct whose `args` member is one.
inline const char* ArgsOf(const char* args) { return args; }
template <class P>
const char* ArgsOf(const P& param) {
  return param.args;
}
struct ArgsTestName {
  template <class P>
  std::string operator()(const ::testing::TestParamInfo<P>& info) const {
    std::string name = std::to_string(info.index) + "_";
    for (const char* c = ArgsOf(info.param); *c != '\0'; c++) {
      const bool keep = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9');
      if (keep) name += *c;
      else if (name.back() != '_') name += '_';
    }
    if (name.back() == '_') name += "none";
    return name;
  }
};

// Runs body in a forked child whose standard input reads `input`; the
// status is body's return value (or what the child passed to exit).
RunResult RunInChild(const std::function<int()>& body, const std::string& input = "");

// A regular expression that matches text literally.
std::string Literal(const std::string& text);

// The report line of a runtime error or warning, as written on stderr.
inline std::string ReportLine(const std::string& body, const std::string& tag) {
  return Literal("\n" + body + " in " + tag + ".\n");
}

std::string SlurpFile(const std::string& path);

// Runs body with standard output (error) captured; returns what it wrote.
std::string StdoutOf(const std::function<void()>& body);
std::string StderrOf(const std::function<void()>& body);

// A file name of its own for one test, removed at the end.
class ScratchFile {
 public:
  ScratchFile();
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const char* path() const { return path_.c_str(); }
  std::string text() const { return SlurpFile(path_); }
  void put(const std::string& text) const;

 private:
  std::string path_;
};

// The fixture with a scratch file of its own.
class VornFileTest : public VornTest {
 protected:
  const char* path() const { return file_.path(); }
  std::string saved() const { return file_.text(); }
  void put(const std::string& text) const { file_.put(text); }
  const ScratchFile file_;
};
