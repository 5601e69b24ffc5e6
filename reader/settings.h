// Settings of the library that was opened last, and the code ranges of the
// entity coding that follow from them.  They stay in force until the next open.
#pragma once

struct lib_settings {
    int version = 0;          // major * 10 + minor
    int ring_size = 50;       // "RBUF": size of the ring of recent reals
    int record_ref_width = 1; // "R": 1 to 3
    bool coding_present = false;
    int coding = 0;           // "C": 0 to 2
    bool fixed_point = false; // "FR" present
    int fraction_bits = 0;    // "FR": 0 to 8
    int combined_data = 0;    // "L"

    // Code ranges of the entity coding.
    int first_entity_code = 25;
    int last_entity_code = 84;
    int entity_cache_size = 60;
    int first_point_code = 25;
    int last_point_code = 39;
    int point_ring_size = 15;
    int string_ring_size = 25;
    int lowest_string_code = -25;
    int highest_string_code = -1;
    int template_slots = 0;   // group-template slots: (2^R) - 2 with "C", else 0
};

// The process-wide settings of the reader.
lib_settings &lib_current_settings();

// Restores the defaults of a library without settings records (ring size kept by the caller).
void settings_reset(lib_settings &s);

// Sets the code ranges from the coding, ring size and record-reference width.
void settings_compute_ranges(lib_settings &s);
