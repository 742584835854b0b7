// Checks on the picture files before any decoder sees them: the format is
// told by the file's own signature and the image size by its header, so bad
// files end in a clear message instead of a crash, a runaway allocation or
// memory corruption. (The track's check is in show/track.h.)
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class ImageFormat { png, jpeg };

// Size limits for one image, in pixels.
struct ImageLimits {
    int min_width;
    int min_height;
    int max_width;
    int max_height;
};

// Any picture: large enough to mean something, small enough to decode quickly.
constexpr ImageLimits kPictureLimits = {1, 1, 4096, 4096};
// Files larger than this are refused unread.
constexpr std::size_t kMaxAssetBytes = 64u << 20;

// The format a file name promises: ".png" or ".jpg"/".jpeg", any letter case.
bool format_from_name(const char* path, ImageFormat& format);

// Width and height from a PNG or JPEG header, after checking its signature.
// Returns an empty string, or why the bytes are not a usable image of that format.
std::string read_image_header(const std::uint8_t* data, std::size_t size, ImageFormat format,
                              int& width, int& height);

// Decodes an image from memory with its own format's decoder, after the header
// checks and the limits. Null on failure, with the reason in error.
SDL_Surface* decode_image(const std::uint8_t* data, std::size_t size, ImageFormat format,
                          const ImageLimits& limits, std::string& error);

// Reads a whole file of at most kMaxAssetBytes. Empty string, or why not.
std::string read_asset(const char* path, std::vector<std::uint8_t>& bytes);

// Reads and decodes an image file named .png or .jpg. Null on failure, with
// the reason in error.
SDL_Surface* load_image_file(const char* path, const ImageLimits& limits, std::string& error);
