// The track check reads MP3 frame headers only: enough to refuse what is not
// audio and to learn the rate and channel count the mixer must open with.
#include "show/track.h"

#include "show/assets.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kChunkSamples = 1024;

struct Mp3Frame {
    int version;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    int sample_rate;
    int channels;
    std::size_t length;
};

// Parses a Layer III frame header; false where the four bytes are not one.
bool parse_mp3_frame(const std::uint8_t* h, Mp3Frame& frame)
{
    static constexpr int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000},
                                         {44100, 48000, 32000}};
    static constexpr int kKbpsV1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr int kKbpsV2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
    const int version = h[1] >> 3 & 3;
    const int layer = h[1] >> 1 & 3;
    const int rate_index = h[2] >> 2 & 3;
    const int kbps = (version == 3 ? kKbpsV1 : kKbpsV2)[h[2] >> 4];
    if (version == 1 || layer != 1 || rate_index == 3 || kbps == 0) return false;
    frame.version = version;
    frame.sample_rate = kRates[version][rate_index];
    frame.channels = (h[3] >> 6) == 3 ? 1 : 2;  // channel mode 3 is single channel
    const int per_frame = version == 3 ? 144000 : 72000;
    frame.length = std::size_t(per_frame * kbps / frame.sample_rate + (h[2] >> 1 & 1));
    return true;
}

// Past an ID3v2 tag at the start, if there is one.
std::size_t audio_start(const std::uint8_t* data, std::size_t size)
{
    if (size < 10 || std::memcmp(data, "ID3", 3) != 0) return 0;
    const std::size_t tag = std::size_t(data[6] & 0x7f) << 21 | std::size_t(data[7] & 0x7f) << 14 |
                            std::size_t(data[8] & 0x7f) << 7 | std::size_t(data[9] & 0x7f);
    return 10 + tag + ((data[5] & 0x10) ? 10 : 0);
}

}  // namespace

std::string check_track(const std::uint8_t* data, std::size_t size, TrackFormat& format)
{
    if (size == 0) return "empty file";
    const std::size_t start = audio_start(data, size);
    // A frame counts when another follows right after it (or the file ends),
    // so stray sync bits in other data are not taken for audio.
    const std::size_t search_end = start + 65536;
    for (std::size_t i = start; i + 4 <= size && i < search_end; ++i) {
        Mp3Frame frame{};
        if (!parse_mp3_frame(data + i, frame)) continue;
        const std::size_t next = i + frame.length;
        Mp3Frame following{};
        const bool confirmed = next == size || (next + 4 <= size && parse_mp3_frame(data + next, following) &&
                                                following.sample_rate == frame.sample_rate);
        if (!confirmed) continue;
        if (frame.version == 0) {
            char why[120];
            std::snprintf(why, sizeof why,
                          "sampled at %d Hz; below 16 kHz the mixer cannot convert it safely",
                          frame.sample_rate);
            return why;
        }
        format.rate = frame.sample_rate;
        format.channels = frame.channels;
        return "";
    }
    return "no MP3 audio frames found";
}

std::string open_mixer(const TrackFormat& format)
{
    SDL_PauseAudio(1);
    if (Mix_OpenAudio(format.rate, AUDIO_S16LSB, format.channels, kChunkSamples) < 0)
        return Mix_GetError();
    SDL_PauseAudio(1);  // opening the mixer leaves the device running
    int rate = 0, channels = 0;
    Uint16 sample_format = 0;
    Mix_QuerySpec(&rate, &sample_format, &channels);
    if (rate == format.rate && channels == format.channels && sample_format == AUDIO_S16LSB) return "";
    Mix_CloseAudio();
    char why[160];
    std::snprintf(why, sizeof why, "the sound device plays %d Hz in %d channels, not the track's %d Hz in %d",
                  rate, channels, format.rate, format.channels);
    return why;
}

std::string read_track_format(const char* path, TrackFormat& format)
{
    std::vector<std::uint8_t> bytes;
    const std::string error = read_asset(path, bytes);
    return error.empty() ? check_track(bytes.data(), bytes.size(), format) : error;
}
