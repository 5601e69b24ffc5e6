// Decodes one input as a Cx buffer.
#pragma once
#include <cstddef>
#include <cstdint>

int cx_fuzz_one(const std::uint8_t *data, std::size_t size);
