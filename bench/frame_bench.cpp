// A whole frame as the show draws it (backdrop, picture, caption, scroller),
// and the text renderer alone over the whole scroll text.
#include "bench_fixtures.h"

#include "overlay/scroller.h"
#include "overlay/text.h"
#include "show/clock.h"
#include "show/frame.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

// Moments with every overlay busy: the caption typing (beat < 31) with the
// scroller coming in, and later pictures (plain, flicker and alpha) over the scroller.
constexpr std::int64_t kFrameMomentMs[] = {
    3000, 9000, 15000, 17500, 20500, 52250, 60000, 100000, 120000, 145000,
};
constexpr int kFrameMoments = sizeof kFrameMomentMs / sizeof kFrameMomentMs[0];

void BM_Frame(benchmark::State& state)
{
    bench_stripe_table();
    bench_load_images();
    SDL_Surface* screen = bench_screen();
    GlowFilter glow;
    int i = 0;
    for (auto _ : state) {
        draw_frame(screen, clock_at(kFrameMomentMs[i++ % kFrameMoments]), glow);
        benchmark::DoNotOptimize(screen->pixels);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond);

// The whole message passes once: one call per screen width of text, each
// drawing the glyphs whose pens fall on screen, with the bounce at its height.
void BM_TekstiWholeScrollText(benchmark::State& state)
{
    bench_load_images();
    SDL_Surface* screen = bench_screen();
    const std::int64_t width = text_width(st);
    std::int64_t glyph_windows = 0;
    for (auto _ : state) {
        for (std::int64_t left = 0; left < width; left += screen->w) {
            teksti(screen, static_cast<std::int32_t>(-left), 472, st, 1000000.0, 30.0);
            ++glyph_windows;
        }
        benchmark::ClobberMemory();
    }
    state.counters["screens"] = benchmark::Counter(double(glyph_windows) / double(state.iterations()));
}
BENCHMARK(BM_TekstiWholeScrollText)->Unit(benchmark::kMicrosecond);

}  // namespace
