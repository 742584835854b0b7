// The show clock and the frame log line.
#include "show/clock.h"

#include <cstdio>

ShowClock clock_start(std::uint32_t origin_tick)
{
    ShowClock clock;
    clock.last_tick = origin_tick;
    return clock;
}

FrameClock clock_at(std::int64_t elapsed_ms)
{
    FrameClock frame{};
    frame.elapsed_ms = elapsed_ms;
    frame.phase = double(elapsed_ms) * kPhasePerMs;
    frame.beat = double(elapsed_ms) * kBeatsPerMs;
    return frame;
}

FrameClock clock_advance(ShowClock& clock, std::uint32_t now)
{
    // Unsigned difference: correct across the tick counter's wrap.
    const std::uint32_t step = now - clock.last_tick;
    clock.elapsed_ms += step;
    clock.last_tick = now;
    const auto frame_ms = static_cast<std::int32_t>(step);
    clock.smoothed_ms = clock.smoothed_ms * 0.95 + frame_ms * 0.05;

    FrameClock frame = clock_at(clock.elapsed_ms);
    frame.frame_ms = frame_ms;
    frame.smoothed_ms = clock.smoothed_ms;
    return frame;
}

int format_log_line(char* out, std::size_t size, const FrameClock& clock)
{
    return std::snprintf(out, size, "%5d %5.2f %5.2f\n", clock.frame_ms, clock.smoothed_ms,
                         1000 / clock.smoothed_ms);
}
