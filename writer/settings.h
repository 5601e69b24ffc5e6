// The settings a written library declares.  Each optional setting is written as a
// record of the settings table only when it has a value.
#pragma once
#include <optional>

namespace tvlw {

struct Settings {
    int version = 40;                  // written as two digits, major then minor
    std::optional<int> ring_size;      // "RBUF" (reader default 50)
    std::optional<int> record_ref_width; // "R" (reader default 1)
    std::optional<int> coding;         // "C" (absent: coding 0 with the fixed ranges)
    std::optional<int> fraction_bits;  // "FR" (absent: fixed-point reals off)
    std::optional<int> combined_data;  // "L" (reader default 0)
};

} // namespace tvlw
