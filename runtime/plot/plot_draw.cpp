// Plotting data, decorations, layout and output to files.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/terminal.h"
#include "runtime/io/textsave.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/objects/list.h"
#include "runtime/objects/vnstring.h"
#include "runtime/plot/plot.h"
#include "runtime/plot/plot_window.h"

namespace {

// The optional lists after the data of a plotting call.
struct Labels {
  List* titles = nullptr;
  List* cmds1 = nullptr;
  List* cmds2 = nullptr;
};

Labels readLabels(va_list ap, int given) {
  Labels l;
  if (given > 0) l.titles = va_arg(ap, List*);
  if (given > 1) l.cmds1 = va_arg(ap, List*);
  if (given > 2) l.cmds2 = va_arg(ap, List*);
  return l;
}

// Element k of a list of Strings, or null.
const char* listText(List* l, int k) {
  if (l == nullptr || k > l->length || ListGetClass(l, k) != 1) return nullptr;
  const String* s = static_cast<const String*>(ListGetElementP(l, k, 1));
  return s != nullptr && s->length >= 0 ? s->text : nullptr;
}

void checkData(Matrix* m, const char* tag) {
  MatNotRealCheck(m, tag);
  MatZeroSizeCheck(m, tag);
}

// Writes data to a new file of the window and plots one curve per entry
// of columns (the gnuplot "using" text); add keeps the current curves.
void plotCurves(int window, Matrix* data, const std::vector<std::string>& columns, const Labels& labels, bool add,
                const std::string& before) {
  PlotWindow& w = plotOpen(window);
  if (!((add || w.hold) && w.dataNum > 0)) {
    static int frames = 0;  // process-wide, so file names never repeat
    plotForget(w);
    w.frame = ++frames;
  }
  if (w.window == 0) return;  // gnuplot went while catching up: reported
  w.dataNum++;
  const std::string path = plotNewDataFile(w);
  MatFileWrite(data, path.c_str());
  for (size_t i = 0; i < columns.size(); i++) {
    const int k = static_cast<int>(i) + 1;
    const char* title = listText(labels.titles, k);
    const std::string name = title != nullptr ? plotQuoted(title) : plotFormat("data-%d-%d", w.dataNum, k);
    const char* c1 = listText(labels.cmds1, k);
    const char* c2 = listText(labels.cmds2, k);
    if (!w.plot.empty()) w.plot += ", ";
    w.plot += plotFormat("'%s' u %s %s t '%s' %s", path.c_str(), columns[i].c_str(), c1 != nullptr ? c1 : "",
                         name.c_str(), c2 != nullptr ? c2 : "");
  }
  plotCommand(w, before + "plot " + w.plot);
  graph_vgplot_cur_win(2, window);
}

std::vector<std::string> againstIndex(int rows) {
  std::vector<std::string> columns;
  for (int k = 1; k <= rows; k++) columns.push_back(plotFormat("0:%d", k));
  return columns;
}

std::vector<std::string> againstFirst(int rows) {
  std::vector<std::string> columns;
  for (int k = 2; k <= rows; k++) columns.push_back(plotFormat("1:%d", k));
  return columns;
}

const char* const kLogModes[] = {"set nologscale xyz", "set logscale x; set nologscale yz",
                                 "set logscale y; set nologscale xz", "set logscale xy; set nologscale z"};

// graph_vgplot and its forms: window, [log mode,] range, data, labels.
void vgplotForm(const char* name, int count, va_list ap, int logMode, bool add) {
  const int fixed = logMode < 0 ? 4 : 3;
  plotCheckCount(count, fixed, fixed + 3, name);
  const int window = plotWindowNumber(va_arg(ap, int));
  if (logMode < 0) logMode = va_arg(ap, int);
  Matrix* range = va_arg(ap, Matrix*);
  Matrix* data = va_arg(ap, Matrix*);
  const Labels labels = readLabels(ap, count - fixed);
  if (logMode < 0 || logMode > 3) plotFail("vgplot(): Incorrect log_mode\n");
  const std::string tag = std::string(name) + "()";
  MatNotRealCheck(range, tag.c_str());
  checkData(data, tag.c_str());
  const int values = range->rows * range->cols;
  if (values != 0 && values != 2 && values != 4) plotFail("%s(): Incorrect range data.\n", name);
  const double* r = MatReal(range);
  std::string before;
  if (values == 0) before = "set autoscale xy; ";
  if (values >= 2) before += plotFormat("set xrange [%f:%f]; ", r[0], r[1]);
  if (values == 2) before += "set autoscale y; ";
  if (values == 4) before += plotFormat("set yrange [%f:%f]; ", r[2], r[3]);
  graph_vgplot_log_mode(2, window, logMode);
  const int rows = data->rows;
  plotCurves(window, data, rows == 1 ? againstIndex(1) : againstFirst(rows), labels, add, before);
}

// A per-window flag: op 1 reads, op 2 writes and sends on or off.
int windowFlag(int op, va_list ap, int PlotWindow::*field, const char* on, const char* off) {
  const int window = va_arg(ap, int);
  if (op != 2) {
    PlotWindow* w = plotFind(window);
    return w != nullptr ? w->*field : 0;
  }
  const int flag = va_arg(ap, int) != 0;
  PlotWindow& w = plotOpen(window);
  w.*field = flag;
  if (on != nullptr) plotCommand(w, flag ? on : off);
  return flag;
}

void label(const char* axis, const char* name, int count, va_list ap) {
  plotCheckCount(count, 1, 4, name);
  const int window = va_arg(ap, int);
  std::string command = plotFormat("set %s", axis);
  if (count >= 2) command += " '" + plotQuoted(va_arg(ap, const char*)) + "'";
  // gnuplot 5 wants the word "offset" before the offsets.
  if (count == 3) command += plotFormat(" offset %d", va_arg(ap, int));
  if (count == 4) {
    const int x = va_arg(ap, int);
    command += plotFormat(" offset %d,%d", x, va_arg(ap, int));
  }
  graph_vgplot_cmd(window, command.c_str());
}

void axisRange(const char* axis, const char* name, int count, va_list ap) {
  if (count != 1 && count != 3) plotCheckCount(count, 1, 0, name);
  const int window = va_arg(ap, int);
  if (count == 1) {
    graph_vgplot_cmd(window, plotFormat("set autoscale %c", axis[0]).c_str());
    return;
  }
  const double lo = va_arg(ap, double);
  const double hi = va_arg(ap, double);
  graph_vgplot_cmd(window, plotFormat("set %s [%f:%f]", axis, lo, hi).c_str());
}

void onOff(const char* what, const char* name, int count, va_list ap) {
  plotCheckCount(count, 2, 2, name);
  const int window = va_arg(ap, int);
  const int flag = va_arg(ap, int);
  graph_vgplot_cmd(window, plotFormat("set %s%s", flag ? "" : "no", what).c_str());
}

struct OutputMode {
  const char* mode;
  const char* terminal;
};

// gnuplot 5 knows no "plus" option and wants the fig size as "x,y".
const OutputMode kModes[] = {
    {"ps", "set terminal postscript monochrome 'Times-Roman' 16"},
    {"eps", "set terminal postscript eps monochrome 'Times-Roman' 22"},
    {"psplus", "set terminal postscript monochrome 'Times-Roman-Mincho' 16"},
    {"epsplus", "set terminal postscript eps monochrome 'Times-Roman-Mincho' 22"},
    {"fig", "set terminal fig monochrome portrait fontsize 16 size 5,3"},
};

const char* modeTerminal(const char* mode) {
  for (const OutputMode& m : kModes)
    if (mode != nullptr && std::strcmp(mode, m.mode) == 0) return m.terminal;
  return nullptr;
}

// Draws the current plot with terminal into file ("" for gnuplot's own
// output, which captured receives), then returns to the screen.
void drawTo(PlotWindow& w, const std::string& terminal, const char* file, std::string* captured) {
  const bool multi = w.multiplot != 0;
  std::string code;
  if (captured != nullptr) {
    plotSync(w, nullptr);  // earlier output is not part of the code
    w.capture = &code;
  }
  if (multi) {
    plotCommand(w, "set nomultiplot");
    plotCommand(w, "set origin 0,0");
    plotCommand(w, "set size 1.0,1.0");
  }
  plotCommand(w, terminal);
  plotCommand(w, file != nullptr ? "set output '" + plotQuoted(file) + "'" : "set output");
  if (!w.plot.empty()) plotCommand(w, "plot " + w.plot);
  plotCommand(w, "set output");
  plotCommand(w, std::string("set terminal ") + plotTerminal());
  if (multi) {
    plotCommand(w, "set size 0.98,1.0");
    plotCommand(w, "set multiplot");
  }
  plotSync(w, captured);
  w.capture = nullptr;
}

void outputFile(const char* name, int count, va_list ap, const char* mode) {
  plotCheckCount(count, 2, mode != nullptr ? 2 : 3, name);
  const int window = va_arg(ap, int);
  const char* file = va_arg(ap, const char*);
  PlotWindow& w = plotOpened(window);
  std::string terminal;
  if (mode != nullptr)
    terminal = modeTerminal(mode);
  else if (count == 3)
    terminal = std::string("set terminal ") + va_arg(ap, const char*);
  else
    terminal = w.outputTerm.empty() ? modeTerminal("ps") : w.outputTerm;
  drawTo(w, terminal, file != nullptr ? file : "", nullptr);
}

String* outputCode(const char* name, int count, va_list ap, const char* mode) {
  plotCheckCount(count, 1, 1, name);
  PlotWindow& w = plotOpened(va_arg(ap, int));
  std::string code;
  drawTo(w, modeTerminal(mode), nullptr, &code);
  return vnStringStringDef(code.c_str());
}

}  // namespace

