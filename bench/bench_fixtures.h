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

// Loads in-memory stand-ins for the font atlas and the nine pictures (the real
// ones in d/ may not exist): the atlas with every glyph cell painted, the
// pictures as small opaque and alpha-blended surfaces.
void bench_load_images();
