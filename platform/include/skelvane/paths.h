// Mapping of the Windows paths that the system composes onto host paths.
//
//  - '\' and '/' both separate; a path that starts with '/' is a host path.
//  - "X:\..." lies in the folder named by SKELVANE_DRIVE_X; drive C defaults to
//    $XDG_DATA_HOME/skelvane/drive_c (created on first use), or, without a home, the
//    same below a folder skelvane-UID of the temporary folder that only its user
//    may own (drive C does not exist when another user owns it); other drives do
//    not exist.
//  - "\name" lies on the root of the current drive, which is C.
//  - "\\server\share" names do not exist.
#pragma once
#include <cstdio>
#include <string>

#include "skelvane/wintypes.h"

// The host path for a Windows path; false when its drive or server does not exist.
SKEL_API bool skel_host_path(const std::string &windows_path, std::string &host_path);

// The host folder of a drive letter (any case); false when the drive does not exist.
SKEL_API bool skel_drive_root(char letter, std::string &host_folder);

// Like the C runtime's fopen on a Windows path.  Opening an existing file for
// reading tries the exact name first, then matches each component without
// regard to case.
SKEL_API std::FILE *skel_fopen(const char *path, const char *mode);

// Like fopen on a host path, without ever waiting: a file opened for reading
// must be a regular file (a named pipe, device or folder is refused with
// EINVAL), and nothing blocks in the open itself.  skel_fopen opens this way.
SKEL_API std::FILE *skel_fopen_host(const std::string &host_path, const char *mode);

// The whole content of a regular file on a host path (opened as skel_fopen_host
// does); false when it cannot be opened or read.
SKEL_API bool skel_read_host_file(const std::string &host_path, std::string &content);

// Whether a file or folder exists under this path (components matched without regard to case).
SKEL_API bool skel_file_exists(const char *path);

// The host path of an existing file or folder, resolving case; false when none exists.
SKEL_API bool skel_resolve_existing(const std::string &windows_path, std::string &host_path);

// Deletes a file; 0 on success like the C runtime's remove.
SKEL_API int skel_remove(const char *path);

// Creates and opens ("w+b") a new file named stem + unique part + suffix, exclusively
// and without following a link planted under that name.  On success the name, in
// the caller's spelling, is stored in *created_name.  Null when it cannot be created.
SKEL_API std::FILE *skel_create_unique(const std::string &stem, const std::string &suffix,
                                       std::string *created_name);
