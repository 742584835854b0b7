// A whole frame as the show draws it (backdrop, picture, caption, scroller)
// beside the reference frame and the frame with SDL's blits; the glyph and
// picture blits on their own, SDL's beside ours; and the text renderer alone
// over the whole scroll text.
#include "bench_fixtures.h"

#include "overlay/compositor.h"
#include "overlay/glyphs.h"
#include "overlay/pictures.h"
#include "overlay/scroller.h"
#include "overlay/text.h"
#include "show/clock.h"
#include "show/frame.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

// Moments with every overlay busy: the caption typing (beat < 31) with the
// scroller coming in, the T-shirt, the logo, the emblems, a photograph and the
// flicker between photographs, each over the scroller.
constexpr std::int64_t kFrameMomentMs[] = {
    3000, 9000, 15000, 17500, 20500, 40000, 52250, 60000, 100000, 120000, 145000, 155000,
};
constexpr int kFrameMoments = sizeof kFrameMomentMs / sizeof kFrameMomentMs[0];

void BM_Frame(benchmark::State& state, FramePaths paths)
{
    bench_stripe_table();
    bench_load_images();
    SDL_Surface* screen = bench_screen();
    GlowFilter glow;
    int i = 0;
    for (auto _ : state) {
        draw_frame(screen, clock_at(kFrameMomentMs[i++ % kFrameMoments]), glow, paths);
        benchmark::DoNotOptimize(screen->pixels);
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(BM_Frame, reference, FramePaths{false, Blitter::sdl})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, sdl_blits, FramePaths{true, Blitter::sdl})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, show, FramePaths{})->Unit(benchmark::kMicrosecond);

// Every glyph once, spread over the screen with some partly off its edges.
void BM_GlyphBlit(benchmark::State& state, Blitter blitter)
{
    bench_load_images();
    SDL_Surface* screen = bench_screen();
    for (auto _ : state) {
        for (int g = 0; g < kGlyphCount; ++g) {
            SDL_Rect src = fontr[g];
            SDL_Rect dst = {Sint16(g * 97 % 900 - 50), Sint16(g * 53 % 560 - 20), 0, 0};
            overlay_blit(blitter, fontti, fontti_sprite, &src, screen, &dst);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kGlyphCount);
    if (blitter == Blitter::simd) state.SetLabel(blend_rows_target());
}
BENCHMARK_CAPTURE(BM_GlyphBlit, sdl, Blitter::sdl)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_GlyphBlit, scalar, Blitter::scalar)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_GlyphBlit, simd, Blitter::simd)->Unit(benchmark::kMicrosecond);

// Every picture once where the show places it: five photographs and four with alpha.
void BM_PictureBlit(benchmark::State& state, Blitter blitter)
{
    bench_load_images();
    SDL_Surface* screen = bench_screen();
    for (auto _ : state) {
        for (int i = 0; i < kPictureCount; ++i) {
            SDL_Rect dst = picture_place(0.5, 0.25, screen->w, logo[i]->w, logo[i]->h);
            overlay_blit(blitter, logo[i], logo_sprite[i], nullptr, screen, &dst);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPictureCount);
}
BENCHMARK_CAPTURE(BM_PictureBlit, sdl, Blitter::sdl)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PictureBlit, scalar, Blitter::scalar)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PictureBlit, simd, Blitter::simd)->Unit(benchmark::kMicrosecond);

// The whole message passes once: one call per screen width of text, each
// drawing the glyphs whose pens fall on screen, with the bounce at its height;
// walking the text from its start, or starting from its pen table.
void BM_TekstiWholeScrollText(benchmark::State& state, bool pen_table)
{
    bench_load_images();
    SDL_Surface* screen = bench_screen();
    const PenTable pens = make_pen_table(st);
    const std::int64_t width = text_width(st);
    std::int64_t glyph_windows = 0;
    for (auto _ : state) {
        for (std::int64_t left = 0; left < width; left += screen->w) {
            teksti(screen, static_cast<std::int32_t>(-left), 472, st, 1000000.0, 30.0, Blitter::simd,
                   pen_table ? &pens : nullptr);
            ++glyph_windows;
        }
        benchmark::ClobberMemory();
    }
    state.counters["screens"] = benchmark::Counter(double(glyph_windows) / double(state.iterations()));
}
BENCHMARK_CAPTURE(BM_TekstiWholeScrollText, walk, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_TekstiWholeScrollText, pen_table, true)->Unit(benchmark::kMicrosecond);

}  // namespace
