#include "runtime/core/entry.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/list.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"
#include "runtime/plot/plot.h"

double vorn_eps = 0.0;
int vorn_withlog_flag = 0;
Matrix* llresults = nullptr;

namespace {

int version = 4;

// The error log can be switched on from outside with VORN_LOG=1; the program
// itself always starts with the log off.
void readLogSwitch() {
  const char* value = std::getenv("VORN_LOG");
  if (value == nullptr || std::strcmp(value, "0") == 0 || value[0] == '\0') return;
  if (std::strcmp(value, "1") == 0) {
    vorn_withlog_flag = 1;
    return;
  }
  std::fprintf(stderr, "VORN_LOG=\"%s\": expected 0 or 1; the error log stays off.\n", value);
}

void installHandler(int sig, void (*handler)(int), const char* failure) {
  if (std::signal(sig, SIG_IGN) == SIG_IGN) return;  // ignored since start: keep it so
  if (std::signal(sig, handler) == SIG_ERR) {
    ssize_t ignored = write(2, failure, std::strlen(failure));
    (void)ignored;
  }
}

// A pipe or socket whose reader has gone. The reader stopped on purpose
// (`brovane ... | head`): nothing to report, as when SIGPIPE ends a tool.
bool readerGone(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !(S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) return false;
  struct pollfd p = {fd, POLLOUT, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & (POLLERR | POLLHUP)) != 0;
}

// The stream keeps no reason for a failed write (the C library drops the
// buffer and errno moves on), so the line says what was lost, not why.
int checkedOutput() {
  static int status = -1;
  if (status != -1) return status;
  const bool failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  status = failed ? 1 : 0;
  if (failed && !readerGone(STDOUT_FILENO)) {
    std::fputs("ERROR: standard output could not be written; the report is incomplete.\n", stderr);
    std::fflush(stderr);
  }
  return status;
}

void checkOutputAtExit() { checkedOutput(); }

}  // namespace

int VornOutputStatus() { return checkedOutput(); }

double vorn_version(double v) {
  if (v == 4.0) version = 4;
  else if (v == 5.0) version = 5;
  return version;
}

void VornInitRegistries() {
  CompInit();
  vnStringInit();
  MatInit();
  PolyInit();
  RatInit();
  ListInit();
}

void VornInitRuntime() {
  vorn_eps = std::pow(2.0, -52.0);
  vorn_version(5.0);
  vorn_withlog_flag = 0;
  VornInitRegistries();
}

List* VornStartUp(int argc, char** argv) {
  VornInitRuntime();
  readLogSwitch();

  llresults = MatDef("", 0, 0);
  MatSetType(llresults, 4);

  List* args = ListDef("Vorn_ARGUMENTS", argc);
  ListSetType(args, 1);
  for (int i = 0; i < argc; i++) {
    String* word = vnStringStringDef(argv[i]);
    ListSetElement(args, i + 1, 1, word);
  }
  // Every way out through exit() checks that the report reached standard
  // output; the signal paths leave by _exit() and skip it.
  std::atexit(checkOutputAtExit);
  VornSetSignal();
  return args;
}

void VornSetSignal() {
  installHandler(SIGFPE, vorn_fpecatch, "Can't catch SIGFPE\n");
  installHandler(SIGINT, vorn_die, "Can't catch SIGINT\n");
  installHandler(SIGTERM, vorn_die, "Can't catch SIGTERM\n");
  installHandler(SIGQUIT, vorn_die, "Can't catch SIGQUIT\n");
  installHandler(SIGHUP, vorn_die, "Can't catch SIGHUP\n");
}

void vorn_fpecatch(int) {
  std::signal(SIGFPE, SIG_IGN);
  static const char message[] = "Floating point execption\n";
  ssize_t ignored = write(2, message, sizeof message - 1);
  (void)ignored;
  _exit(254);
}

void vorn_die(int sig) {
  std::signal(SIGINT, SIG_IGN);
  std::signal(SIGTERM, SIG_IGN);
  std::signal(SIGQUIT, SIG_IGN);
  std::signal(SIGHUP, SIG_IGN);
  VornExit();
  // From a handler the interrupted code may hold stdio locks: leave without
  // running exit handlers. Every report line is flushed when printed.
  if (sig != 0) _exit(1);
  std::exit(0);
}

void VornExit() { graph_vgplot_quit(0); }

namespace {
VornFatalHandler fatalHandler = nullptr;
}  // namespace

void VornSetFatalHandler(VornFatalHandler handler) { fatalHandler = handler; }

void execerror_recovery() {
  if (fatalHandler != nullptr) fatalHandler();
  VornExit();
  std::exit(255);
}

void VornExitFailure() {
  graph_vgplot_quit(0);
  std::exit(1);
}
