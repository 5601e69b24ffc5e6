// Settings of the library that was opened last, and the code ranges of the
// entity coding that follow from them.  They stay in force until the next open.
#pragma once
#include "tvl_format/settings.h"

struct lib_settings : tvl_format::coding_ranges {
    int version = 0;          // major * 10 + minor
    int ring_size = tvl_format::default_ring_size;               // "RBUF"
    int record_ref_width = tvl_format::default_record_ref_width; // "R"
    bool coding_present = false;
    int coding = 0;           // "C"
    bool fixed_point = false; // "FR" present
    int fraction_bits = 0;    // "FR"
    int combined_data = 0;    // "L"
};

// The process-wide settings of the reader.
lib_settings &lib_current_settings();

// Restores the defaults of a library without settings records (ring size kept by the caller).
void settings_reset(lib_settings &s);

// Sets the code ranges from the coding, ring size and record-reference width.
void settings_compute_ranges(lib_settings &s);
