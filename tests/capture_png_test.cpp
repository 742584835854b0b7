// The capture's PNG files: channel order and size, and no partial file left
// behind when writing fails (tests/e2e/capture.sh checks the bytes repeat).
#include "png_writer.h"

#include "fixtures.h"

#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string scratch_dir()
{
    char pattern[] = "/tmp/capture_png_test-XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir != nullptr ? dir : "";
}

// A 6x5 "F", red on blue, with one green corner: a swapped red and blue, a
// mirrored or transposed image or a wrong stride all show.
SurfacePtr make_f()
{
    SurfacePtr f = make_screen(6, 5);
    SDL_FillRect(f.get(), nullptr, 0x0000ff);
    SDL_Rect stem = {1, 0, 1, 5}, top = {1, 0, 4, 1}, middle = {1, 2, 3, 1}, corner = {5, 4, 1, 1};
    SDL_FillRect(f.get(), &stem, 0xff0000);
    SDL_FillRect(f.get(), &top, 0xff0000);
    SDL_FillRect(f.get(), &middle, 0xff0000);
    SDL_FillRect(f.get(), &corner, 0x10e020);
    return f;
}

TEST(CapturePng, WritesEightBitRgbInTheSurfacesOrder)
{
    const std::string dir = scratch_dir();
    const std::string path = dir + "/f.png";
    const SurfacePtr f = make_f();
    std::string why;
    ASSERT_TRUE(write_png(f.get(), path, why)) << why;

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
    EXPECT_EQ(image.width, 6u);
    EXPECT_EQ(image.height, 5u);
    EXPECT_EQ(image.format, PNG_FORMAT_RGB);  // no alpha channel, three bytes a pixel
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const std::uint32_t want = pixel(f.get(), x, y);
            const png_byte* got = &rgb[std::size_t(y * 6 + x) * 3];
            EXPECT_EQ(got[0], (want >> 16) & 0xff) << x << "," << y;
            EXPECT_EQ(got[1], (want >> 8) & 0xff) << x << "," << y;
            EXPECT_EQ(got[2], want & 0xff) << x << "," << y;
        }
    EXPECT_EQ(access((path + ".partial").c_str(), F_OK), -1);
    std::remove(path.c_str());
    rmdir(dir.c_str());
}

TEST(CapturePng, AFailedWriteSaysWhereAndLeavesNothing)
{
    const SurfacePtr f = make_f();
    std::string why;
    EXPECT_FALSE(write_png(f.get(), "/nonexistent-dir/frame.png", why));
    EXPECT_NE(why.find("/nonexistent-dir/frame.png"), std::string::npos) << why;
    // A full disk: the data is lost at the write, which must be noticed.
    if (access("/dev/full", W_OK) == 0) {
        const std::string dir = scratch_dir();
        const std::string path = dir + "/full.png";
        ASSERT_EQ(symlink("/dev/full", (path + ".partial").c_str()), 0);
        why.clear();
        EXPECT_FALSE(write_png(f.get(), path, why));
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(access(path.c_str(), F_OK), -1);
        std::remove((path + ".partial").c_str());
        rmdir(dir.c_str());
    }
}

}  // namespace
