// Integer frame timing; the only real number is the scroller's end beat.
#include "timing.h"

#include "show/clock.h"

#include <cmath>

std::int64_t frame_elapsed_ms(std::int64_t from_ms, int fps, std::int64_t i)
{
    return from_ms + i * 1000 / fps;
}

std::int64_t frame_count(std::int64_t from_ms, std::int64_t to_ms, int fps)
{
    if (to_ms <= from_ms) return 0;
    // floor(i*1000/fps) < span exactly when i*1000 < span*fps, so the count is
    // ceil(span*fps / 1000).
    const std::int64_t span = to_ms - from_ms;
    return (span * fps + 999) / 1000;
}

std::int64_t beat_to_ms_ceil(double beat)
{
    return static_cast<std::int64_t>(std::ceil(beat / kBeatsPerMs));
}

std::int64_t default_end_ms(std::int64_t track_end_ms, double scroll_end_beat)
{
    const std::int64_t scroll_end_ms = beat_to_ms_ceil(scroll_end_beat);
    return track_end_ms > scroll_end_ms ? track_end_ms : scroll_end_ms;
}

AudioSpan audio_span(std::int64_t from_ms, std::int64_t frames, int fps)
{
    return {from_ms * kAudioRate / 1000, (frames * kAudioRate + fps / 2) / fps};
}
