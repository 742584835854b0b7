// Text and shadows for the posters.
#include "paint2d.h"

#include <cstring>

void draw_ink(Canvas& c, const Ink& ink, int x, int y, V3 colour, float opacity)
{
    for (int iy = 0; iy < ink.cover.h; ++iy)
        for (int ix = 0; ix < ink.cover.w; ++ix) {
            const int px = x - ink.origin_x + ix, py = y - ink.baseline_y + iy;
            if (px < 0 || py < 0 || px >= c.w || py >= c.h) continue;
            const float a = ink.cover.at(ix, iy) * opacity;
            if (a > 0.0f) c.blend(px, py, covered(colour, a));
        }
}

void drop_shadow(Canvas& c, const Field& shape, int ox, int oy, float blur, float opacity)
{
    for (int y = 0; y < shape.h; ++y)
        for (int x = 0; x < shape.w; ++x) {
            const int px = ox + x, py = oy + y;
            if (px < 0 || py < 0 || px >= c.w || py >= c.h) continue;
            const float a = opacity * smoothstep(blur, -blur * 0.5f, shape.at(x, y));
            if (a > 0.0f) c.blend(px, py, Colour{0, 0, 0, a});
        }
}

void draw_text_on_circle(Canvas& c, const Face& face, const char* text, float size, float cx, float cy, float r,
                         float angle, bool outward, V3 colour)
{
    const std::size_t n = std::strlen(text);
    float span = 0.0f;
    for (std::size_t i = 0; i < n; ++i) span += face.glyph(char32_t(static_cast<unsigned char>(text[i])), size).advance;
    // Letters hanging inside the circle have their baseline a cap height further in.
    const float radius = outward ? r : r - size * face.cap_height_per_em();
    float a = angle - span * 0.5f / radius;
    for (std::size_t i = 0; i < n; ++i) {
        const char32_t ch = char32_t(static_cast<unsigned char>(text[i]));
        const float advance = face.glyph(ch, size).advance;
        const float mid = a + advance * 0.5f / radius;
        // Turn the glyph clockwise by `a` (in the font's y-up frame that is a negative turn).
        const float cs = std::cos(a), sn = std::sin(a);
        const Ink ink = face.glyph(ch, size, Shape2{cs, sn, -sn, cs});
        draw_ink(c, ink, int(std::lround(cx + radius * std::sin(a))), int(std::lround(cy - radius * std::cos(a))), colour);
        a = mid + advance * 0.5f / radius;
    }
}
