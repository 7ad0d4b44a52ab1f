#include "runtime/core/terminal.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/core/memory.h"

namespace {

constexpr tcflag_t kRawLocalFlags = ISIG | ICANON | ECHO | ECHOK | ECHOKE | IEXTEN;
constexpr int kDieSignals[4] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};
constexpr int kCtrlC = 3;
constexpr int kCtrlZ = 26;
constexpr int kBackspace = 8;
constexpr int kDelete = 127;
constexpr size_t kEntryMax = 63;      // characters of one number entry
constexpr size_t kSourceMax = 8191;   // characters of a set_string text

struct termios savedTerminal;         // the settings raw mode replaced
bool haveSavedTerminal = false;
bool rawActive = false;
struct sigaction savedActions[4];     // the handlers echo2_die replaced
bool haveSavedActions = false;
bool polling = false;                 // kbhit_init holds raw mode

// previous text + current text, each at most kSourceMax characters
char sourceBuffer[2 * kSourceMax + 1];
size_t sourceLength = 0;
size_t sourceStart = 0;               // where the current text begins
size_t sourcePosition = 0;

void writeBytes(const char* bytes, size_t n) {
  while (n > 0) {
    const ssize_t done = write(1, bytes, n);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return;
    bytes += done;
    n -= static_cast<size_t>(done);
  }
}

// Puts the raw-mode flags back as they were before echo2(0) (or on, when
// raw mode was never entered here).
int restoreFlags() {
  struct termios t;
  if (tcgetattr(0, &t) < 0) return errno;
  if (haveSavedTerminal) {
    t.c_lflag = (t.c_lflag & ~kRawLocalFlags) | (savedTerminal.c_lflag & kRawLocalFlags);
    t.c_oflag = (t.c_oflag & ~OPOST) | (savedTerminal.c_oflag & OPOST);
    t.c_cc[VMIN] = savedTerminal.c_cc[VMIN];
    t.c_cc[VTIME] = savedTerminal.c_cc[VTIME];
  } else {
    t.c_lflag |= kRawLocalFlags;
    t.c_oflag |= OPOST;
  }
  rawActive = false;
  return tcsetattr(0, TCSADRAIN, &t) < 0 ? errno : 0;
}

void restoreHandlers() {
  if (!haveSavedActions) return;
  for (int i = 0; i < 4; i++) sigaction(kDieSignals[i], &savedActions[i], nullptr);
  haveSavedActions = false;
}

int readByte() {
  unsigned char c = 0;
  ssize_t n;
  do n = read(0, &c, 1);
  while (n < 0 && errno == EINTR);
  return n == 1 ? c : -1;
}

// Ctrl-Z: leave raw mode, stop, and take raw mode up again on resumption.
void suspend() {
  echo2(2);
  kill(getpid(), SIGTSTP);
  echo2(0);
}

void interrupt() {
  std::fflush(stdout);
  std::fflush(stderr);
  echo2_die(SIGINT);
}

// Reads one number entry with echo in raw mode; extra lists the accepted
// characters besides digits and "-".
std::string readEntry(const char* extra, int newline_flag) {
  const bool wrap = !polling;
  if (wrap) echo2(0);
  std::string text;
  for (;;) {
    const int c = readByte();
    if (c < 0 || c == '\r' || c == '\n') break;
    if (c == kCtrlC) interrupt();
    if (c == kCtrlZ) {
      suspend();
      continue;
    }
    if (c == kBackspace || c == kDelete) {
      if (!text.empty()) {
        text.pop_back();
        writeBytes("\b \b", 3);
      }
      continue;
    }
    const bool accepted = (c >= '0' && c <= '9') || c == '-' ||
                          (c != 0 && std::strchr(extra, c) != nullptr);
    if (accepted && text.size() < kEntryMax) {
      text.push_back(static_cast<char>(c));
      one_putch(c);
    }
  }
  if (newline_flag) newline();
  if (wrap) echo2(1);
  return text;
}

}  // namespace

void one_putch(int byte) {
  const char c = static_cast<char>(byte);
  writeBytes(&c, 1);
}

void vorn_bell() { one_putch(7); }

void newline() { writeBytes("\r\n", 2); }

void print_space(int n) {
  for (int i = 0; i < n; i++) std::fputc(' ', stderr);
}

void util_disp_move(int row, int col) {
  std::printf("\033[%d;%dH", row, col);
  std::fflush(stdout);
}

