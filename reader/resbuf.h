// Chains of typed result records: creation, kinds, copy, search, release, print.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "tvl_format/group_codes.h"
#include "tvlaccess.h"

// Ends the process when memory runs out; nothing of the reader survives that.
[[noreturn]] void rb_out_of_memory();

// A new zero-filled record with this code and a null next.
resbuf *rb_new(int code);

// The refined value kind of a code, and the basic kind that decides how a value
// is copied, released and printed.
inline int rb_kind(int code)
{
    return tvl_format::group_kind(code);
}
inline int rb_basic_kind(int code)
{
    return tvl_format::group_basic_kind(code);
}

// Releases what the value owns and sets the value to zero.
void rb_clear_value(resbuf *rb);

// Releases a whole chain (null allowed); answers RB_OK.
int rb_release(resbuf *chain);

// A copy of one record (next is null) that owns copies of its string, bytes or object reference.
resbuf *rb_copy(const resbuf *rb);

// Builds a chain from (code, value) pairs ended by 0 or RB_NONE; null when a
// code of an unknown kind is given.
resbuf *rb_build(int code, ...);
resbuf *rb_vbuild(int code, va_list args);

// The first record with exactly this code, or null; the second form also gives
// the record in front of it (null when it is the head).
resbuf *rb_find(resbuf *chain, int code);
resbuf *rb_find(resbuf *chain, int code, resbuf **before);

// The last record of a chain (null for a null chain).
resbuf *rb_last(resbuf *chain);

// Appends a real record, or makes it the head of an empty chain.
void rb_append_real(resbuf **head, double value, int code);

// The record's string when its code is of string kind, else null.
const char *rb_string(const resbuf *rb);

// Prints the chain on the message-box channel, one message per record.
void rb_print(const resbuf *chain);

// Formats one record in the print format of its basic kind.
void rb_format(const resbuf *rb, char *out, std::size_t size);
