// Shared by the process service and the batch interpreter.
#pragma once
#include "skelvane/wintypes.h"

// The Windows error number for an errno value of a failed start.
DWORD skel_windows_error(int err);
