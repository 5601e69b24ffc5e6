// Files that other processes may read while we write them: each is written
// under a temporary name in its own folder and renamed into place, so a reader
// sees the old file or the whole new one, never a part.
#pragma once
#include <functional>
#include <string>

// Makes the folders, writes text and renames; false on any failure (no file left behind).
bool write_file_atomically(const std::string &path, const std::string &text);

// The same with a writer that fills the temporary file given to it.
bool write_file_atomically(const std::string &path, const std::function<bool(const std::string &)> &write);

// write_file_atomically unless the file already holds exactly text (rewriting
// an existing file costs the file system far more than reading it).
bool write_file_if_changed(const std::string &path, const std::string &text);