#define VGPLOT_VA(body) \
  va_list ap;           \
  va_start(ap, count);  \
  body;                 \
  va_end(ap)

void d1_vgplot(int count, ...) {
  plotCheckCount(count, 2, 5, "d1_vgplot");
  va_list ap;
  va_start(ap, count);
  const int window = plotWindowNumber(va_arg(ap, int));
  Matrix* data = va_arg(ap, Matrix*);
  const Labels labels = readLabels(ap, count - 2);
  va_end(ap);
  checkData(data, "d1_vgplot()");
  plotCurves(window, data, againstIndex(data->rows), labels, false, "");
}

void d2_vgplot(int count, ...) {
  plotCheckCount(count, 3, 6, "d2_vgplot");
  va_list ap;
  va_start(ap, count);
  const int window = plotWindowNumber(va_arg(ap, int));
  Matrix* x = va_arg(ap, Matrix*);
  Matrix* y = va_arg(ap, Matrix*);
  const Labels labels = readLabels(ap, count - 3);
  va_end(ap);
  checkData(x, "d2_vgplot()");
  checkData(y, "d2_vgplot()");
  if (x->cols != y->cols || (x->rows != 1 && x->rows != y->rows)) plotFail("vgplot(): Confliction of data number.\n");
  // One file: the rows of x, then those of y.
  Matrix* both = MatDef("", x->rows + y->rows, x->cols);
  const size_t xSize = static_cast<size_t>(x->rows) * x->cols;
  std::memcpy(MatReal(both), MatReal(x), xSize * sizeof(double));
  std::memcpy(MatReal(both) + xSize, MatReal(y), static_cast<size_t>(y->rows) * y->cols * sizeof(double));
  std::vector<std::string> columns;
  for (int k = 1; k <= y->rows; k++)
    columns.push_back(x->rows == 1 ? plotFormat("1:%d", k + 1) : plotFormat("%d:%d", k, x->rows + k));
  plotCurves(window, both, columns, labels, false, "");
  MatUndef(both);
}

