// Flat painting for the posters: 2D signed-distance shapes filled with
// antialiased edges, text ink laid on a canvas, and soft drop shadows.
#pragma once

#include "canvas.h"
#include "field.h"
#include "type.h"
#include "vec.h"

#include <algorithm>
#include <cmath>

inline float sd_circle(V2 p, float r) { return length(p) - r; }

// A box of half-extents b with corners rounded by r.
inline float sd_box(V2 p, V2 b, float r)
{
    const float qx = std::fabs(p.x) - b.x + r, qy = std::fabs(p.y) - b.y + r;
    return std::sqrt(std::max(qx, 0.0f) * std::max(qx, 0.0f) + std::max(qy, 0.0f) * std::max(qy, 0.0f)) +
           std::min(std::max(qx, qy), 0.0f) - r;
}

// A regular hexagon with a flat top, inner radius r.
inline float sd_hexagon(V2 p, float r)
{
    const float kx = -0.866025404f, ky = 0.5f, kz = 0.577350269f;
    float x = std::fabs(p.y), y = std::fabs(p.x);
    const float k = 2.0f * std::min(kx * x + ky * y, 0.0f);
    x -= k * kx;
    y -= k * ky;
    x -= std::clamp(x, -kz * r, kz * r);
    y -= r;
    return std::sqrt(x * x + y * y) * (y < 0.0f ? -1.0f : 1.0f);
}

// Coverage of a pixel by a shape whose edge is d pixels away.
inline float coverage(float d) { return clamp01(0.5f - d); }

// Lays colour(x, y) over every pixel, weighted by the coverage of the shape
// sd(x, y), sampled at pixel centres.
template <class Sd, class Shader>
void fill(Canvas& c, const Sd& sd, const Shader& colour)
{
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
            const V2 p{float(x) + 0.5f, float(y) + 0.5f};
            const float a = coverage(sd(p));
            if (a > 0.0f) c.blend(x, y, covered(colour(p), a));
        }
}

// Lays text ink of one colour with its origin at canvas pixel (x, y).
void draw_ink(Canvas& c, const Ink& ink, int x, int y, V3 colour, float opacity = 1.0f);

// Lays a soft shadow of a distance-field shape (field pixel (0, 0) at canvas
// (ox, oy)), fading over `blur` pixels outside the shape.
void drop_shadow(Canvas& c, const Field& shape, int ox, int oy, float blur, float opacity);

// Writes `text` around a circle of radius r centred at (cx, cy), upright at
// the top: the text's middle sits at `angle` radians clockwise from the top,
// with the baseline on the circle (outward = true) or the letters hanging
// inside it from their tops.
void draw_text_on_circle(Canvas& c, const Face& face, const char* text, float size, float cx, float cy, float r,
                         float angle, bool outward, V3 colour);
