// Feeds one input to the reader as a library file: lists it and defines a few symbols.
#pragma once
#include <cstddef>
#include <cstdint>

int reader_fuzz_one(const std::uint8_t *data, std::size_t size);
