// Raw-terminal keyboard helpers, run in a child whose terminal is a
// pseudo-terminal the test types into; single-byte output; the character
// source over a text.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "support/vorn_test.h"

namespace {

struct PtyRun {
  int status = -1;         // wait status of the child
  std::string result;      // what the body reported
  std::string screen;      // bytes the child wrote to its terminal
  std::string err;         // its standard error
  bool restored = false;   // line editing, echo, signal keys and output processing back on
};

void drain(int fd, std::string& into) {
  char buffer[512];
  struct pollfd p = {fd, POLLIN, 0};
  while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    into.append(buffer, static_cast<size_t>(n));
  }
}

bool cookedFlags(int fd) {
  struct termios t;
  if (tcgetattr(fd, &t) < 0) return false;
  const tcflag_t local = ICANON | ECHO | ISIG | IEXTEN;
  return (t.c_lflag & local) == local && (t.c_oflag & OPOST) != 0;
}

// Runs body in a child whose descriptors 0 and 1 are a pseudo-terminal's
// slave; once the child has put the terminal in raw mode, types keys.
PtyRun runOnPty(const std::function<std::string()>& body, const std::string& keys) {
  PtyRun run;
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return run;
  int resultPipe[2], errPipe[2];
  if (pipe(resultPipe) != 0 || pipe(errPipe) != 0) return run;
  std::signal(SIGCHLD, SIG_DFL);
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(slave, 0);
    dup2(slave, 1);
    dup2(errPipe[1], 2);
    close(master);
    close(resultPipe[0]);
    close(errPipe[0]);
    const std::string result = body();
    ssize_t ignored = write(resultPipe[1], result.data(), result.size());
    (void)ignored;
    _exit(0);
  }
  close(resultPipe[1]);
  close(errPipe[1]);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  bool exited = false;
  bool typed = keys.empty();
  while (!exited && std::chrono::steady_clock::now() < deadline) {
    if (!typed && !cookedFlags(slave)) {
      ssize_t ignored = write(master, keys.data(), keys.size());
      (void)ignored;
      typed = true;
    }
    drain(master, run.screen);
    exited = waitpid(pid, &run.status, WNOHANG) == pid;
    if (!exited) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!exited) {
    kill(pid, SIGKILL);
    waitpid(pid, &run.status, 0);
  }
  drain(master, run.screen);
  drain(resultPipe[0], run.result);
  drain(errPipe[0], run.err);
  run.restored = cookedFlags(slave);
  for (int fd : {master, slave, resultPipe[0], errPipe[0]}) close(fd);
  return run;
}

int exitCode(const PtyRun& run) { return WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1; }

std::string handlerName(int sig) {
  struct sigaction current;
  sigaction(sig, nullptr, &current);
  if (current.sa_handler == SIG_IGN) return "ign";
  if (current.sa_handler == SIG_DFL) return "dfl";
  if (current.sa_handler == echo2_die) return "die";
  return "other";
}

void notePrevious(int) {
  ssize_t ignored = write(2, "prev\n", 5);
  (void)ignored;
}

struct EntryCase {
  const char* keys;
  bool real;           // get_double instead of get_int
  int newline_flag;
  const char* value;   // "%d" or "%.17g" of the result
  const char* screen;  // the echo
};

class NumberEntryTest : public VornTest, public ::testing::WithParamInterface<EntryCase> {};
class TerminalTest : public VornTest {};
class CharacterSourceTest : public VornTest {};

TEST_P(NumberEntryTest, TypedOnATerminal) {
  const EntryCase c = GetParam();
  const PtyRun run = runOnPty(
      [&c] {
        char text[64];
        if (c.real) std::snprintf(text, sizeof text, "%.17g", get_double(0.5, c.newline_flag));
        else std::snprintf(text, sizeof text, "%d", get_int(7, c.newline_flag));
        return std::string(text);
      },
      c.keys);
  EXPECT_EQ(0, exitCode(run));
  EXPECT_EQ(c.value, run.result);
  EXPECT_EQ(c.screen, run.screen);
  EXPECT_TRUE(run.restored);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, NumberEntryTest,
    ::testing::Values(EntryCase{"12\x7f" "3\r", false, 0, "13", "12\b \b3"},
                      EntryCase{"\b\b5\r", false, 0, "5", "5"},
                      EntryCase{"-4x.5\r", false, 0, "-45", "-45"},
                      EntryCase{"\r", false, 0, "7", ""},
                      EntryCase{"8\n", false, 1, "8", "8\r\n"},
                      EntryCase{"99999999999\r", false, 0, "2147483647", "99999999999"},
                      EntryCase{"2.5e-3\r", true, 0, "0.0025000000000000001", "2.5e-3"},
                      EntryCase{"-1.5E2x\r", true, 1, "-150", "-1.5E2\r\n"},
                      EntryCase{"\r", true, 0, "0.5", ""}));

TEST_F(TerminalTest, SuspendKeyResumesTheEntry) {
  const PtyRun run = runOnPty(
      [] {
        std::signal(SIGTSTP, SIG_IGN);   // the stop itself would halt the test
        return std::to_string(get_int(0, 0));
      },
      "1\x1a" "2\r");
  EXPECT_EQ("12", run.result);
  EXPECT_EQ("12", run.screen);
  EXPECT_TRUE(run.restored);
}

