// Values of the file format read from a stream; false on a short read.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

bool lib_read_u8(std::FILE *f, unsigned char &v);
bool lib_read_i16(std::FILE *f, std::int16_t &v);
bool lib_read_i32(std::FILE *f, std::int32_t &v);
bool lib_read_f64(std::FILE *f, double &v);
// A name: a length byte and that many characters.
bool lib_read_name(std::FILE *f, std::string &name);
