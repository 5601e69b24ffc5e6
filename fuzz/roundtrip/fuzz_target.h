// Writes entities taken from one input into a library and reads them back.
#pragma once
#include <cstddef>
#include <cstdint>

int roundtrip_fuzz_one(const std::uint8_t *data, std::size_t size);
