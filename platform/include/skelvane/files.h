// File-system services on Windows paths: attributes, drive types, folder
// creation, file search, the current folder, temporary and short names.
#pragma once
#include <string>
#include <vector>

#include "skelvane/wintypes.h"

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// The attributes of a file or folder; INVALID_FILE_ATTRIBUTES when nothing of
// that name exists.
SKEL_API DWORD GetFileAttributes(const std::string &path);

constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;

// The type of the drive whose root is given ("C:\", "c:" or "C"):
// DRIVE_FIXED for a mapped drive, DRIVE_NO_ROOT_DIR for any other.
SKEL_API UINT GetDriveType(const std::string &root);

// Creates one folder; false when it exists already or cannot be made.
SKEL_API bool CreateDirectory(const std::string &path);

// One entry found by a file search.
struct skel_find_entry {
    std::string name; // as it is spelt on disk
    DWORD attributes = 0;
};

// The entries matching a pattern whose last component may hold '*' and '?'
// (matched without regard to case; "*.*" matches every name), in name order,
// without "." and "..".  A relative pattern counts from the current folder.
SKEL_API std::vector<skel_find_entry> skel_find_files(const std::string &pattern);

// The process's current folder: a Windows path ("C:\...") when it lies on a
// mapped drive, else the host path.
SKEL_API std::string GetCurrentDirectory();

// Makes the process's current folder the given one; false when it does not exist.
SKEL_API bool SetCurrentDirectory(const std::string &path);

// The Windows spelling of a host path when it lies on a mapped drive (drive
// letters in upper case, "\" separators); empty when it lies on none.
SKEL_API std::string skel_windows_path(const std::string &host_path);

// Creates a new empty file named folder + prefix (first three characters) +
// hex digits + ".tmp" and stores its name in *name.  Returns the unique number,
// 0 when no file can be created.
SKEL_API UINT GetTempFileName(const std::string &folder, const std::string &prefix, std::string *name);

// The short (8.3) form of a path: the path itself on this platform, when it exists.
// Empty when nothing of that name exists.
SKEL_API std::string GetShortPathName(const std::string &path);