int echo2(int mode) {
  if (mode != 0) {
    const int result = restoreFlags();
    if (mode == 1) restoreHandlers();
    return result;
  }
  struct termios t;
  if (tcgetattr(0, &t) < 0) return errno;
  if (!rawActive) {
    savedTerminal = t;
    haveSavedTerminal = true;
  }
  t.c_lflag &= ~kRawLocalFlags;
  t.c_oflag &= ~OPOST;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  if (tcsetattr(0, TCSADRAIN, &t) < 0) return errno;
  rawActive = true;
  if (!haveSavedActions) {
    for (int i = 0; i < 4; i++) {
      sigaction(kDieSignals[i], nullptr, &savedActions[i]);
      if (savedActions[i].sa_handler == SIG_IGN) continue;   // ignored: stays so
      struct sigaction die;
      std::memset(&die, 0, sizeof die);
      die.sa_handler = echo2_die;
      sigemptyset(&die.sa_mask);
      sigaction(kDieSignals[i], &die, nullptr);
    }
    haveSavedActions = true;
  }
  return 0;
}

void echo2_die(int signal) {
  restoreFlags();
  if (haveSavedActions) {
    void (*previous)(int) = nullptr;
    for (int i = 0; i < 4; i++) {
      if (kDieSignals[i] == signal && (savedActions[i].sa_flags & SA_SIGINFO) == 0)
        previous = savedActions[i].sa_handler;
    }
    restoreHandlers();
    if (previous != nullptr && previous != SIG_DFL && previous != SIG_IGN) previous(signal);
  }
  newline();
  if (signal != 0) _exit(1);
  std::exit(0);
}

int one_getch() {
  const bool wrap = !polling;
  if (wrap) echo2(0);
  const int c = readByte();
  if (wrap) echo2(1);
  return c;
}

void kbhit_init() {
  if (polling) return;
  echo2(0);
  polling = true;
}

void kbhit_term() {
  if (!polling) return;
  polling = false;
  echo2(1);
}

int kbhit() {
  int waiting = 0;
  if (ioctl(0, FIONREAD, &waiting) < 0) return 0;
  return waiting;
}

int get_int(int default_value, int newline_flag) {
  const std::string text = readEntry("", newline_flag);
  if (text.empty()) return default_value;
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > 2147483647L) return 2147483647;
  if (value < -2147483647L - 1) return -2147483647 - 1;
  return static_cast<int>(value);
}

double get_double(double default_value, int newline_flag) {
  const std::string text = readEntry(".Ee", newline_flag);
  if (text.empty()) return default_value;
  return std::strtod(text.c_str(), nullptr);
}

void pause_sleep(const char* message, int seconds) {
  if (seconds != 0) {
    if (message != nullptr) std::fputs(message, stderr);
    if (seconds > 0) sleep(static_cast<unsigned>(seconds));
    return;
  }
  const char* prompt = message != nullptr ? message : "Please hit any key to continue !!";
  std::fputs(prompt, stderr);
  const bool wrap = !polling;
  if (wrap) echo2(0);
  for (;;) {
    const int c = readByte();
    if (c == kCtrlC) interrupt();
    if (c == kCtrlZ) {
      suspend();
      continue;
    }
    break;
  }
  if (wrap) echo2(1);
  std::fputc('\r', stderr);
  print_space(static_cast<int>(std::strlen(prompt)));
  std::fputc('\r', stderr);
}

void set_string(const char* text) {
  if (text == nullptr) text = "";
  const size_t n = std::strlen(text);
  if (n > kSourceMax) vnUtilError("set_string(...)", "String is too long", 1);
  const std::string copy(text, n);   // text may point into the buffer itself
  const size_t previous = sourceLength - sourceStart;
  std::memmove(sourceBuffer, sourceBuffer + sourceStart, previous);
  std::memcpy(sourceBuffer + previous, copy.data(), n);
  sourceBuffer[previous + n] = '\0';
  sourceStart = previous;
  sourcePosition = previous;
  sourceLength = previous + n;
}

char* get_string() { return sourceBuffer + sourceStart; }

char* get_next_string() { return sourceBuffer + sourcePosition; }

int sgetc() {
  if (sourcePosition >= sourceLength) return -1;
  return static_cast<unsigned char>(sourceBuffer[sourcePosition++]);
}

int unsgetc() {
  if (sourcePosition == 0) return -1;
  sourcePosition--;
  return static_cast<unsigned char>(sourceBuffer[sourcePosition]);
}

int menu_select(const char* title, const char* const* items, int count, int default_item) {
  std::printf("%s\n", title);
  for (int k = 0; k < count; k++) std::printf("%3d. %s\n", k + 1, items[k]);
  for (;;) {
    std::printf("Select 1-%d [%d]: ", count, default_item);
    std::fflush(stdout);
    const int choice = get_int(default_item, 1);
    // The default ends the dialog even when out of range, so the end of
    // the input always does.
    if (choice == default_item || (choice >= 1 && choice <= count)) return choice;
  }
}
