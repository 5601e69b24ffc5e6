// Pictures as PNG files.
#pragma once
#include <string>

#include "skelvane/image.h"

// Writes the image as an 8-bit RGB PNG; false on any failure.
bool write_png(const CImage &image, const std::string &path);
