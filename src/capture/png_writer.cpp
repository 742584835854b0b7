// PNG output through libpng, written to a temporary name and renamed.
#include "png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Unpacks one row of 32-bit words into R, G, B bytes.
void pack_row(const SDL_Surface* surface, int y, std::uint8_t* rgb)
{
    const auto* row = reinterpret_cast<const std::uint32_t*>(
        static_cast<const std::uint8_t*>(surface->pixels) + y * surface->pitch);
    for (int x = 0; x < surface->w; ++x) {
        const std::uint32_t p = row[x];
        *rgb++ = static_cast<std::uint8_t>(p >> 16);
        *rgb++ = static_cast<std::uint8_t>(p >> 8);
        *rgb++ = static_cast<std::uint8_t>(p);
    }
}

struct PngError {
    char message[200] = "libpng error";
};

void on_png_error(png_structp png, png_const_charp message)
{
    auto* error = static_cast<PngError*>(png_get_error_ptr(png));
    std::snprintf(error->message, sizeof error->message, "%s", message);
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

// The libpng calls, kept free of C++ objects with destructors because libpng
// reports errors by longjmp.
bool encode(FILE* file, const SDL_Surface* surface, std::uint8_t* row, PngError& error)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, on_png_error,
                                              on_png_warning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    // Fast deflate: the moire backdrop barely compresses, and the capture's
    // speed is mostly PNG time at higher levels.
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, static_cast<png_uint_32>(surface->w),
                 static_cast<png_uint_32>(surface->h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < surface->h; ++y) {
        pack_row(surface, y, row);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool write_png(const SDL_Surface* surface, const std::string& path, std::string& why)
{
    const std::string partial = path + ".partial";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        why = "cannot write " + partial + ": " + std::strerror(errno);
        return false;
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(surface->w) * 3);
    PngError error;
    bool ok = encode(file, surface, row.data(), error);
    if (!ok) why = "cannot encode " + path + ": " + error.message;
    if (std::fflush(file) != 0 || std::ferror(file)) {
        if (ok) why = "cannot write " + partial + ": " + std::strerror(errno);
        ok = false;
    }
    if (std::fclose(file) != 0 && ok) {
        why = "cannot write " + partial + ": " + std::strerror(errno);
        ok = false;
    }
    if (ok && std::rename(partial.c_str(), path.c_str()) != 0) {
        why = "cannot rename " + partial + " to " + path + ": " + std::strerror(errno);
        ok = false;
    }
    if (!ok) std::remove(partial.c_str());
    return ok;
}
