// The text renderer over the font atlas.
#include "overlay/text.h"

#include "overlay/glyphs.h"
#include "overlay/place.h"

#include <algorithm>
#include <cmath>

SDL_Surface* fontti = nullptr;
Sprite fontti_sprite;

int advance_of(char c)
{
    const int g = glyph_for_byte(static_cast<signed char>(c));
    return g < 0 ? kBlankAdvance : fontr[g].w + kGlyphGap;
}

std::int64_t text_width(const char* text)
{
    std::int64_t width = 0;
    for (const char* p = text; *p; ++p)
        width += advance_of(*p);
    return width;
}

std::int64_t last_glyph_offset(const char* text)
{
    std::int64_t pen = 0;
    std::int64_t last = -1;
    for (const char* p = text; *p; ++p) {
        if (glyph_for_byte(static_cast<signed char>(*p)) >= 0) last = pen;
        pen += advance_of(*p);
    }
    return last;
}

PenTable make_pen_table(const char* text)
{
    PenTable table;
    table.text = text;
    std::int64_t pen = 0;
    for (const char* p = text; *p; ++p) {
        table.pen.push_back(pen);
        pen += advance_of(*p);
    }
    return table;
}

void teksti(SDL_Surface* surface, std::int32_t x, std::int32_t y, const char* text, double shown,
            double lift, Blitter blitter, const PenTable* pens)
{
    // 64-bit so that no start position and no length of text can overflow it.
    std::int64_t pen = x;
    std::int64_t i = 0;
    if (pens != nullptr && pens->text == text) {
        // Characters with pens left of -100 are never drawn, and the walk
        // cannot stop at any of them.
        const auto first = std::lower_bound(pens->pen.begin(), pens->pen.end(), -100 - std::int64_t(x));
        i = first - pens->pen.begin();
        if (first == pens->pen.end()) return;
        pen += *first;
    }
    for (; text[i] != '\0'; ++i) {
        // The pen only moves right: nothing after this point can be on screen.
        if (pen >= surface->w) return;
        const int g = glyph_for_byte(static_cast<signed char>(text[i]));
        if (g < 0) {
            pen += kBlankAdvance;
            continue;
        }
        if (double(i) <= shown && pen >= -100) {
            const double top = y - (std::sin(0.01 * double(pen)) + 1) * lift;
            SDL_Rect src = fontr[g];  // the blit clips its rectangles in place
            SDL_Rect dst = {static_cast<Sint16>(pen), to_rect_coord(top), 0, 0};
            overlay_blit(blitter, fontti, fontti_sprite, &src, surface, &dst);
        }
        pen += fontr[g].w + kGlyphGap;
    }
}
