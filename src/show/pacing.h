// Self-pacing: where vsync is asked for but the display does not wait (SDL2's
// software renderer on Windows, a virtual machine, Wine on a virtual X
// display), the frame loop waits for the refresh itself. Frames stay
// time-driven, so only how often they are drawn changes.
#pragma once

#include <cstdint>

// What the frame loop carries between frames.
struct Pacer {
    int refresh_hz = 0;             // the display's refresh rate; 0 leaves the loop unpaced
    bool engaged = false;           // frames were found coming far faster than the refresh
    std::uint32_t window_start = 0;  // the detection window: its first tick and frames so far
    int window_frames = -1;         // -1 before the first frame
    std::uint32_t origin = 0;       // once engaged: the tick of refresh 0 and the count since
    std::int64_t refreshes = 0;
};

// A pacer for a display refreshing refresh_hz times a second (0: off).
Pacer pacer_start(int refresh_hz);

// Called after each frame is presented, with the tick then; returns how many
// milliseconds to wait before the next frame (0 when the display paces the
// loop or the frame was late).
std::uint32_t pacer_wait_ms(Pacer& pacer, std::uint32_t now);

// The refresh rate to pace to: 0 unless vsync is asked for (sdl12-compat with
// SDL12COMPAT_SYNC_TO_VBLANK not 0), else the desktop's, 60 Hz if unknown.
int paced_refresh_hz();
