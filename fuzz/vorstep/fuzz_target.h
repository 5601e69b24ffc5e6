// One converter run on arbitrary bytes: SAT text to model to triangles.
#pragma once
#include <cstddef>
#include <cstdint>

int vorstep_fuzz_one(const std::uint8_t *data, std::size_t size);
