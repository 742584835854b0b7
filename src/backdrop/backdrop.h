// The moire backdrop: three copies of the stripe table at moving centres,
// lit where all three are dark, smoothed along the scan order by a two-stage
// glow filter and tinted, with a brightness pulse every second.
#pragma once

#include "common/screen.h"

#include <SDL.h>

#include <cstdint>

// The glow filter's two stages. They carry from pixel to pixel, row to row and
// frame to frame for the whole run; the show driver holds them.
struct GlowFilter {
    std::int32_t glow1 = 0;
    std::int32_t glow2 = 0;
};

// A layer's centre in quarter pixels (screen position times 4, truncated).
struct LayerCentre {
    std::int32_t x;
    std::int32_t y;
};

constexpr int kLayerCount = 3;

// Which motion table the layers follow: 0 to 3, changing every 32 beats.
int backdrop_layout(double beat);

// The brightness pulse, 0 to 180: 180 at beats 1, 3, 5, ... decaying as a
// fourth power until the next one.
int backdrop_flash(double beat);

// The three layer centres (A, B, C) of a layout at a phase on a w x h screen.
void layer_centres(int layout, double phase, int w, int h, LayerCentre out[kLayerCount]);

// One filter step with lit = 256 (all layers dark) or 0.
inline void glow_step(GlowFilter& glow, std::int32_t lit)
{
    glow.glow1 = (glow.glow1 * 160 + lit * 96) >> 8;
    glow.glow2 = (glow.glow2 * 160 + glow.glow1 * 96) >> 8;
}

// The pixel word for a filter output and a pulse, in the screen's channel order.
// Red is capped at flash + 74; green and blue fall back to the dim 56 and 74
// once they pass flash + 56 and flash + 74.
inline std::uint32_t glow_colour(std::int32_t glow2, std::int32_t flash)
{
    std::int32_t red = glow2 * 405 >> 8;
    std::int32_t green = glow2 * 170 >> 8;
    std::int32_t blue = glow2 * 370 >> 8;
    if (red > flash + 74) red = flash + 74;
    if (green > flash + 56) green = 56;
    if (blue > flash + 74) blue = 74;
    return std::uint32_t(red) << kRedShift | std::uint32_t(green) << 8 | std::uint32_t(blue) << kBlueShift;
}

// Draws the whole backdrop into an 800x600, 32-bit surface (already locked if
// it must be), reading the stripe table and carrying the glow filter. The
// straightforward version: the reference any faster one is held to.
void draw_backdrop(SDL_Surface* s, const std::uint8_t* table, double phase, double beat,
                   GlowFilter& glow);
