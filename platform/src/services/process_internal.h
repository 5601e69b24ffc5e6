// Shared by the process service and the batch interpreter.
#pragma once
#include "skelvane/wintypes.h"

// The Windows error number for an errno value of a failed start.
DWORD skel_windows_error(int err);

// The child's side of a start report: tells the parent why exec failed, then ends.
[[noreturn]] void skel_report_exec_failure(int report_fd, int err);

// The parent's side: closes the writing end, waits for the report and closes the
// reading end.  The child's errno when exec failed, or 0 when the program runs.
int skel_read_exec_report(int report[2]);
