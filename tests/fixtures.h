// Test fixtures: a screen-like surface, and a font atlas whose glyph cells
// each hold a colour of their own, so a test can tell which glyph landed where.
#pragma once

#include "overlay/glyphs.h"
#include "overlay/text.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// A 32-bit surface laid out like the show's screen: red 0xff0000, green 0xff00, blue 0xff.
// With pad, each row is pad pixels longer than w, as a screen's rows may be.
inline SurfacePtr make_screen(int w = 800, int h = 600, int pad = 0)
{
    SurfacePtr surface(SDL_CreateRGBSurface(SDL_SWSURFACE, w + pad, h, 32, 0xff0000, 0xff00, 0xff, 0));
    surface->w = w;  // narrowed: the pitch stays (w + pad) * 4
    SDL_SetClipRect(surface.get(), nullptr);
    SDL_FillRect(surface.get(), nullptr, 0);
    return surface;
}

inline std::uint32_t pixel(const SDL_Surface* surface, int x, int y)
{
    const auto* row = static_cast<const std::uint8_t*>(surface->pixels) + y * surface->pitch;
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

// The first pixel where two surfaces differ, or "" when none does.
inline std::string first_difference(const SDL_Surface* a, const SDL_Surface* b)
{
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x)
            if (pixel(a, x, y) != pixel(b, x, y))
                return "x " + std::to_string(x) + " y " + std::to_string(y) + ": " +
                       std::to_string(pixel(a, x, y)) + " != " + std::to_string(pixel(b, x, y));
    return "";
}

// The colour glyph g is painted in: distinct per glyph, never black.
constexpr std::uint32_t glyph_colour(int g)
{
    return 0x800000u | std::uint32_t(g + 1) << 8 | std::uint32_t(0xff - g);
}

// The glyph whose colour a pixel holds, or -1 (background or anything else).
inline int glyph_at(const SDL_Surface* surface, int x, int y)
{
    const std::uint32_t c = pixel(surface, x, y);
    for (int g = 0; g < kGlyphCount; ++g)
        if (c == glyph_colour(g)) return g;
    return -1;
}

// An opaque atlas: black outside the glyph cells, each cell filled with its colour
// (the slash shares the full stop's cell, so that cell shows the slash's colour).
inline SurfacePtr make_atlas()
{
    SurfacePtr atlas = make_screen(kAtlasMinWidth, kAtlasMinHeight);
    for (int g = 0; g < kGlyphCount; ++g) {
        SDL_Rect cell = fontr[g];
        SDL_FillRect(atlas.get(), &cell, glyph_colour(g));
    }
    return atlas;
}

// Column x of a surface holds any non-black pixel.
inline bool column_touched(const SDL_Surface* surface, int x)
{
    for (int y = 0; y < surface->h; ++y)
        if (pixel(surface, x, y) != 0) return true;
    return false;
}

// FNV-1a over every pixel word in scan order: a frame's fingerprint.
inline std::uint64_t surface_hash(const SDL_Surface* surface)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (int y = 0; y < surface->h; ++y)
        for (int x = 0; x < surface->w; ++x) {
            hash ^= pixel(surface, x, y);
            hash *= 1099511628211ull;
        }
    return hash;
}

inline bool surface_blank(const SDL_Surface* surface)
{
    for (int x = 0; x < surface->w; ++x)
        if (column_touched(surface, x)) return false;
    return true;
}

// The topmost row in column x holding glyph g's colour, or -1.
inline int top_of_glyph(const SDL_Surface* surface, int x, int g)
{
    for (int y = 0; y < surface->h; ++y)
        if (pixel(surface, x, y) == glyph_colour(g)) return y;
    return -1;
}

// The colour-coded atlas installed as the text renderer's font for as long as
// this lives, with a blank screen to draw on.
struct FontOnScreen {
    FontOnScreen() : atlas(make_atlas()), screen(make_screen()) { fontti = atlas.get(); }
    ~FontOnScreen() { fontti = nullptr; }
    FontOnScreen(const FontOnScreen&) = delete;
    FontOnScreen& operator=(const FontOnScreen&) = delete;

    SurfacePtr atlas;
    SurfacePtr screen;
};
