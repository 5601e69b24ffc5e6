// The built-in interpreter of ".bat" files.
#pragma once
#include <string>

// Runs the batch file at a host path line by line and returns the exit code of
// its last command (0 when it ran none, 1 when it cannot be read).
int skel_run_batch_file(const std::string &host_path);
