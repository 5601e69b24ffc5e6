// Decodes one input as block data with settings taken from its first bytes.
#pragma once
#include <cstddef>
#include <cstdint>

int entities_fuzz_one(const std::uint8_t *data, std::size_t size);
