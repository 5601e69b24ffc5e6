// Reads one input as the bridge's item key or result file and as its settings file.
#pragma once
#include <cstddef>
#include <cstdint>

int bridge_fuzz_one(const std::uint8_t *data, std::size_t size);
