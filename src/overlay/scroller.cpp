// Intro caption and scroller, both drawn with the text renderer.
#include "overlay/scroller.h"

#include "overlay/text.h"
#include "common/screen.h"
#include "show/clock.h"

#include <cmath>
#include <cstdint>
#include <limits>

void draw_caption(SDL_Surface* s, double beat, double phase, Blitter blitter)
{
    // The line bobs between 180 and 220 over 4 seconds; a letter every 2/3 beat from beat 2.
    const auto y = static_cast<std::int32_t>(200 + 20 * std::sin(4 * phase));
    teksti(s, 30, y, "hmm...", (beat - 2) * 1.5, 0.0, blitter);
}

std::int32_t scroller_x(double beat, int screen_w)
{
    const double x = std::trunc(screen_w - (beat - 5) * 300);
    if (x <= std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    if (x >= std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(x);
}

void draw_scroller(SDL_Surface* s, double beat, Blitter blitter)
{
    // Bounces 30 pixels on beats 2, 6, 10, ... decaying as a fourth power.
    const double lift = 30 * std::pow(1 - frac((beat + 2) / 4), 4);
    static const PenTable pens = make_pen_table(st);
    teksti(s, scroller_x(beat, s->w), 472, st, 1000000.0, lift, blitter, &pens);
}

double scroller_end_beat(const char* text, int screen_w)
{
    const std::int64_t last = last_glyph_offset(text);
    if (last < 0) return 0;
    // The last glyph is gone once x + last < -100, with x = screen_w - (beat - 5) * 300.
    return 5 + double(screen_w + 100 + last) / 300;
}
