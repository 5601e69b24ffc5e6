// The viewer's harnesses: entity chains through its callbacks, the layer
// colour file, and the solids converter's faces file.
#pragma once
#include <cstddef>
#include <cstdint>

int callbacks_fuzz_one(const std::uint8_t *data, std::size_t size);
int colors_fuzz_one(const std::uint8_t *data, std::size_t size);
int faces_fuzz_one(const std::uint8_t *data, std::size_t size);
