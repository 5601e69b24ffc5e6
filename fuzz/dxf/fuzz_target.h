// Reads one input as an ASCII DXF drawing, and packs it when asked.
#pragma once
#include <cstddef>
#include <cstdint>

int dxf_fuzz_one(const std::uint8_t *data, std::size_t size);
