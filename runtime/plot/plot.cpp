#include "runtime/plot/plot.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "runtime/core/channel.h"
#include "runtime/core/entry.h"
#include "runtime/plot/plot_window.h"

namespace {

// Slot i serves the window whose gnuplot pipe is channel i.
PlotWindow slots[VGPLOT_WINDOW_MAX + 1];
volatile sig_atomic_t quitting = 0;
volatile sig_atomic_t sending = 0;  // a write to gnuplot's stream is under way
int running = 0;
int currentWindow = 1;
pid_t owner = 0;  // the process that opened the windows
int syncSerial = 0;

bool configured = false;
std::string terminalName;
std::string gnuplotCommand;
std::string environmentOptions;
std::string windowOptions;
char dataDir[PATH_MAX];  // private folder of the data files, "" until needed

constexpr int kSyncSeconds = 20;  // longest wait for gnuplot to catch up
constexpr int kExitSeconds = 30;  // longest wait for gnuplot to end after "quit"

const char* nonEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : nullptr;
}

void configure() {
  if (configured) return;
  configured = true;
  const char* display = nonEmpty("DISPLAY");
  const char* term = std::getenv("TERM");
  if (const char* chosen = nonEmpty("VGPLOT_TERM"))
    terminalName = chosen;
  else if (display != nullptr)
    terminalName = "x11";
  else if (term != nullptr && std::strcmp(term, "vt102") == 0)
    terminalName = "kc_tek40xx";
  // No screen: text plots into the pipe, where nobody reads them; output
  // to files works as anywhere.
  else
    terminalName = "dumb";
  const char* command = nonEmpty("VORNGNUPLOT");
  gnuplotCommand = command != nullptr ? command : "gnuplot";
  if (const char* options = nonEmpty("VGPLOT_OPTIONS")) environmentOptions = options;
}

int slotIndex(const PlotWindow& w) { return static_cast<int>(&w - slots); }

// The first word of command names a program that exec can run.
bool runnable(const std::string& command) {
  const std::string word = command.substr(0, command.find_first_of(" \t"));
  auto isProgram = [](const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
  };
  if (word.empty()) return false;
  if (word.find('/') != std::string::npos) return isProgram(word);
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/bin:/usr/bin";
  size_t start = 0;
  for (;;) {
    const size_t end = dirs.find(':', start);
    std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (dir.empty()) dir = ".";
    if (isProgram(dir + "/" + word)) return true;
    if (end == std::string::npos) return false;
    start = end + 1;
  }
}

