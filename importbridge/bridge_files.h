// Opening the files the bridge reads back: the host's key file, the result
// file and the temporary file that the import program writes.
#pragma once
#include <cstdio>
#include <string>

// Opens an existing regular file for reading; null for anything else, so that
// a folder, a pipe or a device in its place counts as a file that cannot be
// opened instead of blocking or streaming without end.
std::FILE *open_regular_file(const std::string &path);
