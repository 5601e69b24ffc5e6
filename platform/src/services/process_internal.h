// Process start shared by the process service and the batch interpreter.
#pragma once
#include <string>

#include "skelvane/process.h"

// Starts a program; with `own_group` false it stays in the caller's process
// group, so that stopping a batch file also stops the programs it runs.
skel_process *skel_start_process_in_group(const std::string &command_line, const std::string &current_folder,
                                          DWORD *error, bool own_group);
