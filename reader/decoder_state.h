// The entity decoder's process-wide state, shared by its source files.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tvl_format/value_coding.h"
#include "tvlaccess.h"

// Reals-ring indices of a point's coordinates; 0xFF in the first marks an empty entry.
struct point_entry {
    std::uint8_t index[3] = {0xFF, 0, 0};
};

struct group_template {
    int count = 0;
    int codes[tvl_format::max_template_codes] = {};
};

struct decoder_state {
    std::vector<double> reals;       // never empty; the ring size is ring_size
    int ring_size = 50;
    int reals_cursor = 0;
    int last_real_index = 0;         // ring index of the real read last

    std::vector<point_entry> points;
    int point_cursor = 0;
    point_entry previous;            // the point read last
    bool has_previous = false;

    std::uint8_t point_templates[tvl_format::point_template_slots][3] = {};
    int point_template_cursor = 0;

    std::vector<char *> strings;     // owned copies, null when empty
    int string_cursor = 0;

    std::vector<resbuf *> cache;     // owned chains, null when empty
    std::vector<long> cache_cost;    // record_cost of each slot's chain
    long cache_total = 0;            // their sum
    int cache_cursor = 0;

    std::vector<group_template> group_templates;
    int group_template_cursor = 0;

    int current_type = 0;
    bool complex_open = false;
    bool paper_space = false;
    resbuf *held = nullptr;          // a chain read not for delivery that no cache slot keeps
};

decoder_state &decoder();

// Reports a short read of the work file.
void report_read_error();

// Reads n bytes; false after reporting a short read.
bool read_bytes(std::FILE *work, void *out, std::size_t n);

// Reads a string in the string form into a new allocation; null after a message.
char *string_read(std::FILE *work);
