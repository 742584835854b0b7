// The fast backdrop: the same pixels and the same carried filter state as
// draw_backdrop, from the bit-packed stripe table and SIMD lanes.
#pragma once

#include "backdrop/backdrop.h"
#include "backdrop/glow_lanes.h"

#include <SDL.h>

#include <cstdint>

// Draws the backdrop into the show's 800x600, 32-bit surface from the packed
// table (see stripe_bits.h), bit-identical to draw_backdrop and leaving glow as
// it would. Returns false, drawing nothing, for any other surface size or
// without a table; the caller then draws with the reference. `warmup` is for
// tests that force the serial fallback (see glow_lanes).
bool draw_backdrop_fast(SDL_Surface* s, const std::uint64_t* bits, double phase, double beat,
                        GlowFilter& glow, int warmup = kGlowWarmup);
