// PNG and JPEG writers. Neither file carries a timestamp or any other
// run-dependent field, so rewriting a picture gives the same bytes.
#include "image_write.h"

#include <jpeglib.h>
#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File open_for_writing(const std::string& path)
{
    File f(std::fopen(path.c_str(), "wb"));
    if (!f) throw std::runtime_error("cannot write " + path);
    return f;
}

[[noreturn]] void png_fail(png_structp, png_const_charp msg) { throw std::runtime_error(msg); }

}  // namespace

void write_png(const std::string& path, const Pixels& p)
{
    File f = open_for_writing(path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_fail, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) throw std::runtime_error("libpng: out of memory");
    try {
        png_init_io(png, f.get());
        png_set_IHDR(png, info, png_uint_32(p.w), png_uint_32(p.h), 8,
                     p.channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, 9);
        png_write_info(png, info);
        const std::size_t stride = std::size_t(p.w) * std::size_t(p.channels);
        for (int y = 0; y < p.h; ++y) png_write_row(png, p.bytes.data() + std::size_t(y) * stride);
        png_write_end(png, nullptr);
    } catch (...) {
        png_destroy_write_struct(&png, &info);
        throw;
    }
    png_destroy_write_struct(&png, &info);
}

void write_jpeg(const std::string& path, const Pixels& p, int quality)
{
    if (p.channels != 3) throw std::runtime_error("JPEG needs RGB pixels: " + path);
    File f = open_for_writing(path);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f.get());
    cinfo.image_width = JDIMENSION(p.w);
    cinfo.image_height = JDIMENSION(p.h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t stride = std::size_t(p.w) * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg's row pointer is non-const although it only reads the row.
        JSAMPROW row = const_cast<JSAMPROW>(p.bytes.data() + cinfo.next_scanline * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
}
