// The gallery's pictures as PNG files, written for speed: thousands of them
// are made in one run and they are small line drawings on white, which fast
// compression still packs well.
#pragma once
#include <string>

#include "skelvane/image.h"

// Writes a 24-bit image as 8-bit RGB; false on any failure (no file left behind).
bool write_fast_png(const CImage &image, const std::string &path);
