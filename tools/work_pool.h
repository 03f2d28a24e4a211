// Running many independent jobs (one per problem) on every core, with a
// progress line on a terminal.  In the browser build, and when only one core
// is there, the jobs run one after the other on the calling thread.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>

struct Progress {
    FILE* out = nullptr;  // the terminal to draw on; null: no progress line
    const char* what = "problems";
};

// The number of worker threads runJobs uses: VOSTRA_JOBS when set, else the
// number of cores (1 without threads).
int workerCount();

// Calls job(i) for every i in [0, count), from workerCount() threads.  job
// returns true when its problem ended unproven, for the progress line
// ("12/46 problems, 1 unproven").  Jobs must not share state unguarded;
// whatever they print should be collected by index and printed afterwards.
void runJobs(size_t count, const std::function<bool(size_t)>& job, const Progress& progress);

// stderr when it is a terminal, else null.
FILE* progressTerminal();
