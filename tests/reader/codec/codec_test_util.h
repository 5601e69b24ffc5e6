// Helpers for decoding through a work file made from bytes.
#pragma once
#include <cstdio>
#include <cstdint>
#include <vector>

#include "entity_decoder.h"
#include "settings.h"
#include "writer/settings.h"

struct work_file {
    std::FILE *f;
    explicit work_file(const std::vector<std::uint8_t> &bytes) : f(std::tmpfile())
    {
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::rewind(f);
    }
    ~work_file() { std::fclose(f); }
};

// Makes the reader's settings those a library with these settings declares.
inline void use_settings(const tvlw::Settings &w)
{
    lib_settings &s = lib_current_settings();
    settings_reset(s);
    s.version = w.version;
    s.ring_size = w.ring_size.value_or(tvl_format::default_ring_size);
    s.record_ref_width = w.record_ref_width.value_or(tvl_format::default_record_ref_width);
    s.coding_present = w.coding.has_value();
    s.coding = w.coding.value_or(0);
    s.fixed_point = w.fraction_bits.has_value();
    s.fraction_bits = w.fraction_bits.value_or(0);
    settings_compute_ranges(s);
    decoder_set_ring_size(s.ring_size);
    decoder_reset();
}
