// Environment access as the system expects it on Windows.
#pragma once
#include <optional>
#include <string>

#include "skelvane/wintypes.h"

// The value of an environment variable.  "TEMP" falls back to the temporary
// folder when it is unset.
SKEL_API std::optional<std::string> skel_getenv(const char *name);

// The temporary folder with a trailing separator: $TMPDIR or /tmp.
SKEL_API std::string GetTempPath();

// The Windows folder, "C:\WINDOWS".
SKEL_API std::string GetWindowsDirectory();

// The file name of the shared object (or program) that holds `address`, as a host path.
SKEL_API std::string GetModuleFileName(const void *address_in_module);
