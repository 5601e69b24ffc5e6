// Decompression of block and prototype data: chunks of stored or compressed bytes.
#pragma once
#include <cstddef>
#include <cstdio>

struct cx_model;

// Copies the chunks of one record (stored_length bytes, chunk headers included)
// from the library's current position to the end of the work file.  Answers the
// total plain length written, or -1 after reporting the failure.
long lib_copy_chunks(std::FILE *work, std::FILE *library, long stored_length);

// Whether the work file may grow by `more` bytes: it may not outgrow the
// library by more than its data can expand to, so that a small hostile file
// cannot fill the disk.  The chunks are checked here; copies of other records
// should ask too.
bool lib_work_has_room(std::FILE *work, std::FILE *library, long more);

// Decodes one compressed buffer of z bytes into at most u plain bytes; answers
// the number of bytes produced, or -1 when the buffer is corrupt.
int cx_decode(const unsigned char *in, std::size_t z, unsigned char *out, std::size_t u);

// The same with caller-owned model storage (three models), set up afresh here.
int cx_decode_with(const unsigned char *in, std::size_t z, unsigned char *out, std::size_t u,
                   cx_model models[3]);
