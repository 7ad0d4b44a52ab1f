// The learning-curve plot of a run (BROVANE_PLOT=FILE): the three averaged
// columns of the report against the iteration, drawn by the runtime's plot
// windows into a .png, .svg or .pdf file once the report is complete.
#pragma once

#include <string>

// The file BROVANE_PLOT names; null when it is unset or empty.
const char* PlotFileRequested();

// True when bytes hold a whole file of the format of path's extension
// (.png, .svg or .pdf, in any case): its signature at the start and its
// closing mark at the end.
bool PlotFileComplete(const std::string& bytes, const char* path);

// Draws the averaged E-step, training and test log-likelihoods of
// llresults (as the report prints them, niter iterations) into file, with
// title on top. The drawing runs in a child process whose standard error,
// gnuplot's included, is kept apart, so that no runtime report or gnuplot
// complaint reaches standard error and no failure ends this process. The
// plot goes to a temporary file next to file and replaces file only when
// it is complete. Returns "" on success, else the one-line message (with
// "ERROR: ", without the line end).
std::string WriteLearningPlot(const char* file, const char* title, int niter);
