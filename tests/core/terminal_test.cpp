// Raw-terminal keyboard helpers, run in a child whose terminal is a
// pseudo-terminal the test types into; the character source over a text.
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include "support/vorn_test.h"

namespace {

struct PtyRun {
  int exitCode = -1;
  std::string result;      // what the body returned
  std::string screen;      // what the child wrote to its terminal
  bool restored = false;   // line editing, echo, signal keys, output processing on again
};

void drain(int fd, std::string& into) {
  char buffer[512];
  struct pollfd p = {fd, POLLIN, 0};
  ssize_t n;
  while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN) && (n = read(fd, buffer, sizeof buffer)) > 0)
    into.append(buffer, static_cast<size_t>(n));
}

bool cooked(int fd) {
  struct termios t;
  const tcflag_t local = ICANON | ECHO | ISIG | IEXTEN;
  return tcgetattr(fd, &t) == 0 && (t.c_lflag & local) == local && (t.c_oflag & OPOST);
}

// Runs body in a child whose descriptors 0 and 1 are a pseudo-terminal;
// types keys once the child has put it in raw mode.
PtyRun runOnPty(const std::function<std::string()>& body, const std::string& keys) {
  PtyRun run;
  int master, slave, result[2];
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0 || pipe(result)) return run;
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(slave, 0);
    dup2(slave, 1);
    const std::string text = body();
    _exit(write(result[1], text.data(), text.size()) < 0);
  }
  close(result[1]);
  int status = 0;
  bool typed = keys.empty();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() > deadline) kill(pid, SIGKILL);
    if (!typed && !cooked(slave)) typed = write(master, keys.data(), keys.size()) > 0;
    drain(master, run.screen);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  drain(master, run.screen);
  drain(result[0], run.result);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.restored = cooked(slave);
  for (int fd : {master, slave, result[0]}) close(fd);
  return run;
}

class TerminalTest : public VornTest {};

TEST_F(TerminalTest, NumberEntry) {
  const struct {
    const char* keys;
    bool real;
    int newline_flag;
    const char* value;   // "%d" or "%.17g" of the result
    const char* screen;  // the echo
  } cases[] = {{"12\x7f" "3\r", false, 0, "13", "12\b \b3"},
               {"\b-4x.5\r", false, 0, "-45", "-45"},
               {"\r", false, 0, "7", ""},
               {"8\n", false, 1, "8", "8\r\n"},
               {"2.5e-3\r", true, 0, "0.0025000000000000001", "2.5e-3"},
               {"\r", true, 0, "0.5", ""}};
  for (const auto& c : cases) {
    const PtyRun run = runOnPty(
        [&c] {
          char text[64];
          if (c.real) std::snprintf(text, sizeof text, "%.17g", get_double(0.5, c.newline_flag));
          else std::snprintf(text, sizeof text, "%d", get_int(7, c.newline_flag));
          return std::string(text);
        },
        c.keys);
    EXPECT_TRUE(run.result == c.value && run.screen == c.screen && run.restored)
        << c.keys << ": " << run.result << " / " << run.screen;
  }
}

// Both end the process with status 1.
TEST_F(TerminalTest, InterruptAndSignalsRestoreAndExit) {
  const PtyRun plain = runOnPty([] { return std::to_string(get_int(0, 0)); }, "1\x03");
  EXPECT_TRUE(plain.exitCode == 1 && plain.result.empty() && plain.restored);
  EXPECT_EQ("1\r\r\n", plain.screen);   // output processing is on again for the line feed
  const PtyRun killed = runOnPty([] { return echo2(0), raise(SIGTERM), std::string("survived"); }, "");
  EXPECT_TRUE(killed.exitCode == 1 && killed.result.empty() && killed.restored);
}

// Without a terminal the helpers do nothing and number entry keeps its default.
TEST_F(TerminalTest, NotATerminal) {
  EXPECT_EQ(0, RunInChild([] {
              return echo2(0) == ENOTTY && kbhit() == 0 && one_getch() == -1 && get_int(9, 0) == 9 ? 0 : 1;
            }).status);
}

TEST_F(TerminalTest, CharacterSource) {
  set_string("ab");
  EXPECT_EQ('a', sgetc());
  EXPECT_STREQ("b", get_next_string());
  EXPECT_TRUE(sgetc() == 'b' && sgetc() == -1);
  set_string("xy");
  EXPECT_STREQ("xy", get_string());
  EXPECT_TRUE(unsgetc() == 'b' && unsgetc() == 'a');   // back into the previous text
  EXPECT_TRUE(unsgetc() == -1 && sgetc() == 'a');      // never before the start
  set_string(get_next_string());   // a text from inside the source itself
  EXPECT_STREQ("bxy", get_string());
  const std::string longest(8191, 'z');
  set_string(longest.c_str());
  set_string(longest.c_str());
  EXPECT_EQ(longest, get_string());
  EXPECT_EXIT(set_string((longest + "z").c_str()), ::testing::ExitedWithCode(255),
              "\nset_string\\(\\.\\.\\.\\) : String is too long\n");
}

}  // namespace