void graph_vgplot(int count, ...) { VGPLOT_VA(vgplotForm("vgplot", count, ap, -1, false)); }
void graph_vgreplot(int count, ...) { VGPLOT_VA(vgplotForm("vgreplot", count, ap, -1, true)); }
void graph_vgplot_loglog(int count, ...) { VGPLOT_VA(vgplotForm("vgplot_loglog", count, ap, 3, false)); }
void graph_vgplot_semilogx(int count, ...) { VGPLOT_VA(vgplotForm("vgplot_semilogx", count, ap, 1, false)); }
void graph_vgplot_semilogy(int count, ...) { VGPLOT_VA(vgplotForm("vgplot_semilogy", count, ap, 2, false)); }
void graph_vgreplot_loglog(int count, ...) { VGPLOT_VA(vgplotForm("vgreplot_loglog", count, ap, 3, true)); }
void graph_vgreplot_semilogx(int count, ...) { VGPLOT_VA(vgplotForm("vgreplot_semilogx", count, ap, 1, true)); }
void graph_vgreplot_semilogy(int count, ...) { VGPLOT_VA(vgplotForm("vgreplot_semilogy", count, ap, 2, true)); }

int graph_vgplot_hold(int op, ...) {
  va_list ap;
  va_start(ap, op);
  const int flag = windowFlag(op, ap, &PlotWindow::hold, nullptr, nullptr);
  va_end(ap);
  return flag;
}

