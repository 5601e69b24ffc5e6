// The "PN=" and "MC=" lines of item key files and result files.
#pragma once
#include <cstdio>
#include <string>

struct item_keys {
    std::string pn;
    std::string mc;
};

// Longest values the import program and the host agree on.
constexpr std::size_t pn_limit = 39;
constexpr std::size_t mc_limit = 11;
// Longest path a caller may hand in or the bridge may build.
constexpr std::size_t path_limit = 259;

// Reads the keys from an open file: pieces of at most 127 characters count as
// lines, each cut at its first blank, CR or LF; the later of two equal keys
// counts; a missing key leaves its value empty.
item_keys read_item_keys(std::FILE *in);

// Whether both values fit their limits.
bool item_keys_fit(const item_keys &keys);
