// What the committed art depends on besides the tool's own code: the font
// file and the libraries that rasterise, encode and compute it.
#pragma once

#include <string>

// Lines of "name value": the font file's name and checksum, then the versions
// of FreeType, libpng, libjpeg-turbo and the C library (its maths decides the
// last bit of every shaded pixel). Throws std::runtime_error if the font
// cannot be read.
std::string art_manifest(const std::string& font_path);