int graph_vgplot_grid(int op, ...) {
  va_list ap;
  va_start(ap, op);
  const int flag = windowFlag(op, ap, &PlotWindow::grid, "set grid", "set nogrid");
  va_end(ap);
  return flag;
}

int graph_vgplot_key(int op, ...) {
  va_list ap;
  va_start(ap, op);
  const int flag = windowFlag(op, ap, &PlotWindow::key, "set key", "set nokey");
  va_end(ap);
  return flag;
}

int graph_vgplot_multiplot(int op, ...) {
  va_list ap;
  va_start(ap, op);
  const int window = va_arg(ap, int);
  const int flag = op == 2 ? va_arg(ap, int) != 0 : 0;
  va_end(ap);
  if (op != 2) {
    PlotWindow* w = plotFind(window);
    return w != nullptr ? w->multiplot : 0;
  }
  PlotWindow& w = plotOpen(window);
  if (flag == w.multiplot) return flag;
  w.multiplot = flag;
  if (flag) {
    plotSend(w, "set multiplot;\n");
    plotSend(w, "set origin 0,0;\n");
    plotSend(w, "set size 0.98,1.0;\n");
  } else {
    plotSend(w, "set nomultiplot;\n");
  }
  return flag;
}

int graph_vgplot_log_mode(int op, ...) {
  va_list ap;
  va_start(ap, op);
  const int window = va_arg(ap, int);
  const int mode = op == 2 ? va_arg(ap, int) : 0;
  va_end(ap);
  if (op != 2) {
    PlotWindow* w = plotFind(window);
    return w != nullptr ? w->logMode : 0;
  }
  if (mode < 0 || mode > 3) plotFail("vgplot(): Incorrect log_mode\n");
  PlotWindow& w = plotOpen(window);
  w.logMode = mode;
  plotCommand(w, kLogModes[mode]);
  return mode;
}

const char* graph_vgplot_plot_strings(int op, ...) {
  va_list ap;
  va_start(ap, op);
  const int window = va_arg(ap, int);
  const char* text = op == 2 ? va_arg(ap, const char*) : nullptr;
  va_end(ap);
  PlotWindow* w = op == 2 ? &plotOpen(window) : plotFind(window);
  if (w == nullptr) return "";
  if (op == 2) w->plot = text != nullptr ? text : "";
  return w->plot.c_str();
}

void graph_vgplot_title(int count, ...) {
  plotCheckCount(count, 1, 2, "vgplot_title");
  va_list ap;
  va_start(ap, count);
  const int window = va_arg(ap, int);
  const std::string command = count == 2 ? "set title '" + plotQuoted(va_arg(ap, const char*)) + "'" : "set title";
  va_end(ap);
  graph_vgplot_cmd(window, command.c_str());
}

void graph_vgplot_xlabel(int count, ...) { VGPLOT_VA(label("xlabel", "vgplot_xlabel", count, ap)); }
void graph_vgplot_x2label(int count, ...) { VGPLOT_VA(label("x2label", "vgplot_x2label", count, ap)); }
void graph_vgplot_ylabel(int count, ...) { VGPLOT_VA(label("ylabel", "vgplot_ylabel", count, ap)); }
void graph_vgplot_y2label(int count, ...) { VGPLOT_VA(label("y2label", "vgplot_y2label", count, ap)); }
void graph_vgplot_zlabel(int count, ...) { VGPLOT_VA(label("zlabel", "vgplot_zlabel", count, ap)); }

