// brovane: a command-line experiment program that trains Gaussian mixture
// models with parallel EM, cross-validation EM and aggregated EM.
#pragma once

struct List;

// Program-level settings, set at the very start of VornMain.
extern int maxint;   // 2147483647: overflow bound of the binomial coefficient
extern int warnlv;   // warning level of the mixture statistics; 0 keeps them quiet

// Training modes, selected by the first argument ("em", "cv", "ag").
enum : int {
  BROVANE_MODE_EM = 0,   // parallel EM
  BROVANE_MODE_CV = 1,   // cross-validation EM
  BROVANE_MODE_AG = 2,   // aggregated EM
};

constexpr int BROVANE_EXPERIMENTS = 20;   // experiments averaged in the report
constexpr int BROVANE_TEST_SIZE = 1000;   // samples in every test set

// The driver: reads the command line (argc words, program path included;
// argument k is element k+1 of args), prints the banner and the run
// configuration, then runs the experiments. A wrong command line ends the
// process through usage().
void VornMain(int argc, List* args);

// Prints the manual page on standard output and exits with status 1.
[[noreturn]] void usage();
