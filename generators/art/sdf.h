// Signed-distance primitives and combinators for the ray-marched scenes.
// Each returns the distance from p to the surface, negative inside.
#pragma once

#include "vec.h"

#include <algorithm>
#include <cmath>

inline float sd_sphere(V3 p, float r) { return length(p) - r; }

// A box of half-extents b with edges rounded by r.
inline float sd_round_box(V3 p, V3 b, float r)
{
    const V3 q{std::fabs(p.x) - b.x + r, std::fabs(p.y) - b.y + r, std::fabs(p.z) - b.z + r};
    const V3 out{std::max(q.x, 0.0f), std::max(q.y, 0.0f), std::max(q.z, 0.0f)};
    return length(out) + std::min(std::max(q.x, std::max(q.y, q.z)), 0.0f) - r;
}

// A ring lying in the xz plane: radius R to the tube's centre, tube radius r.
inline float sd_torus(V3 p, float R, float r)
{
    const float q = std::sqrt(p.x * p.x + p.z * p.z) - R;
    return std::sqrt(q * q + p.y * p.y) - r;
}

// An upright cylinder of radius r from y = -h to y = h.
inline float sd_cylinder(V3 p, float r, float h)
{
    const float dx = std::sqrt(p.x * p.x + p.z * p.z) - r, dy = std::fabs(p.y) - h;
    return std::min(std::max(dx, dy), 0.0f) + std::sqrt(std::max(dx, 0.0f) * std::max(dx, 0.0f) + std::max(dy, 0.0f) * std::max(dy, 0.0f));
}

// An upright cone frustum from radius r1 at y = -h to r2 at y = h.
inline float sd_frustum(V3 p, float r1, float r2, float h)
{
    const float q = std::sqrt(p.x * p.x + p.z * p.z);
    const float t = clamp01((p.y + h) / (2.0f * h));
    const float r = mix(r1, r2, t);
    const float side = (q - r) / std::sqrt(1.0f + (r1 - r2) * (r1 - r2) / (4.0f * h * h));
    return std::max(side, std::fabs(p.y) - h);
}

// p turned about the vertical axis by angle a (radians).
inline V3 turn_y(V3 p, float a)
{
    const float c = std::cos(a), s = std::sin(a);
    return {c * p.x - s * p.z, p.y, s * p.x + c * p.z};
}

// Union with a fillet of width k, for objects that rest on one another.
inline float smooth_union(float a, float b, float k)
{
    const float h = clamp01(0.5f + 0.5f * (b - a) / k);
    return mix(b, a, h) - k * h * (1.0f - h);
}
