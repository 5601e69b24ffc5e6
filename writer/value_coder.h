// Coding of reals, points and strings against one copy of the value state:
// ring references, short real types, fixed point, omitted coordinates and
// point templates, whichever is shortest.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "encoder_state.h"

namespace tvlw {

using Bytes = std::vector<std::uint8_t>;

// The same double, bit for bit (so -0.0 and NaNs are told apart).
bool same_bits(double a, double b);

struct ValueCoder {
    const Config &cfg;
    const Coding &coding;
    Values &v;
    Bytes &out;

    // A real with its type byte; answers the type written.
    int real(double x);
    // A point of 2 or 3 coordinates.
    void point(const double xyz[3], int count);
    void string(const std::string &s);

    // Puts x in the reals ring as the decoder does for a real it read.
    void store(double x);
};

// Returns the value state to what the decoder has after its reset.
void reset_values(Values &v, const Config &cfg);

} // namespace tvlw
