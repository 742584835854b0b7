// Conversion of the float working surface to the 8-bit pixels the files hold.
#include "canvas.h"

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
