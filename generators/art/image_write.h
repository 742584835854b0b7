// Writing 8-bit pixels as PNG (libpng) and JPEG (libjpeg-turbo).
#pragma once

#include "canvas.h"

#include <string>

// Writes RGB or RGBA pixels as an 8-bit PNG. Throws std::runtime_error on failure.
void write_png(const std::string& path, const Pixels& p);
// Writes RGB pixels as a baseline JPEG of the given quality (1..100), with
// the exact integer DCT so that the bytes do not depend on the machine.
// Throws std::runtime_error on failure.
void write_jpeg(const std::string& path, const Pixels& p, int quality);