void graph_vgplot_text(int count, ...) {
  if (count != 1 && count != 4 && count != 5) plotCheckCount(count, 1, 0, "vgplot_text");
  va_list ap;
  va_start(ap, count);
  const int window = va_arg(ap, int);
  std::string command = "set nolabel";
  if (count >= 4) {
    const std::string text = plotQuoted(va_arg(ap, const char*));
    const double x = va_arg(ap, double);
    const double y = va_arg(ap, double);
    command = plotFormat("set label '%s' at %g,%g", text.c_str(), x, y);
    // gnuplot 5 takes the options after the position without a comma.
    if (count == 5) command += std::string(" ") + va_arg(ap, const char*);
  }
  va_end(ap);
  graph_vgplot_cmd(window, command.c_str());
}

void graph_vgplot_range(int count, ...) {
  plotCheckCount(count, 2, 2, "vgplot_range");
  va_list ap;
  va_start(ap, count);
  const int window = va_arg(ap, int);
  Matrix* range = va_arg(ap, Matrix*);
  va_end(ap);
  MatNotRealCheck(range, "vgplot_range()");
  const int values = range->rows * range->cols;
  if (values % 2 != 0 || values > 6) plotFail("vgplot_range(): Incorrect range data.\n");
  if (values == 0) graph_vgplot_cmd(window, "set autoscale");
  static const char* const kAxes[] = {"xrange", "yrange", "zrange"};
  const double* r = MatReal(range);
  for (int i = 0; i < values / 2; i++)
    graph_vgplot_cmd(window, plotFormat("set %s [%f:%f]", kAxes[i], r[2 * i], r[2 * i + 1]).c_str());
}

void graph_vgplot_xrange(int count, ...) { VGPLOT_VA(axisRange("xrange", "vgplot_xrange", count, ap)); }
void graph_vgplot_yrange(int count, ...) { VGPLOT_VA(axisRange("yrange", "vgplot_yrange", count, ap)); }
void graph_vgplot_zrange(int count, ...) { VGPLOT_VA(axisRange("zrange", "vgplot_zrange", count, ap)); }

void graph_vgplot_view(int count, ...) {
  plotCheckCount(count, 2, 5, "vgplot_view");
  va_list ap;
  va_start(ap, count);
  const int window = va_arg(ap, int);
  std::string command = "set view ";
  for (int i = 1; i < count; i++) command += plotFormat(i > 1 ? ",%g" : "%g", va_arg(ap, double));
  va_end(ap);
  graph_vgplot_cmd(window, command.c_str());
}

void graph_vgplot_view_control(int count, ...) {
  plotCheckCount(count, 1, 1, "vgplot_view_control");
  va_list ap;
  va_start(ap, count);
  const int window = va_arg(ap, int);
  va_end(ap);
  PlotWindow& w = plotOpen(window);
  // gnuplot's own starting view; rotations in degrees, 5 a key.
  double rotateX = 60, rotateZ = 30, scale = 1, scaleZ = 1;
  std::fputs(" 'q' or 'ESC' for quit\n", stdout);
  std::fputs(" j/k : rotate_x -/+   h/l : rotate_z -/+\n", stdout);
  std::fputs(" -/+ : scale -/+      </> : scale_z -/+\n", stdout);
  for (;;) {
    std::printf(" | rotate_x = %3g | rotate_z = %3g | scale  = %2g   | scale_z = %2g |\r", rotateX, rotateZ, scale,
                scaleZ);
    std::fflush(stdout);
    const int key = one_getch();
    if (key < 0 || key == 'q' || key == 27) break;
    switch (key) {
      case 'j': rotateX -= 5; break;
      case 'k': rotateX += 5; break;
      case 'h': rotateZ -= 5; break;
      case 'l': rotateZ += 5; break;
      case '-': scale -= 0.1; break;
      case '+': scale += 0.1; break;
      case '<': scaleZ -= 0.1; break;
      case '>': scaleZ += 0.1; break;
      default: continue;
    }
    // gnuplot accepts rot_x in [0, 360] and rot_z in [0, 360)
    if (rotateX < 0) rotateX = 0;
    if (rotateX > 360) rotateX = 360;
    if (rotateZ < 0) rotateZ += 360;
    if (rotateZ >= 360) rotateZ -= 360;
    if (scale < 0.1) scale = 0.1;
    if (scaleZ < 0.1) scaleZ = 0.1;
    plotCommand(w, plotFormat("set view %g,%g,%g,%g", rotateX, rotateZ, scale, scaleZ));
    if (w.dataNum > 0 && !w.multiplot) plotCommand(w, "replot");
  }
  std::fputs("\n", stdout);
  std::fflush(stdout);
}

