// Frame timing of a capture: which moment of the show each frame shows, how
// many frames a stretch holds, where it ends, and which audio goes with it.
#pragma once

#include <cstdint>

// The moment frame i shows: from + floor(i * 1000 / fps) ms. Exact in integers,
// so frame times never drift from the show clock however long the capture.
std::int64_t frame_elapsed_ms(std::int64_t from_ms, int fps, std::int64_t i);

// How many frames start before to_ms: every i with frame_elapsed_ms(i) < to_ms
// (0 when to_ms <= from_ms).
std::int64_t frame_count(std::int64_t from_ms, std::int64_t to_ms, int fps);

// The first whole millisecond at or after a beat, on the show's two beats a second.
std::int64_t beat_to_ms_ceil(double beat);

// Where a capture ends by default: the later of the track's end and the moment
// the scroll text has left the screen (track_end_ms < 0: no track).
std::int64_t default_end_ms(std::int64_t track_end_ms, double scroll_end_beat);

// Audio output rate of the live show, in sample frames per second.
constexpr std::int64_t kAudioRate = 48000;

// The live audio that belongs to a capture: the sample frames from the first
// frame's moment for as long as the video lasts (frames / fps seconds).
struct AudioSpan {
    std::int64_t first;  // sample frame of the live output at from_ms
    std::int64_t count;  // sample frames, rounded to the nearest
};
AudioSpan audio_span(std::int64_t from_ms, std::int64_t frames, int fps);
