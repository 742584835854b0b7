// Rusted steel: the surface texture (colour, shine, bumps) and the shading of
// a flat shape cut from it, with a bevelled edge and a dark outline.
#pragma once

#include "canvas.h"
#include "field.h"

#include <cstdint>

// What the texture gives at one point of a plate.
struct RustSample {
    V3 albedo;      // display-space colour
    float shine;    // 0 = dull scale, 1 = bare polished steel
    float height;   // surface relief, pixels (flakes stand proud, pits sink)
};

// The texture at plate position (x, y) in pixels; `grain` is the size in
// pixels of the coarsest rust patches.
RustSample rust_at(float x, float y, float grain, std::uint32_t seed);

struct MetalStyle {
    float outline;   // width of the dark rim outside the shape, pixels
    float bevel;     // width of the sloped edge inside the shape, pixels
    float grain;     // see rust_at
    std::uint32_t seed;
};

// Paints the shape whose signed distance field (pixels, negative inside) is
// `shape`, with the field's pixel (0, 0) at canvas pixel (ox, oy). Only
// pixels inside `clip` (x0, y0 inclusive; x1, y1 exclusive) are touched.
struct ClipBox {
    int x0, y0, x1, y1;
};
void paint_rusted_metal(Canvas& canvas, int ox, int oy, const Field& shape, const MetalStyle& style, ClipBox clip);
