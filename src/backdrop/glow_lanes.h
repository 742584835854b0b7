// The fast backdrop's inner stage: the glow filter and the tint over a frame's
// lit bits, across SIMD lanes, with the serial filter as its fallback.
#pragma once

#include "backdrop/backdrop.h"

#include <cstddef>
#include <cstdint>

// One frame's filter work.
struct GlowJob {
    // Lit bits in scan order: pixel i (= y * width + x) is lit, all layers
    // dark, when bit i % 16 of word i / 16 is set.
    const std::uint16_t* lit;
    std::uint8_t* pixels;  // the surface's first pixel
    std::ptrdiff_t pitch;  // bytes from one surface row to the next
    int width;             // a multiple of 16, so no 16-pixel run crosses a row
    int height;
    std::int32_t flash;    // 0 to 180
};

// The lowest and highest state the filter can hold; from (0, 0) it never leaves them.
constexpr std::int32_t kGlow1Max = 254;
constexpr std::int32_t kGlow2Max = 252;

// Pixels a lane's filter runs from both extreme states before its first pixel;
// a multiple of 16. On real frames the two runs agree within 34 pixels.
constexpr int kGlowWarmup = 64;

// Filters and tints pixels [from, to) one at a time, exactly as the reference does.
void glow_serial(const GlowJob& job, GlowFilter& glow, int from, int to);

// Filters and tints the whole frame, carrying glow, with the widest SIMD target
// the processor has. Each lane takes a stretch of the frame and finds its
// starting state by running `warmup` pixels early from both extreme states
// (both stages are non-decreasing in state and input, so where the two runs
// meet the state is exact); a lane whose runs do not meet is redone serially
// from the end state of the lane before. A carried state outside the range the
// filter can reach sends the whole frame to the serial filter.
void glow_lanes(const GlowJob& job, GlowFilter& glow, int warmup);

// The name of the SIMD target glow_lanes runs on this processor ("AVX2", "EMU128", ...).
const char* glow_lanes_target();
