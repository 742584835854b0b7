// The backdrop, reference and fast, one frame per iteration, cycling through
// moments in all four layouts and across the flash so that no single frame's
// pattern decides the result.
#include "bench_fixtures.h"

#include "backdrop/backdrop.h"
#include "backdrop/backdrop_fast.h"
#include "backdrop/stripe_bits.h"
#include "show/clock.h"

#include <benchmark/benchmark.h>

namespace {

void BM_BackdropReference(benchmark::State& state)
{
    const std::uint8_t* table = bench_stripe_table();
    SDL_Surface* screen = bench_screen();
    GlowFilter glow;
    int i = 0;
    for (auto _ : state) {
        const FrameClock c = clock_at(kBenchMomentMs[i++ % kBenchMoments]);
        draw_backdrop(screen, table, c.phase, c.beat, glow);
        benchmark::DoNotOptimize(screen->pixels);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 800 * 600);
}
BENCHMARK(BM_BackdropReference)->Unit(benchmark::kMicrosecond);

void BM_BackdropFast(benchmark::State& state)
{
    bench_stripe_table();
    SDL_Surface* screen = bench_screen();
    GlowFilter glow;
    int i = 0;
    for (auto _ : state) {
        const FrameClock c = clock_at(kBenchMomentMs[i++ % kBenchMoments]);
        draw_backdrop_fast(screen, atnb, c.phase, c.beat, glow);
        benchmark::DoNotOptimize(screen->pixels);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 800 * 600);
    state.SetLabel(glow_lanes_target());
}
BENCHMARK(BM_BackdropFast)->Unit(benchmark::kMicrosecond);

}  // namespace
