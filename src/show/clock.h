// The show clock: everything on screen is a function of the milliseconds since
// the music started. The frame loop advances it once per frame from the tick
// counter and logs the frame time.
#pragma once

#include <cstddef>
#include <cstdint>

// Radians per millisecond, close to pi/8000: phase drives all periodic motion.
constexpr double kPhasePerMs = 0.0003926990816987241;
// Beats per millisecond: two beats a second drive the timeline.
constexpr double kBeatsPerMs = 0.002;

// This frame's clock values, fixed at the top of the frame.
struct FrameClock {
    std::int64_t elapsed_ms;  // since the origin; never wraps (see ShowClock)
    std::int32_t frame_ms;    // since the previous frame's tick
    double smoothed_ms;       // exponentially smoothed frame time
    double phase;             // radians
    double beat;
};

// What carries from frame to frame. The tick counter is 32-bit and wraps after
// ~49.7 days; elapsed time is kept as the 64-bit sum of tick differences, so it
// grows past 2^31 and 2^32 ms without turning negative or starting over.
struct ShowClock {
    std::uint32_t last_tick = 0;
    std::int64_t elapsed_ms = 0;
    double smoothed_ms = 0.0;
};

// Takes the origin: the tick read right after the music is unpaused.
ShowClock clock_start(std::uint32_t origin_tick);

// Advances to the tick read at the top of a frame and derives the frame's values.
FrameClock clock_advance(ShowClock& clock, std::uint32_t now);

// The clock values of the moment elapsed_ms into the show, for drawing a given
// moment without a live tick counter (frame time and smoothing left at 0).
FrameClock clock_at(std::int64_t elapsed_ms);

// The frame log line, "%5d %5.2f %5.2f\n": frame time, smoothed frame time and
// frames per second (an infinity while the smoothed time is still 0).
// Writes at most size bytes including the NUL; returns snprintf's result.
int format_log_line(char* out, std::size_t size, const FrameClock& clock);
