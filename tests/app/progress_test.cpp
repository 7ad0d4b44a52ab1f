// The progress line: its text, and whole runs with standard error on a
// pseudo-terminal: the line is drawn and redrawn below the output, erased
// before the report, and the report itself is unchanged.
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

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
      {19, 20, 3725.0, 80, "brovane: experiment 20 of 20, 1:02:05 elapsed, about 3:16 left"},
      {5, 20, 12.6, 30, "brovane: experiment 6 of 20, "},   // one column short of the width
  };
  for (const auto& c : cases) {
    char text[256];
    ProgressText(text, sizeof text, c.finished, c.count, c.elapsed, c.width);
    EXPECT_STREQ(text, c.text);
  }
}

// What a run wrote to a pseudo-terminal given by the redirections ("@" is
// its path); the run's own result into run.
std::string onTerminal(RunResult& run, const std::string& args, std::string redirect, const std::string& env) {
  int master, slave;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "no terminal";
  redirect.replace(redirect.find('@'), 1, ttyname(slave));
  run = RunBrovane(args + " " + redirect + ")", "(TERM=xterm " + env);
  fcntl(master, F_SETFL, O_NONBLOCK);
  std::string screen;
  char buffer[4096];
  for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) screen.append(buffer, static_cast<size_t>(n));
  close(slave);
  close(master);
  return screen;
}

// The screen less every drawing of the line and its erasures: what the
// run itself wrote, line feeds as the terminal sends them back ("\r\n").
std::string withoutProgress(std::string screen) {
  const std::string erase = "\x1b[A\r\x1b[K";
  for (size_t at; (at = screen.find(erase)) != std::string::npos;) screen.erase(at, erase.size());
  for (size_t at; (at = screen.find("brovane: experiment ")) != std::string::npos;)
    screen.erase(at, screen.find("\r\n", at) + 2 - at);
  return screen;
}

std::string terminalLines(std::string text) {
  for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, "\r");
  return text;
}

TEST(ProgressTest, DrawnOnATerminalAndErasedBeforeTheReport) {
  const RunResult plain = RunBrovane("em 2 5 3");
  for (const char* env : {"", "BROVANE_JOBS=2 "}) {
    // Standard error alone on the terminal: the report file is unchanged,
    // the line's last act is its erasure.
    RunResult run;
    const std::string screen = onTerminal(run, "em 2 5 3", "2>@", env);
    EXPECT_EQ(run.out, plain.out) << env;
    EXPECT_EQ(screen.rfind("brovane: experiment 1 of 20, 0:", 0), 0u) << env;
    EXPECT_NE(screen.find("brovane: experiment 20 of 20, "), std::string::npos) << env;
    EXPECT_EQ(withoutProgress(screen), "") << env;
    EXPECT_EQ(screen.substr(screen.size() - 7), "\x1b[A\r\x1b[K") << env;
    // Both streams on it: the report where the line was.
    EXPECT_EQ(withoutProgress(onTerminal(run, "em 2 5 3", ">@ 2>&1", env)), terminalLines(plain.out)) << env;
  }
  RunResult run;
  EXPECT_EQ(onTerminal(run, "em 2 5 3", "2>@", "TERM=dumb "), "");   // no cursor movement there
  // A failing run leaves the line above its message.
  for (const char* env : {"", "BROVANE_JOBS=2 "}) {
    RunResult failed;
    const std::string screen = onTerminal(failed, "ag 3 4 5 4 2", "2>@", env);
    EXPECT_EQ(screen.rfind("brovane: experiment 1 of 20, 0:00 elapsed\r\n", 0), 0u) << env;
    EXPECT_EQ(withoutProgress(screen), terminalLines(RunBrovane("ag 3 4 5 4 2").err)) << env;
    EXPECT_EQ(failed.status, 1) << env;
  }
}

}  // namespace
