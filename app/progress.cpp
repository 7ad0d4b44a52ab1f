#include "app/progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

bool enabled = false;
bool shown = false;
int total = 0;
timespec started = {0, 0};

// Drawn below the output so far and left with a line feed, so that
// whatever else reaches the terminal while it shows (an error that ends the
// run) starts on a line of its own. Redrawn by moving up one line.
const char kUpAndClear[] = "\033[A\r\033[K";

double secondsSince(const timespec& t) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec - t.tv_sec) + (now.tv_nsec - t.tv_nsec) / 1e9;
}

void formatDuration(char* out, size_t size, double seconds) {
  const long s = seconds > 0 ? static_cast<long>(seconds + 0.5) : 0;
  if (s >= 3600) std::snprintf(out, size, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else std::snprintf(out, size, "%ld:%02ld", s / 60, s % 60);
}

// Columns of the terminal on standard error; 80 when it does not say.
int terminalWidth() {
  struct winsize w;
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &w) == 0 && w.ws_col > 0) return w.ws_col;
  return 80;
}

void put(const char* text) {
  std::fputs(text, stderr);
  std::fflush(stderr);
}

}  // namespace

void ProgressText(char* out, int size, int finished, int count, double elapsed, int width) {
  const int current = finished < count ? finished + 1 : count;
  char spent[32];
  formatDuration(spent, sizeof spent, elapsed);
  int n;
  if (finished > 0 && finished < count) {
    char left[32];
    formatDuration(left, sizeof left, elapsed / finished * (count - finished));
    n = std::snprintf(out, size, "brovane: experiment %d of %d, %s elapsed, about %s left", current, count, spent,
                      left);
  } else {
    n = std::snprintf(out, size, "brovane: experiment %d of %d, %s elapsed", current, count, spent);
  }
  // One column short of the width: a full last column makes some
  // terminals wrap, and the redraw moves up one line only.
  if (width > 1 && n >= width && width - 1 < size) out[width - 1] = '\0';
}

void ProgressStart(int count) {
  // A terminal that declares itself dumb cannot move the cursor up.
  const char* term = std::getenv("TERM");
  enabled = isatty(STDERR_FILENO) == 1 && !(term != nullptr && std::strcmp(term, "dumb") == 0);
  shown = false;
  total = count;
  clock_gettime(CLOCK_MONOTONIC, &started);
}

void ProgressShow(int finished) {
  if (!enabled) return;
  char line[256];
  ProgressText(line, sizeof line, finished, total, secondsSince(started), terminalWidth());
  std::fflush(stdout);
  if (shown) put(kUpAndClear);
  put(line);
  put("\n");
  shown = true;
}

void ProgressErase() {
  if (!shown) return;
  std::fflush(stdout);
  put(kUpAndClear);
  shown = false;
}
