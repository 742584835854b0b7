// Writing a frame as a 24-bit RGB PNG file.
#pragma once

#include <SDL.h>

#include <string>

// Writes a 32-bit surface (red 0xff0000, green 0xff00, blue 0xff) to path as an
// 8-bit-per-channel RGB PNG with no time stamp or other varying chunk, so the
// same pixels always give the same bytes. The file appears under its name only
// once complete (it is written beside it and renamed). Returns false with a
// one-line reason in why; nothing is left at path then.
bool write_png(const SDL_Surface* surface, const std::string& path, std::string& why);
