// The facts of a library's symbols, kept in the cache so that a library that
// has not changed is not read again.
#pragma once
#include <string>
#include <vector>

#include "symbol_facts.h"

// What a facts file is valid for: the library file as it was read and the
// settings that shape the facts.
struct facts_stamp {
    std::string library; // absolute path
    unsigned long long size = 0;
    long long modified = 0; // nanoseconds of the file time
    std::string settings;   // drawing mode and program version
};

// The stamp of the library file now; false when it cannot be read.
bool stamp_library(const std::string &library, const std::string &settings, facts_stamp &stamp);

// Writes the facts as text (under a temporary name, then renamed); false on failure.
bool save_facts(const std::string &path, const facts_stamp &stamp, const std::vector<symbol_facts> &facts);

// Reads facts written by save_facts for the same stamp; false when the file is
// missing, stale or malformed (facts is then empty).
bool load_facts(const std::string &path, const facts_stamp &stamp, std::vector<symbol_facts> &facts);

// One symbol's facts as lines, and back (for worker processes and the cache).
std::string facts_text(const symbol_facts &facts);
// Parses records written by facts_text, appending to facts; false when malformed.
bool parse_facts(const std::string &text, std::vector<symbol_facts> &facts);
