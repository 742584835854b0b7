// The painters' working surface: float colours, premultiplied by alpha, in
// display (sRGB-encoded) space, and its conversion to 8-bit pixels.
#pragma once

#include "vec.h"

#include <cstdint>
#include <vector>

// A colour premultiplied by its alpha; every channel 0..1.
struct Colour {
    float r, g, b, a;
};

// An opaque colour from display-space components.
constexpr Colour opaque(V3 c) { return {c.x, c.y, c.z, 1.0f}; }
// A straight colour c with coverage a, premultiplied.
constexpr Colour covered(V3 c, float a) { return {c.x * a, c.y * a, c.z * a, a}; }

// Porter-Duff "over": top laid on bottom.
constexpr Colour over(Colour top, Colour bottom)
{
    const float k = 1.0f - top.a;
    return {top.r + bottom.r * k, top.g + bottom.g * k, top.b + bottom.b * k, top.a + bottom.a * k};
}

// w x h colours, row after row, top row first; starts fully transparent.
struct Canvas {
    int w = 0, h = 0;
    std::vector<Colour> px;

    Canvas(int width, int height) : w(width), h(height), px(std::size_t(width) * std::size_t(height), Colour{0, 0, 0, 0}) {}
    Colour& at(int x, int y) { return px[std::size_t(y) * std::size_t(w) + std::size_t(x)]; }
    const Colour& at(int x, int y) const { return px[std::size_t(y) * std::size_t(w) + std::size_t(x)]; }
    // Lays c over the pixel at (x, y).
    void blend(int x, int y, Colour c) { at(x, y) = over(c, at(x, y)); }
};

// The canvas averaged down to w x h (no larger than it): each new pixel is
// the area-weighted mean of the old pixels it covers.
Canvas shrink(const Canvas& c, int w, int h);

// 8-bit pixels, row after row, with `channels` bytes per pixel (3 = RGB, 4 = RGBA).
struct Pixels {
    int w = 0, h = 0, channels = 0;
    std::vector<std::uint8_t> bytes;
};

// RGBA with straight (not premultiplied) alpha; a pixel with zero alpha is all zeros.
Pixels to_rgba8(const Canvas& c);
// RGB of an opaque canvas; alpha is ignored.
Pixels to_rgb8(const Canvas& c);
