// The built-in interpreter of ".bat" files.
//
// The file is read and every line prepared in the starting process; the
// started process then only forks, executes, waits and writes, which is all a
// process forked from a threaded host may safely do before it executes.
#pragma once
#include <memory>
#include <string>

struct skel_batch_plan;

struct skel_batch_plan_deleter {
    void operator()(skel_batch_plan *plan) const;
};
using skel_batch_plan_ptr = std::unique_ptr<skel_batch_plan, skel_batch_plan_deleter>;

// Reads the batch file at a host path; programs named relatively are looked
// for in `folder` (a host path; empty: the current folder).
skel_batch_plan_ptr skel_prepare_batch(const std::string &host_path, const std::string &folder);

// Runs a prepared batch file in a forked process and ends that process with
// the exit code of its last command (0 when it ran none, 1 when the file could
// not be read, 9009 when the last command could not be started).
[[noreturn]] void skel_run_batch(const skel_batch_plan &plan);
