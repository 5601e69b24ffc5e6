// Whole files in and out, byte for byte.
#pragma once
#include <string>

namespace skeltest {

// The file's bytes; empty when it cannot be read.
std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &bytes);

} // namespace skeltest