void graph_vgplot_parametric(int count, ...) { VGPLOT_VA(onOff("parametric", "vgplot_parametric", count, ap)); }
void graph_vgplot_hidden3d(int count, ...) { VGPLOT_VA(onOff("hidden3d", "vgplot_hidden3d", count, ap)); }

void graph_vgplot_subplot(int count, ...) {
  plotCheckCount(count, 4, 4, "vgplot_subplot");
  va_list ap;
  va_start(ap, count);
  const int window = va_arg(ap, int);
  const int rows = va_arg(ap, int);
  const int cols = va_arg(ap, int);
  const int number = va_arg(ap, int);
  va_end(ap);
  if (rows <= 0) plotFail("vgplot_subplot(): Number of rows must be positive\n");
  if (cols <= 0) plotFail("vgplot_subplot(): Number of columns must be positive\n");
  if (number < 1 || number > rows * cols) plotFail("Number must be between 1 and %d\n", rows * cols);
  graph_vgplot_multiplot(2, window, 1);
  // Cells of equal size, counted row by row from the top left; the width
  // keeps the multiplot's 0.98 margin.
  const int row = (number - 1) / cols;
  const int col = (number - 1) % cols;
  const double width = 1.0 / cols;
  const double height = 1.0 / rows;
  graph_vgplot_cmd(window, plotFormat("set origin %g,%g", col * width, (rows - 1 - row) * height).c_str());
  graph_vgplot_cmd(window, plotFormat("set size %g,%g", 0.98 * width, height).c_str());
}

void graph_vgplot_output_mode(int count, ...) {
  plotCheckCount(count, 2, 2, "vgplot_output_mode");
  va_list ap;
  va_start(ap, count);
  const int window = va_arg(ap, int);
  const char* mode = va_arg(ap, const char*);
  va_end(ap);
  const char* terminal = modeTerminal(mode);
  if (terminal == nullptr) plotFail("vgplot_output_mode(): Incorrect output mode.\n");
  plotOpen(window).outputTerm = terminal;
}

void graph_vgplot_output_file(int count, ...) { VGPLOT_VA(outputFile("vgplot_output_file", count, ap, nullptr)); }
void graph_vgplot_ps(int count, ...) { VGPLOT_VA(outputFile("vgplot_ps", count, ap, "ps")); }
void graph_vgplot_eps(int count, ...) { VGPLOT_VA(outputFile("vgplot_eps", count, ap, "eps")); }
void graph_vgplot_psplus(int count, ...) { VGPLOT_VA(outputFile("vgplot_psplus", count, ap, "psplus")); }
void graph_vgplot_epsplus(int count, ...) { VGPLOT_VA(outputFile("vgplot_epsplus", count, ap, "epsplus")); }
void graph_vgplot_fig(int count, ...) { VGPLOT_VA(outputFile("vgplot_fig", count, ap, "fig")); }

String* graph_vgplot_psout(int count, ...) {
  va_list ap;
  va_start(ap, count);
  String* code = outputCode("vgplot_psout", count, ap, "ps");
  va_end(ap);
  return code;
}

String* graph_vgplot_figcode(int count, ...) {
  va_list ap;
  va_start(ap, count);
  String* code = outputCode("vgplot_figcode", count, ap, "fig");
  va_end(ap);
  return code;
}
