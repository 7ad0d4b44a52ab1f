// Saved results of a run (BROVANE_SAVE=FILE): the averaged table and the
// run's configuration as one List record of the runtime's binary format,
// which ListRead brings back. The List, named "brovane", holds
//   1  the mode, a String: "em", "cv" or "ag"
//   2  the arguments, a 1 x 3 Matrix (niter nlot lsize) or, for ag, 1 x 5
//      (niter nlot lsize nsel enss)
//   3  the number of experiments averaged, an Integer
//   4  the test set size, an Integer
//   5  the table, an (niter + 1) x 4 Matrix: iteration, E-step-LL,
//      train-LL, test-LL per row, the values the report prints before
//      rounding (NaN for the E-step at the last iteration)
//   6  the column titles, a List of four Strings
#pragma once

#include <string>

// The file BROVANE_SAVE names; null when it is unset or empty.
const char* SaveFileRequested();

// Writes the List of the run into file, through a scratch file beside it
// that replaces file only when written whole. args holds count values.
// Returns "" on success, else the one-line message (with "ERROR: ",
// without the line end).
std::string SaveResults(const char* file, const char* mode, const int* args, int count, int niter);
