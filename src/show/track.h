// The music track: a frame-header check before the mixer sees it, and the
// mixer opened in the track's own rate and channel count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What the track's first audio frame says it holds.
struct TrackFormat {
    int rate = 48000;
    int channels = 2;
};

// Why a track cannot be handed to the mixer, or an empty string with its
// format filled in: it must hold MPEG-1 or MPEG-2 Layer III frames. The lower
// MPEG-2.5 rates (8 to 12 kHz) are refused.
std::string check_track(const std::uint8_t* data, std::size_t size, TrackFormat& format);

// Opens the mixer paused, 16-bit, in the track's rate and channel count, with
// 1,024-sample chunks. The mixer converts a track whose format differs from
// the device's through SDL's AudioCVT, which over sdl12-compat writes past its
// buffer, so a device that will not take the track's format is closed again.
// Empty string, or why there is no sound.
std::string open_mixer(const TrackFormat& format);

// Reads the track at path and checks it. Empty string with format filled in,
// or why it cannot be played.
std::string read_track_format(const char* path, TrackFormat& format);
