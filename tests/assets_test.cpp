// Asset checks on hand-made bytes: the image header walk (signatures, sizes,
// truncation), the size limits, and the track's frame-header check.
#include "show/assets.h"
#include "show/track.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes png_header_bytes(std::uint32_t w, std::uint32_t h)
{
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t v : {w, h})
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back(std::uint8_t(v >> shift));
    return b;
}

// SOI, an APP0 segment, fill bytes, SOF0 with the size, a Huffman table after
// it (C4, in the frame markers' range, as libjpeg writes it), SOS, scan data,
// then optionally EOI.
Bytes jpeg_bytes(int w, int h, bool with_end)
{
    Bytes b = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 'J', 'F', 0xFF, 0xFF,
               0xFF, 0xC0, 0x00, 0x0B, 8, std::uint8_t(h >> 8), std::uint8_t(h), std::uint8_t(w >> 8), std::uint8_t(w),
               1, 1, 0x11, 0,
               0xFF, 0xC4, 0x00, 0x07, 0x10, 0x20, 0x30, 0x40, 0x50,
               0xFF, 0xDA, 0x00, 0x08, 1, 1, 0, 0, 63, 0,
               0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD3, 0x56};
    if (with_end) {
        b.push_back(0xFF);
        b.push_back(0xD9);
    }
    return b;
}

std::string header(const Bytes& b, ImageFormat format, int& w, int& h)
{
    return read_image_header(b.data(), b.size(), format, w, h);
}

TEST(ImageHeader, PngSizeAndSignature)
{
    int w = 0, h = 0;
    EXPECT_EQ(header(png_header_bytes(876, 636), ImageFormat::png, w, h), "");
    EXPECT_EQ(w, 876);
    EXPECT_EQ(h, 636);
    EXPECT_EQ(header(png_header_bytes(16000, 16000), ImageFormat::png, w, h), "");
    EXPECT_EQ(w, 16000);
    EXPECT_EQ(header(png_header_bytes(0xFFFFFFFF, 1), ImageFormat::png, w, h),
              "PNG header declares an impossible size");
    Bytes cut = png_header_bytes(10, 10);
    cut.resize(20);
    EXPECT_EQ(header(cut, ImageFormat::png, w, h), "truncated PNG header");
    EXPECT_EQ(header(jpeg_bytes(10, 10, true), ImageFormat::png, w, h), "not a PNG file");
    EXPECT_EQ(header(Bytes{}, ImageFormat::png, w, h), "empty file");
}

TEST(ImageHeader, JpegWalksSegmentsToTheFrameSize)
{
    int w = 0, h = 0;
    EXPECT_EQ(header(jpeg_bytes(640, 400, true), ImageFormat::jpeg, w, h), "");
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 400);
    EXPECT_EQ(header(jpeg_bytes(20000, 10, true), ImageFormat::jpeg, w, h), "");
    EXPECT_EQ(w, 20000);
    EXPECT_EQ(header(png_header_bytes(1, 1), ImageFormat::jpeg, w, h), "not a JPEG file");
}

TEST(ImageHeader, JpegCutShortIsRefusedWherever)
{
    int w = 0, h = 0;
    const Bytes whole = jpeg_bytes(64, 48, true);
    EXPECT_EQ(header(jpeg_bytes(64, 48, false), ImageFormat::jpeg, w, h),
              "truncated JPEG (no end-of-image marker)");
    for (std::size_t n = 1; n < whole.size(); ++n) {
        const Bytes cut(whole.begin(), whole.begin() + long(n));
        EXPECT_NE(header(cut, ImageFormat::jpeg, w, h), "") << n << " bytes";
    }
    // A frame header without its scan, or an end marker before the image.
    const Bytes no_scan = {0xFF, 0xD8, 0xFF, 0xD9};
    EXPECT_EQ(header(no_scan, ImageFormat::jpeg, w, h), "JPEG ends before its image data");
}

TEST(ImageFiles, NamesSayWhichDecoderToUse)
{
    ImageFormat f;
    EXPECT_TRUE(format_from_name("d/IMG_2473.JPG", f));
    EXPECT_EQ(f, ImageFormat::jpeg);
    EXPECT_TRUE(format_from_name("d/blue.png", f));
    EXPECT_EQ(f, ImageFormat::png);
    EXPECT_FALSE(format_from_name("d/blue.gif", f));
    EXPECT_FALSE(format_from_name("png", f));
    std::string error;
    EXPECT_EQ(load_image_file("/nonexistent/x.png", kPictureLimits, error), nullptr);
    EXPECT_FALSE(error.empty());
}

