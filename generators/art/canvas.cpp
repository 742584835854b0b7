// Conversion of the float working surface to the 8-bit pixels the files hold,
// and its averaging down to a smaller size.
#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace {

std::uint8_t quantise(float v)
{
    return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0f));
}

}  // namespace

Pixels to_rgba8(const Canvas& c)
{
    Pixels out{c.w, c.h, 4, std::vector<std::uint8_t>(c.px.size() * 4)};
    std::uint8_t* d = out.bytes.data();
    for (const Colour& p : c.px) {
        const std::uint8_t a = quantise(p.a);
        // Un-premultiply by the quantised alpha so that a pixel with no coverage
        // carries no colour (and compresses to nothing).
        const float inv = a == 0 ? 0.0f : 255.0f / float(a);
        d[0] = quantise(p.r * inv);
        d[1] = quantise(p.g * inv);
        d[2] = quantise(p.b * inv);
        d[3] = a;
        d += 4;
    }
    return out;
}

Pixels to_rgb8(const Canvas& c)
{
    Pixels out{c.w, c.h, 3, std::vector<std::uint8_t>(c.px.size() * 3)};
    std::uint8_t* d = out.bytes.data();
    for (const Colour& p : c.px) {
        d[0] = quantise(p.r);
        d[1] = quantise(p.g);
        d[2] = quantise(p.b);
        d += 3;
    }
    return out;
}

namespace {

// How much of old pixel i (of n) falls inside new pixel k (of m), in old pixels.
float overlap(int i, int k, int n, int m)
{
    const float scale = float(n) / float(m);
    const float lo = std::max(float(i), float(k) * scale), hi = std::min(float(i + 1), float(k + 1) * scale);
    return std::max(0.0f, hi - lo);
}

}  // namespace

Canvas shrink(const Canvas& c, int w, int h)
{
    Canvas out(w, h);
    const float sx = float(c.w) / float(w), sy = float(c.h) / float(h), norm = 1.0f / (sx * sy);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Colour sum{0, 0, 0, 0};
            for (int j = int(float(y) * sy); j < std::min(c.h, int(std::ceil(float(y + 1) * sy))); ++j)
                for (int i = int(float(x) * sx); i < std::min(c.w, int(std::ceil(float(x + 1) * sx))); ++i) {
                    const float k = overlap(i, x, c.w, w) * overlap(j, y, c.h, h);
                    const Colour& p = c.at(i, j);
                    sum = {sum.r + p.r * k, sum.g + p.g * k, sum.b + p.b * k, sum.a + p.a * k};
                }
            out.at(x, y) = {sum.r * norm, sum.g * norm, sum.b * norm, sum.a * norm};
        }
    return out;
}