void sleepMilliseconds(int ms) {
  struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

// Collects the child; a gnuplot that outlives its wait is killed, so no
// zombie stays behind. The child-exit handler may have collected it first.
void reap(pid_t pid) {
  if (pid <= 0) return;
  for (int waited = 0; waited < kExitSeconds * 100; waited++) {
    const pid_t done = waitpid(pid, nullptr, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) return;
    sleepMilliseconds(10);
  }
  kill(pid, SIGKILL);
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

// Reads and drops gnuplot's output until it closes or gnuplot has ended.
void drainToEnd(int readFd, pid_t pid) {
  const std::time_t deadline = std::time(nullptr) + kExitSeconds;
  char buffer[4096];
  while (readFd >= 0 && std::time(nullptr) < deadline) {
    struct pollfd p = {readFd, POLLIN, 0};
    const int ready = poll(&p, 1, 100);
    if (ready > 0) {
      const ssize_t n = read(readFd, buffer, sizeof buffer);
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
    } else if (ready < 0 && errno != EINTR) {
      return;
    } else if (pid > 0 && kill(pid, 0) != 0) {
      return;  // collected already
    } else if (pid > 0) {
      siginfo_t info;
      info.si_pid = 0;
      if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
        return;  // ended: reap() collects it
    }
  }
}

void dataFileName(char* path, size_t size, const PlotWindow& w, int line) {
  std::snprintf(path, size, "%s/vgplot-%d-w%d-f%d-l%d", dataDir, static_cast<int>(owner), w.window, w.frame, line);
}

void removeFiles(PlotWindow& w) {
  char path[PATH_MAX + 64];
  for (int line = 1; line <= w.files; line++) {
    dataFileName(path, sizeof path, w, line);
    unlink(path);
  }
  w.files = 0;
}

bool anyOpen() {
  for (int i = 1; i <= VGPLOT_WINDOW_MAX; i++)
    if (slots[i].window != 0) return true;
  return false;
}

// Ends the window's gnuplot and frees its slot; runs from signal handlers
// too, so after an interrupted write it leaves the streams alone.
void closeSlot(PlotWindow& w, bool sayQuit) {
  const int fd = slotIndex(w);
  const pid_t pid = ProcessPid(fd);
  if (sayQuit) {
    sigset_t pipe, old;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigprocmask(SIG_BLOCK, &pipe, &old);
    static const char quit[] = "quit;\n";
    const bool wasPending = [] {
      sigset_t p;
      sigpending(&p);
      return sigismember(&p, SIGPIPE) == 1;
    }();
    if (write(fd, quit, sizeof quit - 1) < 0 && errno == EPIPE && !wasPending) {
      const struct timespec zero = {0, 0};
      sigtimedwait(&pipe, nullptr, &zero);
    }
    sigprocmask(SIG_SETMASK, &old, nullptr);
  }
  if (sending) {
    close(fd);
    if (w.readFd >= 0) close(w.readFd);
    file_pointers[fd][0] = nullptr;
    file_pointers[fd][1] = nullptr;
  } else {
    // gnuplot's input ends here; its output stays open until it is done, so
    // that no pending command dies writing into a closed pipe.
    FILE* out = file_pointers[fd][1];
    file_pointers[fd][1] = nullptr;
    if (out != nullptr) std::fclose(out);
    drainToEnd(w.readFd, pid);
    ProcessClose(fd);
  }
  reap(pid);
  removeFiles(w);  // gnuplot has ended: nothing reads them any more
  const int window = w.window;
  w.window = 0;
  w.dataNum = 0;
  w.readFd = -1;
  w.capture = nullptr;
  w.plot.clear();
  if (window == currentWindow) currentWindow = 1;
  if (!anyOpen() && dataDir[0] != '\0') {
    rmdir(dataDir);
    dataDir[0] = '\0';
  }
}

// gnuplot has gone: say so once and close the window; the program goes on.
void lost(PlotWindow& w) {
  if (w.window == 0) return;
  if (!w.opening) std::fprintf(stderr, "Window-%d: gnuplot has exited; the window is closed.\n", w.window);
  closeSlot(w, false);
}

// Whatever gnuplot printed and nobody asked for; left unread it would fill
// the pipe and stop gnuplot.
void drain(PlotWindow& w) {
  char buffer[4096];
  ssize_t n;
  while (w.readFd >= 0 && (n = read(w.readFd, buffer, sizeof buffer)) > 0)
    if (w.capture != nullptr) w.capture->append(buffer, static_cast<size_t>(n));
}

// Writes to the stream with SIGPIPE held back: a gnuplot that has gone
// shows as a failed write instead of ending the process.
bool writeHeld(int fd, const std::string& text) {
  FILE* fp = FilePointer(fd, 1);
  if (fp == nullptr) return false;
  sigset_t pipe, old, pending;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  sigprocmask(SIG_BLOCK, &pipe, &old);
  sigpending(&pending);
  const bool wasPending = sigismember(&pending, SIGPIPE) == 1;
  sending = 1;
  FilePrintf(fd, "%s", text.c_str());
  sending = 0;
  const bool failed = std::ferror(fp) != 0;
  std::clearerr(fp);
  if (failed && !wasPending) {
    const struct timespec zero = {0, 0};
    sigtimedwait(&pipe, nullptr, &zero);
  }
  sigprocmask(SIG_SETMASK, &old, nullptr);
  return !failed;
}

void closeWindow(int window) {
  PlotWindow* w = plotFind(window);
  if (w != nullptr) closeSlot(*w, true);
  if (plotWindowNumber(window) == currentWindow) currentWindow = 1;
}

PlotWindow& slotAt(int slot, const char* name) {
  if (slot < 1 || slot > VGPLOT_WINDOW_MAX) plotFail("%s(): No slot %d.\n", name, slot);
  return slots[slot];
}

}  // namespace

std::string plotFormat(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  va_list copy;
  va_copy(copy, ap);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(n > 0 ? n : 0, '\0');
  if (n > 0) std::vsnprintf(&text[0], n + 1, format, ap);
  va_end(ap);
  return text;
}

void plotFail(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vfprintf(stderr, format, ap);
  va_end(ap);
  std::fflush(stderr);
  execerror_recovery();
}

void plotCheckCount(int count, int lo, int hi, const char* name) {
  if (count < lo || count > hi) plotFail("%s(): Incorrect number of arguments.\n", name);
}

std::string plotQuoted(const char* text) {
  std::string out;
  for (const char* p = text != nullptr ? text : ""; *p != '\0'; p++) {
    if (*p == '\'')
      out += "''";
    else if (*p == '\n' || *p == '\r')
      out += ' ';
    else
      out += *p;
  }
  return out;
}

int plotWindowNumber(int window) { return window < 1 ? 1 : window; }

PlotWindow* plotFind(int window) {
  const int slot = graph_vgplot_win2id(window);
  return slot != 0 ? &slots[slot] : nullptr;
}

const char* plotTerminal() {
  configure();
  return terminalName.c_str();
}

void plotSend(PlotWindow& w, const std::string& text) {
  if (w.window == 0) return;
  drain(w);
  if (!writeHeld(slotIndex(w), text)) lost(w);
}

void plotCommand(PlotWindow& w, const std::string& text) { plotSend(w, text + ";\n"); }

bool plotSync(PlotWindow& w, std::string* captured) {
  if (w.window == 0) return false;
  drain(w);
  const std::string token = plotFormat("vgplot-sync-%d", ++syncSerial);
  plotSend(w, "set print '-'; print '" + token + "'; set print;\n");
  std::string seen;
  if (w.capture != nullptr) seen.swap(*w.capture);
  w.capture = nullptr;
  const std::time_t deadline = std::time(nullptr) + kSyncSeconds;
  while (w.window != 0) {
    const size_t at = seen.find(token + "\n");
    if (at != std::string::npos && (at == 0 || seen[at - 1] == '\n')) {
      if (captured != nullptr) captured->assign(seen, 0, at);
      return true;
    }
    const long left = static_cast<long>(deadline - std::time(nullptr));
    if (left <= 0) return true;  // busy, not gone: go on without it
    struct pollfd p = {w.readFd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(std::min(left, 1L) * 1000));
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(w.readFd, buffer, sizeof buffer);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;
    if (n > 0) seen.append(buffer, static_cast<size_t>(n));
  }
  lost(w);
  return false;
}

void plotForget(PlotWindow& w) {
  if (w.files > 0) plotSync(w, nullptr);
  removeFiles(w);
  w.plot.clear();
  w.dataNum = 0;
}

std::string plotNewDataFile(PlotWindow& w) {
  if (dataDir[0] == '\0') {
    const char* tmp = std::getenv("TMPDIR");
    // Paths go into gnuplot commands inside quotes: keep to a plain base.
    const bool usable =
        tmp != nullptr && tmp[0] == '/' && std::strpbrk(tmp, "'\n\r") == nullptr && std::strlen(tmp) < PATH_MAX - 128;
    std::snprintf(dataDir, sizeof dataDir, "%s/vgplot-%d-XXXXXX", usable ? tmp : "/tmp", static_cast<int>(getpid()));
    if (mkdtemp(dataDir) == nullptr) {
      const std::string tried = dataDir;
      dataDir[0] = '\0';
      plotFail("vgplot(): Can't make a folder for data files (%s: %s).\n", tried.c_str(), std::strerror(errno));
    }
  }
  char path[PATH_MAX + 64];
  dataFileName(path, sizeof path, w, w.files + 1);
  const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
  if (fd < 0) plotFail("vgplot(): Can't make the data file %s: %s.\n", path, std::strerror(errno));
  close(fd);
  w.files++;
  return path;
}

PlotWindow& plotOpen(int window) {
  window = plotWindowNumber(window);
  PlotWindow* w = plotFind(window);
  if (w != nullptr) return *w;
  graph_vgplot_init(1, window);
  return *plotFind(window);
}

PlotWindow& plotOpened(int window) {
  PlotWindow* w = plotFind(window);
  if (w == nullptr) plotFail("Window-%d is not opened\n", plotWindowNumber(window));
  return *w;
}

void graph_vgplot_init(int count, ...) {
  if (count < 1 || count > 2) plotFail("vgplot_init(): Incorrect number of arguments\n");
  va_list ap;
  va_start(ap, count);
  const int window = plotWindowNumber(va_arg(ap, int));
  const char* given = count == 2 ? va_arg(ap, const char*) : nullptr;
  va_end(ap);
  configure();
  running = 1;
  windowOptions = environmentOptions;
  if (given != nullptr && given[0] != '\0') windowOptions += (windowOptions.empty() ? "" : " ") + std::string(given);
  if (plotFind(window) != nullptr) return;

  if (owner != getpid()) {  // a forked copy starts with no windows of its own
    for (PlotWindow& s : slots) s = PlotWindow();
    owner = getpid();
    dataDir[0] = '\0';
  }
  std::string command =
      gnuplotCommand + plotFormat(" -geometry 380x280 -title vgplot-%d-%d", static_cast<int>(getpid()), window);
  if (!windowOptions.empty()) command += " " + windowOptions;
  const int fd = runnable(command) ? ProcessOpen(command.c_str()) : -1;
  if (fd < 0) plotFail("vgplot_init(): Can't open gnuplot\n");
  if (fd > VGPLOT_WINDOW_MAX) {
    ProcessClose(fd);
    plotFail("vgplot_init(): Too many plot windows are open (channel %d).\n", fd);
  }
  PlotWindow& w = slots[fd];
  w = PlotWindow();
  w.window = window;
  w.opening = true;
  FILE* in = FilePointer(fd, 0);
  w.readFd = in != nullptr ? fileno(in) : -1;
  if (w.readFd >= 0) fcntl(w.readFd, F_SETFL, fcntl(w.readFd, F_GETFL) | O_NONBLOCK);
  plotSend(w, "set term " + terminalName + ";\n");
  graph_vgplot_reset(window);
  // A gnuplot that rejects its command line ends at once: catch it here.
  if (!plotSync(w, nullptr)) plotFail("vgplot_init(): Can't open gnuplot\n");
  w.opening = false;
}

int graph_vgplot_newwindow() {
  int open[VGPLOT_WINDOW_MAX];
  int n = 0;
  for (int i = 1; i <= VGPLOT_WINDOW_MAX && owner == getpid(); i++)
    if (slots[i].window != 0) open[n++] = slots[i].window;
  std::sort(open, open + n);
  int candidate = 1;
  for (int i = 0; i < n && open[i] <= candidate; i++)
    if (open[i] == candidate) candidate++;
  return candidate;
}

void graph_vgplot_out(int window, const char* text) {
  PlotWindow& w = plotOpened(window);
  plotSend(w, text != nullptr ? text : "");
}

void graph_vgplot_cmd(int window, const char* text) {
  window = plotWindowNumber(window);
  plotCommand(plotOpen(window), text != nullptr ? text : "");
  currentWindow = window;
}

void graph_vgplot_reset(int window) {
  PlotWindow* found = plotFind(window);
  if (found == nullptr) return;
  PlotWindow& w = *found;
  plotForget(w);
  w.dataNum = -1;
  w.multiplot = 0;
  w.grid = 0;
  w.hold = 0;
  w.key = 1;
  w.logMode = 0;
  // gnuplot 5 knows the data style only as "set style data".
  static const char* const kReset[] = {"set nologscale xyz", "set autoscale",  "set nolabel",
                                       "set xlabel",         "set ylabel",     "set zlabel",
                                       "set title",          "set zero 1e-20", "set style data lines"};
  for (const char* command : kReset) plotCommand(w, command);
}

void graph_vgplot_replot(int window) {
  PlotWindow* w = plotFind(window);
  if (w == nullptr || w->dataNum <= 0 || w->multiplot) return;
  plotCommand(*w, "replot");
  std::fputs("\r                      \r", stdout);
  std::fflush(stdout);
}

void graph_vgplot_clear(int window) {
  PlotWindow* w = plotFind(window);
  if (w == nullptr) return;
  plotForget(*w);
  plotCommand(*w, "clear");
}

void graph_vgplot_destroy(int window) { closeWindow(window); }

void graph_vgplot_destroy_all() {
  for (int i = 1; i <= VGPLOT_WINDOW_MAX && owner == getpid(); i++)
    if (slots[i].window != 0) closeSlot(slots[i], true);
  currentWindow = 1;
}

void graph_vgplot_quit(int count, ...) {
  if (quitting) return;
  if (count < 0 || count > 5) plotFail("vgplot_quit(): Incorrect number of arguments.\n");
  if (!running || owner != getpid()) return;
  quitting = 1;
  if (count == 0) {
    graph_vgplot_destroy_all();
  } else {
    va_list ap;
    va_start(ap, count);
    int windows[5];
    for (int i = 0; i < count; i++) windows[i] = va_arg(ap, int);
    va_end(ap);
    for (int i = 0; i < count; i++) closeWindow(windows[i]);
  }
  running = 1;
  quitting = 0;
}

int graph_vgplot_win_ids(int op, ...) {
  va_list ap;
  va_start(ap, op);
  PlotWindow& w = slotAt(va_arg(ap, int), "vgplot_win_ids");
  if (op == 2) w.window = va_arg(ap, int);
  va_end(ap);
  return w.window;
}

int graph_vgplot_win2id(int window) {
  window = plotWindowNumber(window);
  if (owner != getpid()) return 0;
  for (int i = 1; i <= VGPLOT_WINDOW_MAX; i++)
    if (slots[i].window == window) return i;
  return 0;
}

int graph_vgplot_isopened(int window) { return graph_vgplot_win2id(window); }

int graph_vgplot_data_num(int op, ...) {
  va_list ap;
  va_start(ap, op);
  PlotWindow& w = slotAt(va_arg(ap, int), "vgplot_data_num");
  if (op == 2) w.dataNum = va_arg(ap, int);
  va_end(ap);
  return w.dataNum;
}

int graph_vgplot_running(int op) {
  if (op == 1) running = 1;
  return running;
}

int graph_vgplot_cur_win(int op, ...) {
  if (op == 2) {
    va_list ap;
    va_start(ap, op);
    currentWindow = plotWindowNumber(va_arg(ap, int));
    va_end(ap);
  }
  return currentWindow;
}

const char* graph_vgplot_window_options(int op, ...) {
  if (op == 2) {
    va_list ap;
    va_start(ap, op);
    const char* text = va_arg(ap, const char*);
    va_end(ap);
    windowOptions = text != nullptr ? text : "";
  }
  return windowOptions.c_str();
}

int graph_vgplot_open_count() {
  int open = 0;
  for (int i = 1; i <= VGPLOT_WINDOW_MAX; i++)
    if (slots[i].window != 0 && owner == getpid()) open++;
  return open;
}