TEST(ImageFiles, TallAndWideImagesAtAndPastTheLimits)
{
    // Headers alone: within the limits they reach the decoder, which finds no
    // image in them; past the limits they are refused by size, undecoded.
    const auto refused_by_size = [](const Bytes& b, ImageFormat format) {
        std::string error;
        EXPECT_EQ(decode_image(b.data(), b.size(), format, kPictureLimits, error), nullptr);
        return error.find("; it must be from 1x1 to 4096x4096") != std::string::npos;
    };
    for (int side : {4096, 4097, 65535})
        for (bool tall : {false, true}) {
            const int w = tall ? 16 : side, h = tall ? side : 16;
            EXPECT_EQ(refused_by_size(png_header_bytes(w, h), ImageFormat::png), side > 4096) << w << "x" << h;
            EXPECT_EQ(refused_by_size(jpeg_bytes(w, h, true), ImageFormat::jpeg), side > 4096) << w << "x" << h;
        }
    EXPECT_TRUE(refused_by_size(jpeg_bytes(4096, 65535, true), ImageFormat::jpeg));
    EXPECT_TRUE(refused_by_size(png_header_bytes(0, 16), ImageFormat::png));
}

// A Layer III frame: header bytes for the version and rate, padded to its length.
void append_frame(Bytes& b, std::uint8_t version_bits, std::uint8_t rate_bits, int kbps_index,
                  std::size_t length, std::uint8_t mode_byte = 0xC4)
{
    const std::size_t start = b.size();
    b.push_back(0xFF);
    b.push_back(std::uint8_t(0xE0 | version_bits << 3 | 1 << 1 | 1));
    b.push_back(std::uint8_t(kbps_index << 4 | rate_bits << 2));
    b.push_back(mode_byte);
    b.resize(start + length, 0x55);
}

std::string track(const Bytes& b)
{
    TrackFormat format;
    return check_track(b.data(), b.size(), format);
}

TEST(TrackCheck, EveryVersionAndRate)
{
    // Two 64 kbps frames (bit-rate index 5 in MPEG-1, 8 in MPEG-2 and 2.5) of
    // the length their rate gives. MPEG-1 and MPEG-2 play at every rate, and
    // the mixer is to open at that rate; every MPEG-2.5 rate overflows the
    // mixer; the reserved version is no audio.
    struct Case {
        std::uint8_t version, rate;
        int kbps_index;
        std::size_t length;
        const char* verdict;
        int hz;
    };
    const Case cases[] = {
        {3, 0, 5, 208, "", 44100}, {3, 1, 5, 192, "", 48000}, {3, 2, 5, 288, "", 32000},
        {2, 0, 8, 208, "", 22050}, {2, 1, 8, 192, "", 24000}, {2, 2, 8, 288, "", 16000},
        {0, 0, 8, 417, "sampled at 11025 Hz; below 16 kHz the mixer cannot convert it safely", 0},
        {0, 1, 8, 384, "sampled at 12000 Hz; below 16 kHz the mixer cannot convert it safely", 0},
        {0, 2, 8, 576, "sampled at 8000 Hz; below 16 kHz the mixer cannot convert it safely", 0},
        {1, 1, 8, 192, "no MP3 audio frames found", 0},
    };
    for (const Case& c : cases) {
        Bytes b;
        append_frame(b, c.version, c.rate, c.kbps_index, c.length);
        append_frame(b, c.version, c.rate, c.kbps_index, c.length);
        TrackFormat format{0, 0};
        EXPECT_EQ(check_track(b.data(), b.size(), format), c.verdict)
            << "version " << int(c.version) << " rate " << int(c.rate);
        if (c.hz != 0) {
            EXPECT_EQ(format.rate, c.hz) << "version " << int(c.version) << " rate " << int(c.rate);
        }
    }
}

TEST(TrackCheck, ChannelsFromTheFirstFramesMode)
{
    // Channel modes 0-2 (stereo, joint stereo, dual channel) are two channels, 3 is one.
    for (const int mode : {0x04, 0x44, 0x84, 0xC4}) {
        Bytes b;
        append_frame(b, 3, 0, 9, 417, std::uint8_t(mode));
        append_frame(b, 3, 0, 9, 417, std::uint8_t(mode));
        TrackFormat format{0, 0};
        EXPECT_EQ(check_track(b.data(), b.size(), format), "");
        EXPECT_EQ(format.channels, mode == 0xC4 ? 1 : 2) << "mode byte " << mode;
    }
}

TEST(TrackCheck, SkipsATagAndIgnoresStraySyncBits)
{
    Bytes b = {'I', 'D', '3', 4, 0, 0, 0, 0, 1, 0};  // a 128-byte tag
    b.resize(10 + 128, 0xFF);                         // full of sync-like bytes
    append_frame(b, 3, 1, 11, 576);
    append_frame(b, 3, 1, 11, 576);
    EXPECT_EQ(track(b), "");
    // One frame header followed by something else is not audio.
    Bytes lone;
    append_frame(lone, 3, 1, 11, 576);
    lone.push_back(0);
    EXPECT_EQ(track(lone), "no MP3 audio frames found");
    EXPECT_EQ(track(Bytes{}), "empty file");
    EXPECT_EQ(track(Bytes(1000, 0xFF)), "no MP3 audio frames found");
}

}  // namespace
