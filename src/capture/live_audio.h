// What the live show plays: the track decoded by the show's own audio path
// (SDL_mixer 1.2 at 48 kHz, 16-bit stereo), sample for sample from the moment
// the show unpauses the audio, which is the show clock's origin.
//
// Measured against ffmpeg's decoder on a LAME-encoded 48 kHz track: the live
// output runs 2,257 sample frames (47.0 ms) behind ffmpeg's, because the live
// decoder (libmad) plays the 1,152-sample LAME info frame as silence and does
// not skip the 1,105 samples of encoder and decoder delay that ffmpeg removes.
// Taking the samples from the live path itself keeps both, and whatever else
// the live decoder does, without modelling them. The show plays a track in
// its own rate and channel count; the capture records 48 kHz stereo tracks
// only, and leaves one in another format silent, with the reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LiveTrack {
    bool loaded = false;              // false: no track, unreadable or not 48 kHz stereo: silent
    std::vector<std::int16_t> pcm;    // interleaved left, right at 48 kHz, from the origin
    std::int64_t end_ms = -1;         // when the music stops, or -1 without a track
    std::string why_silent;           // the mixer's reason when not loaded
};

// Decodes path through SDL_mixer on SDL's disk audio driver, as fast as the
// decoder can, into a private temporary file (in TMPDIR, else /tmp) that never
// holds more than one chunk. Sets SDL_AUDIODRIVER and its
// settings for this process. Returns false with a reason only when the audio
// path itself cannot start; a missing or unreadable track gives a silent result.
bool decode_live_track(const char* path, LiveTrack& out, std::string& why);

// The sample frames [first, first + count) of the live output, zero past the
// music's end (the show goes on silently).
std::vector<std::int16_t> live_slice(const LiveTrack& track, std::int64_t first, std::int64_t count);
