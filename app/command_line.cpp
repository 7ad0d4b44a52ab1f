// brovane's front door: banner, mode selection, argument reading, run
// configuration and the manual page. Written the way compiled code calls
// the runtime: a scope per routine, temporaries released after each
// statement, standard output flushed after each print.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/brovane.h"
#include "app/driver.h"
#include "app/experiments.h"
#include "app/learning_plot.h"
#include "app/output_file.h"
#include "app/saved_results.h"
#include "app/scope.h"
#include "runtime/core/channel.h"
#include "runtime/core/entry.h"
#include "runtime/matrix/matrix.h"
#include "runtime/objects/list.h"
#include "runtime/objects/vnstring.h"

int maxint = 0;
int warnlv = 0;

namespace {

// Argument k of the command line (k = 0 is the program path).
String* argument(List* args, int k) { return static_cast<String*>(ListGetElementP(args, k + 1, 1)); }

// Base-10 string-to-long reading without an end check (leading blanks and a
// sign accepted, "12abc" gives 12, "abc" gives 0), clamped to 32 bits.
int readInteger(const String* word) {
  const long value = std::strtol(word->text != nullptr ? word->text : "", nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// The program's integers are 32-bit: results wrap around as they would in
// the compiled program, without signed overflow in C++.
int wrap32(int64_t value) { return static_cast<int>(static_cast<uint32_t>(value)); }

// True when argument 1 is exactly the mode word.
bool isModeWord(List* args, const char* word) {
  const bool equal = vnStringCompare(argument(args, 1), vnStringStringDef(word)) == 0;
  MatObjectTmpUndef();
  return equal;
}

void printLine(const char* text) {
  std::printf("%s\n", text);
  std::fflush(stdout);
}

}  // namespace

void VornMain(int argc, List* args) {
  const ScopeMarkers scope = OpenScope();

  maxint = 2147483647;
  warnlv = 0;

  printLine("brovane ver.1.0");
  printLine("Copyright (C) the brovane developers. See README.md.");
  printLine("");

  if (argc < 2) usage();

  // The word decides before the count; the comparison is exact.
  int mode;
  const char* title;
  if (isModeWord(args, "em")) {
    if (argc != 5) usage();
    mode = BROVANE_MODE_EM;
    title = "Parallel-EM training";
  } else if (isModeWord(args, "cv")) {
    if (argc != 5) usage();
    mode = BROVANE_MODE_CV;
    title = "CV-EM training";
  } else if (isModeWord(args, "ag")) {
    if (argc != 7) usage();
    mode = BROVANE_MODE_AG;
    title = "Ag-EM training";
  } else {
    usage();
  }
  printLine(title);

  const int niter = readInteger(argument(args, 2));
  const int nlot = readInteger(argument(args, 3));
  const int lsize = readInteger(argument(args, 4));
  MatObjectTmpUndef();

  int nsel = nlot;
  int enss = nlot;
  if (mode == BROVANE_MODE_CV) {
    nsel = wrap32(static_cast<int64_t>(nlot) - 1);
  } else if (mode == BROVANE_MODE_AG) {
    nsel = readInteger(argument(args, 5));
    enss = readInteger(argument(args, 6));
    MatObjectTmpUndef();
    if (nlot < nsel) {
      FilePrintf(2, "ERROR: nlot (%d) must not be smaller than nsel (%d).\n", nlot, nsel);
      VornExitFailure();
    }
  }
  ValidateRunConfiguration(mode, niter, nlot, lsize, nsel, enss);
  const int jobs = ExperimentJobs();

  const int ntrain = wrap32(static_cast<int64_t>(nlot) * lsize);
  std::printf("train set size = %d (subset size = %d, num of subsets = %d)\n", ntrain, lsize, nlot);
  std::fflush(stdout);
  std::printf("test set size = %d\n", BROVANE_TEST_SIZE);
  std::fflush(stdout);
  if (mode == BROVANE_MODE_AG) {
    std::printf("num subset selection = %d, ensemble size = %d\n", nsel, enss);
    std::fflush(stdout);
  }
  std::printf("num experiments = %d (Averaged results are output)\n", BROVANE_EXPERIMENTS);
  std::fflush(stdout);

  RunExperiments(niter, nlot, lsize, nsel, enss, mode, jobs);

  // After the report, so that nothing of these files can cut it short.
  static const char* const kModeWords[] = {"em", "cv", "ag"};
  const int values[] = {niter, nlot, lsize, nsel, enss};
  const int count = mode == BROVANE_MODE_AG ? 5 : 3;
  std::string failures;
  if (const char* file = SaveFileRequested()) {
    const std::string failure = SaveResults(file, kModeWords[mode], values, count, niter);
    if (!failure.empty()) failures += failure + "\n";
  }
  if (const char* file = PlotFileRequested()) {
    std::string plotTitle = std::string("brovane ") + kModeWords[mode];
    for (int k = 0; k < count; k++) plotTitle += " " + std::to_string(values[k]);
    const std::string failure = WriteLearningPlot(file, plotTitle.c_str(), niter);
    if (!failure.empty()) failures += failure + "\n";
  }
  if (!failures.empty()) {
    // A report that could not be written is the graver failure.
    const int reportStatus = VornOutputStatus();
    FilePrintf(2, "%s", failures.c_str());
    VornExit();
    std::exit(reportStatus != 0 ? reportStatus : BROVANE_OUTPUT_FAILED);
  }

  CloseScope(scope);
}

void usage() {
  OpenScope();
  String* myname = vnStringSetType(vnStringSetName(vnStringStringDef("brovane"), "myname"), 1);

  // Lines marked `named` print "  <myname> <text>"; the others print as is.
  struct Line {
    bool named;
    const char* text;
  };
  static const Line lines[] = {
      {false, "NAME"},
      {false, "  brovane - a sample program of CV-EM and Ag-EM algorithms"},
      {false, ""},
      {false, "SYNOPSIS"},
      {true, "em niter nlot lsize"},
      {true, "cv niter nlot lsize"},
      {true, "ag niter nlot lsize nsel enss"},
      {false, ""},
      {false, "DESCRIPTION"},
      {false, "  Train and evaluate GMM using parallel-EM (p-EM), Cross-validation EM(CV-EM),"},
      {false, "  and Aggregated-EM(Ag-EM) algorithms."},
      {false, ""},
      {false, "  Arguments"},
      {false, "        (em|cv|ag) : \"em\" for p-EM, \"cv\" for CV-EM, \"ag\" for Ag-EM."},
      {false, "\tniter : Number of EM/CV-EM/Ag-EM iterations."},
      {false, "\tnlot  : Number of training subsets."},
      {false, "\tlsize : Number of training samples per subset."},
      {false, "\t\tTotal training set size = nlot x lsize."},
      {false, "\tnsel  : Number of subset selection to estimate a model."},
      {false, "\t\t(nsel should be around 0.6*nlot for good results)"},
      {false, "\tenss  : Ensemble size."},
      {false, ""},
      {false, "EXAMPLES"},
      {true, "em 10 20 1"},
      {true, "cv 10 20 1"},
      {true, "ag 10 20 1 12 8"},
      {false, ""},
      {false, "AUTHOR"},
      {false, "  the brovane developers"},
      {false, "  no web site: see README.md in the source tree"},
      {false, ""},
  };
  for (const Line& line : lines) {
    if (line.named) {
      std::printf("  %s %s\n", myname->text, line.text);
      std::fflush(stdout);
    } else {
      printLine(line.text);
    }
  }
  VornExitFailure();
}
