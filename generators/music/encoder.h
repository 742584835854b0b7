// Writes the rendered track to disk: MP3 through libmp3lame, or 16-bit WAV
// for inspection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace music {

// How many samples late SDL_mixer 1.2 (decoding with libmad) plays the
// first sample given to our encoder: LAME's 576-sample encoder delay, the
// 529-sample synthesis delay of the decoder and the 1,152 samples of silence
// that libmad makes of the Info frame, which it does not recognise. Measured
// by playing an encoded click through SDL_mixer's disk audio driver; the
// tests measure it again.
constexpr std::int64_t kPlaybackDelay = 2257;

constexpr int kMp3Kbps = 192;

// MPEG-1 Layer III, 48 kHz joint stereo, constant bit rate with an Info tag.
// pcm is interleaved left/right in [-1, 1]. Empty result on failure.
std::vector<std::uint8_t> encode_mp3(const std::vector<float>& pcm, int kbps);

// 16-bit stereo 48 kHz WAV, rounded and clamped.
std::vector<std::uint8_t> encode_wav(const std::vector<float>& pcm);

bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace music
