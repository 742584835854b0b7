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

// A surface as the image loader makes one: bytes R, G, B(, A) in memory.
SDL_Surface* loader_surface(int w, int h, bool alpha)
{
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, alpha ? 32 : 24, 0xff, 0xff00, 0xff0000,
                                alpha ? 0xff000000u : 0u);
}

}  // namespace

SDL_Surface* bench_screen()
{
    static SDL_Surface* screen = SDL_CreateRGBSurface(SDL_SWSURFACE, 800, 600, 32, 0xff0000, 0xff00, 0xff, 0);
    return screen;
}

void bench_load_images()
{
    if (fontti != nullptr) return;
    // The show's own assets when run from the project's root, in the formats
    // the loader makes; otherwise stand-ins in those same formats.
    if (!load_show_images()) {
        fontti = loader_surface(kAtlasMinWidth, kAtlasMinHeight, true);
        SDL_FillRect(fontti, nullptr, 0);
        // Each cell a colour of its own over a ramp of alpha, edges clear as in the real font.
        for (int g = 0; g < kGlyphCount; ++g) {
            SDL_Rect cell = fontr[g];
            for (int row = 8; row < cell.h - 8; row += 4) {
                SDL_Rect band = {Sint16(cell.x + 4), Sint16(cell.y + row), Uint16(cell.w - 8), 4};
                SDL_FillRect(fontti, &band, std::uint32_t(row * 2) << 24 | 0x2080c0u | std::uint32_t(g));
            }
        }
        // Photographs opaque (24-bit), the rest with a half-transparent alpha channel.
        for (int i = 0; i < kPictureCount; ++i) {
            const bool photo = i < 5;
            logo[i] = loader_surface(photo ? 640 : 440, photo ? 400 : 300, !photo);
            SDL_FillRect(logo[i], nullptr, photo ? 0x336699u : 0x80ff8800u);
        }
        make_overlay_sprites();
    }
}
