// What the plot operations share: the window slots, sending, waiting for
// gnuplot, data files and the fatal report.
#pragma once

#include <cstdarg>
#include <string>

struct Matrix;
struct List;

struct PlotWindow {
  int window = 0;  // 0: free slot
  int dataNum = 0;  // data sets of the current plot, -1 after a reset
  int hold = 0;
  int multiplot = 0;
  int grid = 0;
  int key = 1;
  int logMode = 0;
  int frame = 0;  // names the data files of the current plot
  int files = 0;  // data files of the current plot
  int readFd = -1;  // gnuplot's standard output
  bool opening = false;  // a death now means gnuplot could not start
  std::string* capture = nullptr;  // keeps gnuplot's output instead of dropping it
  std::string plot;  // items of the current plot, joined by ", "
  std::string outputTerm;  // terminal of output_file
};

int plotWindowNumber(int window);  // numbers below 1 mean window 1
PlotWindow* plotFind(int window);  // null when the window is not open
PlotWindow& plotOpen(int window);  // opens the window if needed
PlotWindow& plotOpened(int window);  // fatal when the window is not open
const char* plotTerminal();  // the interactive terminal

// Sends text as it is; nothing when the window was lost meanwhile.
void plotSend(PlotWindow& w, const std::string& text);
void plotCommand(PlotWindow& w, const std::string& text);  // text + ";\n"
// Waits until gnuplot has run everything sent. captured, when given,
// receives what gnuplot wrote on its standard output meanwhile (since
// w.capture was set, when it was). false when gnuplot has gone.
bool plotSync(PlotWindow& w, std::string* captured);
// Forgets the current plot: its data files go once gnuplot is done with them.
void plotForget(PlotWindow& w);
// A new, empty data file of the current plot; returns its path.
std::string plotNewDataFile(PlotWindow& w);

// A message on standard error, then the fatal exit.
[[noreturn]] void plotFail(const char* format, ...) __attribute__((format(printf, 1, 2)));
// "<name>(): Incorrect number of arguments.\n" unless lo <= count <= hi.
void plotCheckCount(int count, int lo, int hi, const char* name);
// text inside '...' for gnuplot: quotes doubled, line ends made blanks.
std::string plotQuoted(const char* text);
std::string plotFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
