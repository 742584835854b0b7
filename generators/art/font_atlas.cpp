// Paints the font atlas. Each glyph is cut from the display face at four
// times its final size, turned into a distance field and shaded as rusted
// metal; all glyphs share one cap height and baseline so a line reads level.
#include "font_atlas.h"

#include "overlay/glyphs.h"
#include "rust.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

constexpr int kOversample = 4;
constexpr float kCapHeight = 100.0f;  // pixels; the rest of the 124 is rim and descenders
constexpr int kBaseline = 106;        // pixels below a rectangle's top
constexpr int kMargin = 5;            // pixels kept clear inside each rectangle edge (rim, antialiasing, one spare)
// Rust patches finer than a stroke: coarser ones cut a letter into two-tone
// shapes that can redraw it (a Y whose rusted arm and stem read as a y).
constexpr MetalStyle kFontMetal{3.0f, 6.0f, 20.0f, 2024};

struct Extent {
    float left, right, above, below;  // ink around the origin, output pixels
};

// Where the ink lies around the origin: whole columns and rows that hold any
// coverage, not the bitmap's box, which may include the pen's start.
Extent extent_of(const Ink& ink)
{
    int first = ink.cover.w, last = -1;
    for (int y = 0; y < ink.cover.h; ++y)
        for (int x = 0; x < ink.cover.w; ++x)
            if (ink.cover.at(x, y) > 0.0f) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    const float k = 1.0f / kOversample;
    return {float(first - ink.origin_x) * k, float(last + 1 - ink.origin_x) * k, float(ink.baseline_y) * k,
            float(ink.cover.h - ink.baseline_y) * k};
}

// The glyph at the largest size that fits its rectangle: capitals keep the
// common cap height; letters and digits are stretched or narrowed to fill the
// rectangle's width, because the text advances by the full cell and narrow
// glyphs would read spaced out; punctuation is only ever narrowed. Whatever hangs below
// the baseline (Q's tail, the comma) is squashed into the room left there;
// marks that reach above the caps (parentheses) shrink as a whole.
Ink fitted_glyph(const Face& face, char ch, const SDL_Rect& r)
{
    const float em = kCapHeight / face.cap_height_per_em() * kOversample;
    const float room_above = float(kBaseline - kMargin), room_below = float(r.h - kBaseline - kMargin);
    const float descent = room_below * kOversample;
    const Extent natural = extent_of(face.glyph(char32_t(ch), em));
    const float size = std::min(1.0f, room_above / natural.above);
    const Extent sized = extent_of(face.glyph(char32_t(ch), em * size, {}, descent));
    const float fit = float(r.w - 2 * kMargin) / (sized.right - sized.left);
    const bool fills_cell = std::isalnum(static_cast<unsigned char>(ch)) != 0;
    const float squeeze = fills_cell ? fit : std::min(1.0f, fit);
    return face.glyph(char32_t(ch), em * size, {squeeze, 0, 0, 1}, descent);
}

// Columns of the field that the glyph's face covers, first and last.
void ink_columns(const Field& d, int& first, int& last)
{
    first = d.w;
    last = -1;
    for (int y = 0; y < d.h; ++y)
        for (int x = 0; x < d.w; ++x)
            if (d.at(x, y) < 0.0f) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
}

void paint_glyph(Canvas& atlas, const Face& face, char ch, const SDL_Rect& r)
{
    const Shape s = shape_from_ink(fitted_glyph(face, ch, r), kOversample, kMargin);
    int first = 0, last = 0;
    ink_columns(s.distance, first, last);
    const int ox = r.x + (r.w - (last - first + 1)) / 2 - first;
    const int oy = r.y + kBaseline - s.baseline_y;
    paint_rusted_metal(atlas, ox, oy, s.distance, kFontMetal, {r.x, r.y, r.x + r.w, r.y + r.h});
}

}  // namespace

Canvas paint_font_atlas(const Face& face)
{
    Canvas atlas(kAtlasMinWidth, kAtlasMinHeight);
    for (int g = 0; g < kGlyphCount; ++g) {
        // The slash has no cell of its own: it draws the full stop's.
        if (kGlyphChars[g] == '/') continue;
        paint_glyph(atlas, face, kGlyphChars[g], fontr[g]);
    }
    return atlas;
}
