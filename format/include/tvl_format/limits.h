// Sizes the format fixes.  Bounds the reader chooses for itself against hostile
// files are the reader's own.
#pragma once
#include <cstddef>

namespace tvl_format {

// A chunk header: plain length and stored length, uint16 each; equal lengths
// mean stored bytes, else a compressed buffer.
inline constexpr int chunk_header_size = 4;
inline constexpr std::size_t max_chunk_length = 65535;
inline constexpr std::size_t max_cx_length = 65000;

// A record name: a length byte and that many characters.
inline constexpr std::size_t max_name_length = 255;
// A block's path text is at most this long.
inline constexpr std::size_t max_block_path = 127;

// Names that fit the name buffers of the format.
inline constexpr std::size_t max_symbol_name = 123;
inline constexpr std::size_t max_target_name = 39;
inline constexpr std::size_t max_ltype_name = 32;
inline constexpr std::size_t max_path = 259;

// The reals ring is at most this long (its size is a byte).
inline constexpr int max_real_ring = 255;

} // namespace tvl_format
