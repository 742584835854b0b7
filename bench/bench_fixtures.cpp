// In-memory stand-ins for the show's table, screen and images, made once per run.
#include "bench_fixtures.h"

#include "backdrop/stripe_bits.h"
#include "backdrop/stripes.h"
#include "overlay/glyphs.h"
#include "overlay/pictures.h"
#include "overlay/text.h"
#include "show/startup.h"

#include <cstdlib>

// Beat = ms * 0.002, layout = trunc(beat / 32) mod 4, flash peaks at odd beats:
// beat 32L + 1 is the peak in layout L, and +0.25, +0.6, +0.95 walk down its decay.
const std::int64_t kBenchMomentMs[kBenchMoments] = {
    500,   625,   800,   975,    // layout 0
    16500, 16625, 16800, 16975,  // layout 1
    32500, 32625, 32800, 32975,  // layout 2
    48500, 48625, 48800, 48975,  // layout 3
};

const std::uint8_t* bench_stripe_table()
{
    if (atnt == nullptr) build_stripe_tables();
    return atnt;
}

namespace {

SDL_Surface* rgb_surface(int w, int h, bool alpha)
{
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xff0000, 0xff00, 0xff,
                                alpha ? 0xff000000u : 0u);
}

}  // namespace

SDL_Surface* bench_screen()
{
    static SDL_Surface* screen = rgb_surface(800, 600, false);
    return screen;
}

void bench_load_images()
{
    if (fontti != nullptr) return;
    // Opaque black outside the cells, each cell its own colour: blits copy real pixels.
    fontti = rgb_surface(kAtlasMinWidth, kAtlasMinHeight, false);
    SDL_FillRect(fontti, nullptr, 0);
    for (int g = 0; g < kGlyphCount; ++g) {
        SDL_Rect cell = fontr[g];
        SDL_FillRect(fontti, &cell, 0x804000u + std::uint32_t(g));
    }
    // Photographs opaque, the rest with a half-transparent alpha channel, as
    // JPEG and PNG load. Sizes near the real pictures' scale.
    for (int i = 0; i < kPictureCount; ++i) {
        const bool photo = i < 5;
        logo[i] = rgb_surface(photo ? 320 : 400, photo ? 240 : 200, !photo);
        SDL_FillRect(logo[i], nullptr, photo ? 0x336699u : 0x80ff8800u);
    }
}
