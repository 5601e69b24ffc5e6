// Choosing codings and compression methods by the size they give.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "compress.h"
#include "entity_encoder.h"

namespace tvlw {

// The coding variants worth trying on real drawings: everything on, and the
// variants whose plainer bytes can compress better than the shortest coding.
std::vector<Coding> coding_candidates();

struct EncodedBlock {
    std::vector<std::uint8_t> record_data; // stored length and chunks
    std::size_t plain_size = 0;            // entity data before compression
    int coding = 0;                        // index of the candidate chosen
};

// A block's record data coded with each candidate and compressed with c; the
// smallest wins (the first on a tie).  candidates must not be empty.
EncodedBlock encode_block_smallest(const Settings &settings, int flags, Point base, const std::string &path,
                                   const std::vector<Entity> &entities, Compression c,
                                   const std::vector<Coding> &candidates);

} // namespace tvlw