TEST_F(TerminalTest, InterruptKeyRestoresAndExits) {
  const PtyRun plain = runOnPty([] { return std::to_string(get_int(0, 0)); }, "1\x03");
  EXPECT_EQ(1, exitCode(plain));
  EXPECT_EQ("", plain.result);
  EXPECT_EQ("1\r\r\n", plain.screen);   // the line feed after output processing is back on
  EXPECT_TRUE(plain.restored);

  const PtyRun handed = runOnPty(
      [] {
        std::signal(SIGINT, notePrevious);
        return std::to_string(get_double(0, 0));
      },
      "\x03");
  EXPECT_EQ(1, exitCode(handed));
  EXPECT_EQ("prev\n", handed.err);   // the handler echo2 replaced got the signal
  EXPECT_TRUE(handed.restored);

  const PtyRun paused = runOnPty(
      [] {
        pause_sleep("wait", 0);
        return std::string("passed");
      },
      "\x03");
  EXPECT_EQ(1, exitCode(paused));
  EXPECT_EQ("", paused.result);
  EXPECT_TRUE(paused.restored);
}

TEST_F(TerminalTest, SignalsInRawMode) {
  const PtyRun killed = runOnPty(
      [] {
        echo2(0);
        raise(SIGTERM);
        return std::string("survived");
      },
      "");
  EXPECT_EQ(1, exitCode(killed));
  EXPECT_EQ("", killed.result);
  EXPECT_EQ("\r\r\n", killed.screen);
  EXPECT_TRUE(killed.restored);

  const PtyRun handlers = runOnPty(
      [] {
        std::signal(SIGINT, SIG_IGN);   // as for a program started in the background
        const int entered = echo2(0);
        std::string seen = std::to_string(entered) + handlerName(SIGINT) + handlerName(SIGTERM) +
                           handlerName(SIGHUP);
        raise(SIGINT);
        echo2(2);   // flags only
        seen += handlerName(SIGTERM);
        echo2(0);
        echo2(1);   // flags and handlers
        return seen + handlerName(SIGINT) + handlerName(SIGTERM) + handlerName(SIGQUIT);
      },
      "");
  EXPECT_EQ(0, exitCode(handlers));
  EXPECT_EQ("0igndiedie" "die" "igndfldfl", handlers.result);
  EXPECT_TRUE(handlers.restored);
}

TEST_F(TerminalTest, SingleKeysAndPolling) {
  const PtyRun key = runOnPty([] { return std::to_string(one_getch()); }, "q");
  EXPECT_EQ("113", key.result);
  EXPECT_EQ("", key.screen);   // no echo
  EXPECT_TRUE(key.restored);

  const PtyRun polled = runOnPty(
      [] {
        kbhit_init();
        for (int i = 0; i < 2000 && kbhit() < 3; i++) usleep(1000);
        const int waiting = kbhit();
        const int first = one_getch();
        const bool stillRaw = !cookedFlags(0);
        kbhit_term();
        return std::to_string(waiting) + "," + std::to_string(first) + (stillRaw ? ",raw" : ",cooked");
      },
      "abc");
  EXPECT_EQ("3,97,raw", polled.result);
  EXPECT_TRUE(polled.restored);

  const PtyRun prompt = runOnPty(
      [] {
        pause_sleep(nullptr, 0);
        return std::string("after");
      },
      "k");
  EXPECT_EQ("after", prompt.result);
  EXPECT_EQ("Please hit any key to continue !!\r" + std::string(33, ' ') + "\r", prompt.err);
  EXPECT_TRUE(prompt.restored);
}

TEST_F(TerminalTest, NoTerminalOnInput) {
  EXPECT_EXIT(
      {
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        if (echo2(0) != ENOTTY) _exit(2);
        if (kbhit() != 0) _exit(3);
        if (one_getch() != -1) _exit(4);
        if (get_int(9, 0) != 9) _exit(5);   // end of input ends the entry
        _exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(echo2_die(0), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(echo2_die(SIGHUP), ::testing::ExitedWithCode(1), "");
}

TEST_F(TerminalTest, BytesStraightToTheTerminal) {
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  one_putch('A');
  vorn_bell();
  newline();
  util_disp_move(3, 17);
  EXPECT_EQ("A\a\r\n\033[3;17H", testing::internal::GetCapturedStdout());

  testing::internal::CaptureStderr();
  print_space(3);
  print_space(-1);
  pause_sleep("tick", 1);
  EXPECT_EQ("   tick", testing::internal::GetCapturedStderr());
}

TEST_F(CharacterSourceTest, ReadsAndStepsBack) {
  set_string("ab");
  EXPECT_STREQ("ab", get_string());
  EXPECT_EQ('a', sgetc());
  EXPECT_STREQ("b", get_next_string());
  EXPECT_EQ('b', sgetc());
  EXPECT_EQ(-1, sgetc());
  EXPECT_EQ(-1, sgetc());
  EXPECT_EQ('b', unsgetc());
  EXPECT_EQ('b', sgetc());

  set_string("xy");
  EXPECT_STREQ("xy", get_string());
  EXPECT_EQ('b', unsgetc());   // back into the previous text
  EXPECT_EQ('a', unsgetc());
  EXPECT_EQ(-1, unsgetc());    // never before the start
  EXPECT_EQ('a', sgetc());
  EXPECT_EQ('b', sgetc());
  EXPECT_EQ('x', sgetc());

  set_string(get_next_string());   // a text from inside the source itself
  EXPECT_STREQ("y", get_string());
  EXPECT_EQ('y', sgetc());
  EXPECT_EQ('y', unsgetc());
  EXPECT_EQ('y', unsgetc());       // last character of the previous "xy"

  const std::string longest(8191, 'z');
  set_string(longest.c_str());
  set_string(longest.c_str());
  EXPECT_EQ(longest, get_string());
  EXPECT_EQ('z', unsgetc());
}

TEST_F(CharacterSourceTest, OverlongTextIsFatal) {
  const std::string tooLong(8192, 'z');
  EXPECT_EXIT(set_string(tooLong.c_str()), ::testing::ExitedWithCode(255),
              "\nset_string\\(\\.\\.\\.\\) : String is too long\n");
}

}  // namespace
