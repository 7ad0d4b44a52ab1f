// Running the experiments of a run: one after another in this process, or
// in worker processes (BROVANE_JOBS) whose results the parent replays in
// experiment order, so that the report is that of one process to the last
// digit.
#pragma once

#include <functional>

// llresults(i, j) += x, as an experiment adds its results. In a worker
// process the addition is also recorded for the parent to replay.
void AddToResults(int i, int j, double x);

// The number of processes BROVANE_JOBS asks for: 1 when it is unset or
// empty, the online processors for 0, else its value. Any other text is reported on
// standard error in one line and ends the process with status 1.
int ExperimentJobs();

// Runs experiment(1), ..., experiment(count) with up to `jobs` worker
// processes at a time (one process, this one, for jobs <= 1), showing the
// progress line on a terminal and erasing it at the end. llresults ends as
// the single process leaves it: every recorded addition is replayed in
// experiment order. What an experiment writes on standard output and
// standard error is passed on in experiment order too; the first
// experiment in order that ends its process decides the exit status, and
// every other worker is ended then.
void RunExperimentSeries(int count, int jobs, const std::function<void(int)>& experiment);
