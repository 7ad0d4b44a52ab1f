// The learning-curve plot. The runtime's plot windows end the process on a
// gnuplot that cannot start, and gnuplot writes its complaints on the
// standard error it inherits; both are kept inside a child process here, so
// that the parent, whose report is complete by now, says in one line of its
// own what went wrong.
#include "app/learning_plot.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "app/brovane.h"
#include "app/output_file.h"
#include "app/scope.h"
#include "runtime/core/entry.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/objects/list.h"
#include "runtime/objects/vnstring.h"
#include "runtime/plot/plot.h"

namespace {

constexpr int kWindow = 1;

// A file of the format is whole when it starts with head and, blanks at its
// end left out, ends with tail (a PNG's last chunk, IEND, and its checksum).
struct Format {
  const char* extension;
  const char* terminal;
  const char* head;
  const char* tail;
};

const Format kFormats[] = {
    {".png", "pngcairo size 800,600", "\x89PNG\r\n\x1a\n", "IEND\xae\x42\x60\x82"},
    {".svg", "svg size 800,600", "<?xml", "</svg>"},
    {".pdf", "pdfcairo size 8in,6in", "%PDF-", "%%EOF"},
};

const Format* formatOf(const char* path) {
  const size_t n = std::strlen(path);
  for (const Format& f : kFormats) {
    const size_t e = std::strlen(f.extension);
    if (n > e && strcasecmp(path + n - e, f.extension) == 0) return &f;
  }
  return nullptr;
}

std::string failure(const char* file, const std::string& why) {
  return "ERROR: the plot was not written to \"" + PrintableText(file, 200) + "\": " + why + ".";
}

std::string trimmed(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r") + 1 - b);
}

// What gnuplot said against a command ("line 0: <why>"), else the last
// line written.
std::string complaint(const std::string& err) {
  std::string last;
  size_t start = 0;
  while (start < err.size()) {
    size_t end = err.find('\n', start);
    if (end == std::string::npos) end = err.size();
    const std::string line = trimmed(err.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    if (line.compare(0, 5, "line ") == 0 && line.find(':') != std::string::npos)
      return trimmed(line.substr(line.find(':') + 1));
    last = line;
  }
  return last;
}

// 1 x count: the iterations 0 .. count - 1 of the report.
Matrix* iterations(int count) {
  Matrix* m = MatDef("", 1, count);
  for (int i = 1; i <= count; i++) MatSetValue(m, 1, i, i - 1);
  return m;
}

// Rows of llresults as the report prints them (divided by the number of
// experiments), columns 1 .. count.
Matrix* printedRows(std::initializer_list<int> rows, int count) {
  Matrix* m = MatDef("", static_cast<int>(rows.size()), count);
  int k = 1;
  for (int r : rows) {
    for (int i = 1; i <= count; i++) MatSetValue(m, k, i, MatGetValue(llresults, r, i) / BROVANE_EXPERIMENTS);
    k++;
  }
  return m;
}

List* texts(std::initializer_list<const char*> items) {
  List* l = ListDef("", static_cast<int>(items.size()));
  int k = 1;
  for (const char* t : items) ListSetElement(l, k++, 1, vnStringStringDef(t));
  return l;
}

// The child's work. The E-step column has no value at the last iteration,
// so it is a curve of its own, one point shorter than the other two.
void drawCurves(const char* path, const char* terminal, const char* title, int niter) {
  const ScopeMarkers scope = OpenScope();
  graph_vgplot_title(2, kWindow, title);
  graph_vgplot_xlabel(2, kWindow, "iteration");
  graph_vgplot_ylabel(2, kWindow, "log-likelihood per sample");
  graph_vgplot_cmd(kWindow, "set key top left");
  graph_vgplot_hold(2, kWindow, 1);
  if (niter > 0)
    d2_vgplot(6, kWindow, iterations(niter), printedRows({1}, niter), texts({"E-step-LL"}), nullptr, texts({"w lp"}));
  d2_vgplot(6, kWindow, iterations(niter + 1), printedRows({2, 3}, niter + 1), texts({"train-LL", "test-LL"}), nullptr,
            texts({"w lp", "w lp"}));
  graph_vgplot_output_file(3, kWindow, path, terminal);
  MatObjectTmpUndef();
  CloseScope(scope);
}

}  // namespace

const char* PlotFileRequested() {
  const char* value = std::getenv("BROVANE_PLOT");
  return value != nullptr && value[0] != '\0' ? value : nullptr;
}

bool PlotFileComplete(const std::string& bytes, const char* path) {
  const Format* f = formatOf(path);
  if (f == nullptr) return false;
  const size_t end = bytes.find_last_not_of(" \t\r\n") + 1;  // npos + 1 == 0 when all blank
  const size_t head = std::strlen(f->head), tail = std::strlen(f->tail);
  return end >= head + tail && bytes.compare(0, head, f->head) == 0 && bytes.compare(end - tail, tail, f->tail) == 0;
}

std::string WriteLearningPlot(const char* file, const char* title, int niter) {
  const Format* format = formatOf(file);
  if (format == nullptr)
    return "ERROR: BROVANE_PLOT must name a .png, .svg or .pdf file (BROVANE_PLOT = \"" + PrintableText(file, 200) +
           "\").";

  const std::string target = OutputDestination(file);
  bool exists;
  unsigned mode;
  const std::string problem = OutputTargetProblem(target, &exists, &mode);
  if (!problem.empty()) return failure(file, problem);

  // A signal that ends the run waits until the temporary file is gone;
  // the child takes its signals as usual.
  const EndingSignalsHeld held;

  // The folder takes new files (or this fails): the child's standard error
  // goes there too.
  std::string temp;
  const int out = OutputScratchFile(OutputFolder(target), &temp);
  if (out < 0) return failure(file, std::strerror(errno));
  OutputScratchMode(out, exists, mode);
  close(out);

  std::string result;
  const int err = OutputScratchFile(OutputFolder(target), nullptr);
  std::fflush(stdout);
  std::fflush(stderr);
  // The child is collected here by its pid, not by a handler for any child.
  void (*const savedChildHandler)(int) = std::signal(SIGCHLD, SIG_DFL);
  const pid_t parent = getpid();
  const pid_t pid = err >= 0 ? fork() : -1;
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(1);
    sigprocmask(SIG_SETMASK, &held.before(), nullptr);
    // Nothing of the drawing may touch the report.
    const int null = open("/dev/null", O_WRONLY);
    if (null < 0 || dup2(null, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) _exit(1);
    drawCurves(temp.c_str(), format->terminal, title, niter);
    // The window is still open only when gnuplot ran every command.
    const bool drawn = graph_vgplot_open_count() == 1;
    VornExit();
    _exit(drawn ? 0 : 1);
  }
  int status = 0;
  if (pid > 0)
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  std::signal(SIGCHLD, savedChildHandler);

  const std::string said = err >= 0 ? ReadWholeFile(err) : "";
  if (err >= 0) close(err);
  std::string bytes;
  if (pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    const int in = open(temp.c_str(), O_RDONLY);
    if (in >= 0) {
      bytes = ReadWholeFile(in);
      close(in);
    }
  }
  if (pid < 0) {
    result = failure(file, "no process could be started to draw it");
  } else if (said.find("Can't open gnuplot") != std::string::npos) {
    const char* command = std::getenv("VORNGNUPLOT");
    const std::string name = command != nullptr && command[0] != '\0' ? command : "gnuplot";
    result = failure(file, "gnuplot could not be started (\"" + PrintableText(name, 200) + "\")");
  } else if (!PlotFileComplete(bytes, file)) {
    const std::string why = PrintableText(complaint(said), 160);
    result = failure(file, "gnuplot did not draw it" + (why.empty() ? "" : " (" + why + ")"));
  } else if (rename(temp.c_str(), target.c_str()) != 0) {
    result = failure(file, std::strerror(errno));
  }
  if (!result.empty()) unlink(temp.c_str());
  return result;
}
