// The experiments and the report: the second half of VornMain.
#pragma once

// Rejects, before any experiment, a configuration the run cannot carry: a
// negative niter, a non-positive nlot, lsize, nsel or enss, a cv run with
// fewer than 2 subsets, and any matrix the run would build (4 x N training
// set, 3 x (niter + 1) results, stacks of nlot, nsel or enss 9 x 8 blocks)
// whose element count overflows 32 bits. One line on standard error naming
// the argument, then status 1.
void ValidateRunConfiguration(int mode, int niter, int nlot, int lsize, int nsel, int enss);

// Runs the 20 experiments of the configuration into llresults, in up to
// `jobs` worker processes (fewer when that many runs would not fit in the
// machine's memory at once), then prints the averaged results table and
// "Done" on standard output.
void RunExperiments(int niter, int nlot, int lsize, int nsel, int enss, int mode, int jobs);
