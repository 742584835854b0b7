// The bitmap text renderer: lays out a line in the show's font, holds back
// characters past an index (typing), and lifts each glyph by a sine of its
// screen position (the standing ripple).
#pragma once

#include "overlay/compositor.h"

#include <SDL.h>

#include <cstdint>
#include <vector>

// The font atlas, loaded once at start-up; see overlay/glyphs.h for its layout.
extern SDL_Surface* fontti;
// The atlas converted for the compositor at load (see make_overlay_sprites).
extern Sprite fontti_sprite;

// Pen advance for a byte with no glyph (space and anything outside the font).
constexpr int kBlankAdvance = 106;
// Gap after each glyph, added to its width.
constexpr int kGlyphGap = 10;

// Draws text with its left edge at x and its unrippled top at y. Characters
// whose index exceeds shown are laid out but not drawn; a glyph is drawn only
// while its pen lies in [-100, surface width), raised by (sin(0.01 pen) + 1) * lift.
// The glyphs go on through blitter, with the same pixels whichever it is.
// With the text's pen table the walk starts at the first character whose pen
// can be on screen, drawing exactly what the walk from the start draws.
struct PenTable;
void teksti(SDL_Surface* surface, std::int32_t x, std::int32_t y, const char* text, double shown,
            double lift, Blitter blitter = Blitter::simd, const PenTable* pens = nullptr);

// A text's pen offsets from its left edge, pen[i] before character i, made
// once per text; strictly increasing, as every advance is positive.
struct PenTable {
    const char* text = nullptr;
    std::vector<std::int64_t> pen;
};
PenTable make_pen_table(const char* text);

// How far a byte moves the pen.
int advance_of(char c);

// The laid-out width of a text: the sum of its advances.
std::int64_t text_width(const char* text);

// The pen offset of the last glyph from the text's left edge, or -1 without one.
std::int64_t last_glyph_offset(const char* text);
