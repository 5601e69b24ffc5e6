// An entity chain copied out of the reader's records.  The reader releases a
// chain as soon as the callback returns, but a block definition is drawn later,
// once for every reference to it, so the full drawing mode keeps its own copy.
#pragma once
#include <string>
#include <vector>

#include "render/fpt.h"
#include "tvlaccess.h"

struct fm_group {
    int code = 0;
    fpt point;          // points; reals in point.x
    long number = 0;    // shorts and longs
    std::string text;   // strings
};

struct fm_entity {
    std::string type;
    std::vector<fm_group> groups; // in delivered order, group 0 left out

    // The first group with the code, or null.
    const fm_group *Find(int code) const;
    bool Has(int code) const { return Find(code) != nullptr; }
    double Real(int code, double fallback = 0.0) const;
    fpt Point(int code, fpt fallback = {}) const;
    long Number(int code, long fallback = 0) const;
    const std::string &Text(int code) const; // empty when missing
    // An angle group (50 to 59) in radians.
    double Angle(int code, double fallback_degrees = 0.0) const;
};

// Angle groups hold degrees, as in the drawings the libraries are packed from.
constexpr double degrees_to_radians = 0.017453292519943295;

// Copies the groups the drawing uses (strings, points, reals, integers); other
// kinds are left out.
fm_entity copy_entity_chain(const resbuf *chain);
