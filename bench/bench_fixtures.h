// What the benchmarks share: the stripe table filled once, a screen surface,
// and the clock moments a backdrop or frame benchmark cycles through.
#pragma once

#include <SDL.h>

#include <cstdint>

// The show's table (atnt) and its packed form (atnb), allocated and filled on first use.
const std::uint8_t* bench_stripe_table();

// An 800x600 32-bit surface laid out like the show's screen; freed at exit.
SDL_Surface* bench_screen();

// Milliseconds into the show: four moments in each of the four layouts, from
// the peak of the flash (180) down through its decay to near 0.
constexpr int kBenchMoments = 16;
extern const std::int64_t kBenchMomentMs[kBenchMoments];

// Loads the font atlas and the nine pictures from d/ with the show's loader, or
// where they cannot be read (not run from the project's root), stand-ins in the
// loader's formats; and makes their sprites.
void bench_load_images();
