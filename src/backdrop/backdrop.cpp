// The backdrop renderer, one pass over the screen in scan order.
#include "backdrop/backdrop.h"

#include "backdrop/stripes.h"
#include "common/screen.h"
#include "show/clock.h"

#include <cmath>

int backdrop_layout(double beat)
{
    // Real-valued so that no elapsed time, however long, overflows an integer.
    return static_cast<int>(std::fmod(std::trunc(beat / 32), 4.0));
}

int backdrop_flash(double beat)
{
    return static_cast<int>(180 * std::pow(1 - frac((beat + 1) / 2), 4));
}

namespace {

LayerCentre quarter_pixels(double x, double y)
{
    return {static_cast<std::int32_t>(4 * x), static_cast<std::int32_t>(4 * y)};
}

}  // namespace

void layer_centres(int layout, double phase, int w, int h, LayerCentre out[kLayerCount])
{
    const double cx = w / 2.0;
    const double cy = h / 2.0;
    switch (layout) {
    case 1:
        out[0] = quarter_pixels(cx + 10 - 20 * std::sin(4 * phase), cy - 10 - 20 * std::cos(3 * phase));
        out[1] = quarter_pixels(cx - 10 - 80 * std::sin(2 * phase), cy - 0 * std::cos(7 * phase));
        out[2] = quarter_pixels(cx, cy);
        break;
    case 3:
        out[0] = quarter_pixels(cx + 10 + 30 * std::sin(7 * phase), cy - 20 + 30 * std::cos(5 * phase));
        out[1] = quarter_pixels(cx - 30 + 10 * std::sin(20 * phase), cy - 3 - 10 * std::cos(28 * phase));
        out[2] = quarter_pixels(cx + 3, cy + 30);
        break;
    default:  // layouts 0 and 2 share one table
        out[0] = quarter_pixels(cx + 10 * std::sin(4 * phase), cy + 10 * std::cos(3 * phase));
        out[1] = quarter_pixels(cx + 10 * std::sin(7 * phase), cy - 3 - 10 * std::cos(6 * phase));
        out[2] = quarter_pixels(cx, cy);
        break;
    }
}

void draw_backdrop(SDL_Surface* s, const std::uint8_t* table, double phase, double beat,
                   GlowFilter& glow)
{
    const int w = s->w;
    const int h = s->h;
    LayerCentre centre[kLayerCount];
    layer_centres(backdrop_layout(beat), phase, w, h, centre);
    const std::int32_t flash = backdrop_flash(beat);

    for (int y = 0; y < h; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(s->pixels) +
                                                     std::ptrdiff_t(y) * s->pitch);
        // Each layer samples every fourth row and column of the table around its centre.
        const std::uint8_t* a = table + kStripeCentre + (4 * y - centre[0].y) * kStripeCols - centre[0].x;
        const std::uint8_t* b = table + kStripeCentre + (4 * y - centre[1].y) * kStripeCols - centre[1].x;
        const std::uint8_t* c = table + kStripeCentre + (4 * y - centre[2].y) * kStripeCols - centre[2].x;
        for (int x = 0; x < w; ++x) {
            const std::int32_t lit = (a[4 * x] || b[4 * x] || c[4 * x]) ? 0 : 256;
            glow_step(glow, lit);
            out[x] = glow_colour(glow.glow2, flash);
        }
    }
}
