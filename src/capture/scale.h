// Integer nearest-neighbour enlargement of a frame: each source pixel becomes
// an n x n block, so thin coloured stripes survive the encoder's 4:2:0 chroma.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

// Writes src (32-bit pixels) enlarged n times into out, packed rows of
// src->w * n words, resizing out to fit.
void scale_frame(const SDL_Surface* src, int n, std::vector<std::uint32_t>& out);
