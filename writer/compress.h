// Compression of block and prototype data into the chunked form that the reader
// decompresses: a stored length, then chunks of (plain length, stored length, bytes).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tvlw {

enum class Compression { stored, method0, method1, method2, method3, smallest };

// The bytes that follow a block record's fixed fields: the signed 32-bit stored
// length S, then the chunks.  A chunk whose compressed form does not pay is
// stored as it is.  chunk_size is clamped to 1..65000.
std::vector<std::uint8_t> encode_record_data(const std::vector<std::uint8_t> &plain,
                                             Compression c, std::size_t chunk_size = 32768);

// One compressed buffer of `method` (0 to 3) for n plain bytes (n at most 65535);
// empty when the method cannot code the data within a buffer's limits.
std::vector<std::uint8_t> cx_encode(const std::uint8_t *plain, std::size_t n, int method);

} // namespace tvlw
