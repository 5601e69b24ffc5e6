// Writing result files whole or not at all.
#pragma once
#include <string>

namespace dxf {

// Writes the bytes under a temporary name beside path and renames that into
// place, so that a failure leaves any earlier file untouched.  Throws
// std::runtime_error with a message naming the file.
void write_file_atomically(const std::string &path, const std::string &bytes);

} // namespace dxf
