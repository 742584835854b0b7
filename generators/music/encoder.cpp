// Encoding of the finished PCM: libmp3lame for the show's MP3, a plain
// RIFF writer for WAV.
#include "encoder.h"

#include "dsp.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace music {
namespace {

struct LameDeleter {
    void operator()(lame_global_flags* g) const { lame_close(g); }
};
using Lame = std::unique_ptr<lame_global_flags, LameDeleter>;

Lame open_lame(int kbps)
{
    Lame g(lame_init());
    if (!g)
        return g;
    lame_set_in_samplerate(g.get(), kSampleRate);
    lame_set_out_samplerate(g.get(), kSampleRate);
    lame_set_num_channels(g.get(), 2);
    lame_set_mode(g.get(), JOINT_STEREO);
    lame_set_VBR(g.get(), vbr_off);
    lame_set_brate(g.get(), kbps);
    lame_set_quality(g.get(), 2);
    lame_set_write_id3tag_automatic(g.get(), 0);
    lame_set_bWriteVbrTag(g.get(), 1);
    if (lame_init_params(g.get()) < 0)
        g.reset();
    return g;
}

void put_u32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void put_u16(std::vector<std::uint8_t>& b, std::uint16_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

}  // namespace

std::vector<std::uint8_t> encode_mp3(const std::vector<float>& pcm, int kbps)
{
    Lame g = open_lame(kbps);
    if (!g)
        return {};
    const std::size_t frames = pcm.size() / 2;
    // Worst case from lame.h: 1.25 * samples + 7200 bytes.
    std::vector<std::uint8_t> out(frames + frames / 4 + 7200 + 16384);
    const int n = lame_encode_buffer_interleaved_ieee_float(
        g.get(), pcm.data(), static_cast<int>(frames), out.data(), static_cast<int>(out.size()));
    if (n < 0)
        return {};
    const int tail = lame_encode_flush(g.get(), out.data() + n, static_cast<int>(out.size()) - n);
    if (tail < 0)
        return {};
    out.resize(static_cast<std::size_t>(n + tail));
    // The stream starts with a placeholder frame; the Info tag (sizes, delay
    // and padding) is only known now and goes in its place.
    std::uint8_t tag[2880];
    const std::size_t tag_size = lame_get_lametag_frame(g.get(), tag, sizeof tag);
    if (tag_size > 0 && tag_size <= out.size())
        std::copy(tag, tag + tag_size, out.begin());
    return out;
}

std::vector<std::uint8_t> encode_wav(const std::vector<float>& pcm)
{
    const auto data_bytes = static_cast<std::uint32_t>(pcm.size() * 2);
    std::vector<std::uint8_t> b;
    b.reserve(44 + data_bytes);
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put_u32(b, 36 + data_bytes);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put_u32(b, 16);
    put_u16(b, 1);  // integer PCM
    put_u16(b, 2);
    put_u32(b, kSampleRate);
    put_u32(b, kSampleRate * 4);
    put_u16(b, 4);
    put_u16(b, 16);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put_u32(b, data_bytes);
    for (const float x : pcm) {
        const long v = std::clamp(std::lround(double(x) * 32767.0), -32768L, 32767L);
        put_u16(b, static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
    }
    return b;
}

bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace music
