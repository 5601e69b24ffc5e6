// A pool of forked worker processes, each writing what it did to its parent
// through a pipe.  The viewer's state is process-wide, so work that needs
// several viewers at once needs several processes.
#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct worker_report {
    std::string output; // everything the worker wrote, even when it ended early
    bool clean = false; // it finished its work and exited with 0
};

struct worker_pool_result {
    std::vector<worker_report> workers; // of the workers started, in order
    std::string error;                  // set when not every worker could be started
};

// Starts `workers` processes; process k runs work(k, out) and exits, with 0
// when work answered true and out was written completely.  Waits for every
// worker started and answers what each wrote.  Every output stream is flushed
// first, so that workers do not write again what the caller had buffered.
worker_pool_result run_worker_pool(int workers, const std::function<bool(int k, std::FILE *out)> &work);
