// Asset checks on hand-made bytes: the image header walk (signatures, sizes,
// truncation) and the track's frame-header check.
#include "show/assets.h"

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

// SOI, an APP0 segment, fill bytes, SOF0 with the size, SOS, scan data, then
// optionally EOI.
Bytes jpeg_bytes(int w, int h, bool with_end)
{
    Bytes b = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 'J', 'F', 0xFF, 0xFF,
               0xFF, 0xC0, 0x00, 0x0B, 8, std::uint8_t(h >> 8), std::uint8_t(h), std::uint8_t(w >> 8), std::uint8_t(w),
               1, 1, 0x11, 0,
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

// A Layer III frame: header bytes for the version and rate, padded to its length.
void append_frame(Bytes& b, std::uint8_t version_bits, std::uint8_t rate_bits, int kbps_index,
                  std::size_t length)
{
    const std::size_t start = b.size();
    b.push_back(0xFF);
    b.push_back(std::uint8_t(0xE0 | version_bits << 3 | 1 << 1 | 1));
    b.push_back(std::uint8_t(kbps_index << 4 | rate_bits << 2));
    b.push_back(0xC4);
    b.resize(start + length, 0x55);
}

std::string track(const Bytes& b)
{
    return check_track(b.data(), b.size());
}

TEST(TrackCheck, AcceptsMpeg1AndMpeg2LayerThree)
{
    Bytes b;
    // MPEG-1, 48 kHz, 192 kbps: 144000 * 192 / 48000 = 576 bytes a frame.
    append_frame(b, 3, 1, 11, 576);
    append_frame(b, 3, 1, 11, 576);
    EXPECT_EQ(track(b), "");
    // MPEG-2, 16 kHz, 64 kbps: 72000 * 64 / 16000 = 288 bytes.
    Bytes m2;
    append_frame(m2, 2, 2, 8, 288);
    append_frame(m2, 2, 2, 8, 288);
    EXPECT_EQ(track(m2), "");
}

TEST(TrackCheck, RefusesLowRatesThatOverflowTheMixer)
{
    Bytes b;
    // MPEG-2.5, 8 kHz, 32 kbps: 72000 * 32 / 8000 = 288 bytes.
    append_frame(b, 0, 2, 4, 288);
    append_frame(b, 0, 2, 4, 288);
    EXPECT_EQ(track(b), "sampled at 8000 Hz; below 16 kHz the mixer cannot convert it safely");
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
