// Hashes of the gallery's cache keys and definitions.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// FNV-1a over bytes, continued from a running value.
struct byte_hash {
    std::uint64_t value = 0xcbf29ce484222325ull;

    void add(const void *bytes, std::size_t length)
    {
        const auto *p = static_cast<const unsigned char *>(bytes);
        for (std::size_t i = 0; i < length; ++i) {
            value ^= p[i];
            value *= 0x100000001b3ull;
        }
    }
    // Strings carry their length so that ("ab", "c") and ("a", "bc") differ.
    void add_text(std::string_view text)
    {
        const std::uint64_t length = text.size();
        add(&length, sizeof length);
        add(text.data(), text.size());
    }
};

// 16 lower-case hex digits.
std::string hex64(std::uint64_t value);

// A 128-bit key over the parts (two differently seeded passes), 32 hex digits.
std::string hash_key(std::initializer_list<std::string_view> parts);
