// The work file as the reader uses it: every byte is written to the file on
// disk as before, and reading back is served from a copy kept in memory, so a
// definition costs no read calls and no seeks of the file.
#pragma once
#include <cstdio>

// Takes over `file` (open for update, empty) and answers a stream that writes
// through to it and reads from memory; closing the stream closes the file.
// Answers `file` itself when the stream cannot be made.
std::FILE *work_file_mirror(std::FILE *file);
