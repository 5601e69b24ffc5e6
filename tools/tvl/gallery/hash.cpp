#include "hash.h"

#include <cstdio>

std::string hex64(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::string hash_key(std::initializer_list<std::string_view> parts)
{
    byte_hash first;
    byte_hash second;
    second.value ^= 0x9e3779b97f4a7c15ull;
    for (std::string_view part : parts) {
        first.add_text(part);
        second.add_text(part);
        second.add_text("|");
    }
    return hex64(first.value) + hex64(second.value);
}
