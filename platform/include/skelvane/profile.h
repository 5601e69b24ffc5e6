// Settings files in the Windows private-profile (INI) format.
//
// Sections and keys are matched without regard to case; writing changes only
// the one line concerned and keeps the rest of the file as it was.
#pragma once
#include <string>

#include "skelvane/wintypes.h"

// The value of `key` in `section` of the file, without surrounding blanks (and
// without one pair of enclosing quotes); `default_value` when the file, the
// section or the key is missing.
SKEL_API std::string GetPrivateProfileString(const std::string &section, const std::string &key,
                                             const std::string &default_value, const std::string &file);

// Sets `key` in `section` to `value`, adding the section and the key when they
// are missing and creating the file when needed.  A null value removes the key.
// False when the file cannot be written, or when a name or the value holds a
// line end.
SKEL_API bool WritePrivateProfileString(const std::string &section, const std::string &key, const char *value,
                                        const std::string &file);
