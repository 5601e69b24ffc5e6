// Low-level emitters of the entity coding, for hand-built data: they write bytes
// only and touch no encoder state.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tvlw::raw {

void byte(std::vector<std::uint8_t> &out, int b);
void i16(std::vector<std::uint8_t> &out, int v);
void i32(std::vector<std::uint8_t> &out, std::int32_t v);
void f64(std::vector<std::uint8_t> &out, double v);
// A group code: one byte, or 0xFF and a signed 16-bit code (always for codes
// outside 1..254, or when wide is set).
void group_code(std::vector<std::uint8_t> &out, int code, bool wide = false);
// A real of the given type: the type byte (unless with_type is false), then its
// bytes.  Types 2 to 8 take v as an integer after the type's scaling; types 9 to
// 24 take the already class-coded raw bits in v with n = type - 9 + fraction_bits.
void real(std::vector<std::uint8_t> &out, int type, double v, int fraction_bits = 0,
          bool with_type = true);
// A string in the string form: length (with -128 and a 16-bit length above 127), text.
void string(std::vector<std::uint8_t> &out, const std::string &s);
// A string reference (negative).
void string_ref(std::vector<std::uint8_t> &out, int s);

} // namespace tvlw::raw
