// The progress line: its text, and whole runs with standard error on a
// pseudo-terminal: the line is drawn and redrawn below the output, erased
// before the report, and the report itself is unchanged.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <regex>
#include <string>

#include "app/progress.h"
#include "support/vorn_test.h"

namespace {

TEST(ProgressTest, Text) {
  const struct {
    int finished, count;
    double elapsed;
    int width;
    const char* text;
  } cases[] = {
      {0, 20, 0.4, 80, "brovane: experiment 1 of 20, 0:00 elapsed"},
      {5, 20, 12.6, 80, "brovane: experiment 6 of 20, 0:13 elapsed, about 0:38 left"},
      {19, 20, 3725.0, 80, "brovane: experiment 20 of 20, 1:02:05 elapsed, about 3:16 left"},
      {20, 20, 61.0, 80, "brovane: experiment 20 of 20, 1:01 elapsed"},
      {5, 20, 12.6, 30, "brovane: experiment 6 of 20, "},   // one column short of the width
  };
  for (const auto& c : cases) {
    char text[256];
    ProgressText(text, sizeof text, c.finished, c.count, c.elapsed, c.width);
    EXPECT_STREQ(text, c.text);
  }
}

// What a run wrote to a pseudo-terminal, through the given redirections
// ("@" stands for the terminal's path).
struct TerminalRun {
  RunResult run;
  std::string screen;
};

TerminalRun onTerminal(const std::string& args, const std::string& redirect, const std::string& env) {
  TerminalRun t;
  int master, slave;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return t;
  std::string redirection = redirect;
  redirection.replace(redirection.find('@'), 1, ttyname(slave));
  t.run = RunBrovane(args + " " + redirection + ")", "(" + env);
  fcntl(master, F_SETFL, O_NONBLOCK);
  char buffer[4096];
  ssize_t n;
  while ((n = read(master, buffer, sizeof buffer)) > 0) t.screen.append(buffer, static_cast<size_t>(n));
  close(slave);
  close(master);
  return t;
}

// The screen less every drawing of the line and the final erasure; what
// remains is what the run itself wrote (line feeds as the terminal sends
// them back, "\r\n").
std::string withoutProgress(const std::string& screen) {
  static const std::regex drawing("(\x1b\\[A\r\x1b\\[K)?brovane: experiment [0-9]+ of 20, [^\r\n]*\r\n");
  std::string rest = std::regex_replace(screen, drawing, "");
  const std::string erase = "\x1b[A\r\x1b[K";
  const size_t at = rest.find(erase);
  if (at != std::string::npos) rest.erase(at, erase.size());
  return rest;
}

std::string terminalLines(std::string text) {
  for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, "\r");
  return text;
}

TEST(ProgressTest, DrawnOnATerminalAndErasedBeforeTheReport) {
  const RunResult plain = RunBrovane("em 2 5 3");
  for (const char* env : {"", "BROVANE_JOBS=2 "}) {
    // Standard error alone on the terminal: the report file is unchanged.
    const TerminalRun apart = onTerminal("em 2 5 3", "2>@", env);
    EXPECT_EQ(apart.run.out, plain.out) << env;
    EXPECT_EQ(apart.run.status, 0) << env;
    EXPECT_EQ(apart.screen.rfind("brovane: experiment 1 of 20, 0:", 0), 0u) << env;
    EXPECT_NE(apart.screen.find("brovane: experiment 20 of 20, "), std::string::npos) << env;
    EXPECT_EQ(withoutProgress(apart.screen), "") << env;
    // The line's last act is its erasure.
    EXPECT_EQ(apart.screen.substr(apart.screen.size() - 7), "\x1b[A\r\x1b[K") << env;

    // Both streams on it: the report follows the erased line.
    const TerminalRun both = onTerminal("em 2 5 3", ">@ 2>&1", env);
    EXPECT_EQ(withoutProgress(both.screen), terminalLines(plain.out)) << env;
  }
}

TEST(ProgressTest, ErrorsLeaveTheLineAndComeAfterIt) {
  const RunResult plain = RunBrovane("ag 3 4 5 4 2");
  const TerminalRun t = onTerminal("ag 3 4 5 4 2", "2>@", "");
  EXPECT_EQ(t.run.status, 1);
  EXPECT_EQ(t.screen, "brovane: experiment 1 of 20, 0:00 elapsed\r\n" + terminalLines(plain.err));
}

}  // namespace
