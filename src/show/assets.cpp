// Asset checks and loading: signature, header size and truncation checks for
// the pictures and the font atlas.
#include "show/assets.h"

#include <png.h>

#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

std::uint32_t big_endian32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

int big_endian16(const std::uint8_t* p)
{
    return p[0] << 8 | p[1];
}

bool ends_with(const char* path, const char* ending)
{
    const std::size_t n = std::strlen(path), m = std::strlen(ending);
    if (n < m) return false;
    for (std::size_t i = 0; i < m; ++i)
        if (std::tolower(static_cast<unsigned char>(path[n - m + i])) != ending[i]) return false;
    return true;
}

std::string png_header(const std::uint8_t* data, std::size_t size, int& width, int& height)
{
    if (size < 8 || std::memcmp(data, kPngSignature, 8) != 0) return "not a PNG file";
    if (size < 24 || std::memcmp(data + 12, "IHDR", 4) != 0) return "truncated PNG header";
    const std::uint32_t w = big_endian32(data + 16), h = big_endian32(data + 20);
    if (w > 1u << 30 || h > 1u << 30) return "PNG header declares an impossible size";
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return "";
}

// Start-of-frame markers carry the image size; C4, C8 and CC share the range
// but mean something else.
bool is_start_of_frame(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the JPEG's segments to the first scan. A file cut short has no
// end-of-image marker after its scan data: the decoder would pad it with grey,
// and we refuse it instead, as a damaged file.
std::string jpeg_header(const std::uint8_t* data, std::size_t size, int& width, int& height)
{
    if (size < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return "not a JPEG file";
    bool have_size = false;
    std::size_t pos = 2;
    for (;;) {
        if (pos + 2 > size) return "truncated JPEG header";
        if (data[pos] != 0xFF) return "corrupt JPEG header";
        const int marker = data[pos + 1];
        if (marker == 0xFF) {
            ++pos;  // fill byte
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;  // markers without a length
            continue;
        }
        if (marker == 0xD9) return "JPEG ends before its image data";
        if (pos + 4 > size) return "truncated JPEG header";
        const int length = big_endian16(data + pos + 2);
        if (length < 2) return "corrupt JPEG header";
        if (is_start_of_frame(marker)) {
            if (pos + 9 > size) return "truncated JPEG header";
            height = big_endian16(data + pos + 5);
            width = big_endian16(data + pos + 7);
            have_size = true;
        }
        pos += 2 + std::size_t(length);
        if (marker == 0xDA) break;  // start of scan: entropy-coded data follows
    }
    if (!have_size) return "JPEG has no frame header";
    // In the scan data 0xFF is always followed by 0x00 or a restart marker, so
    // FF D9 can only be the end-of-image marker.
    for (std::size_t i = pos; i + 1 < size; ++i)
        if (data[i] == 0xFF && data[i + 1] == 0xD9) return "";
    return "truncated JPEG (no end-of-image marker)";
}

#ifdef __EMSCRIPTEN__
// The browser's SDL makes every surface 4 bytes a pixel and fills in no channel
// shifts, so an image there is made here as SDL 1.2 makes it: rows padded to
// 4 bytes, shifts and losses from the masks, per-pixel alpha flagged with an
// alpha mask. The compositor reads these; the browser's SDL never sees them.
int mask_shift(std::uint32_t mask)
{
    int shift = 0;
    while (mask != 0 && (mask & 1u) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

std::uint8_t mask_loss(std::uint32_t mask)
{
    int bits = 0;
    for (; mask != 0; mask &= mask - 1) ++bits;
    return static_cast<std::uint8_t>(8 - bits);
}

SDL_Surface* create_image_surface(int w, int h, int bits, std::uint32_t r, std::uint32_t g, std::uint32_t b,
                                  std::uint32_t a)
{
    auto* surface = static_cast<SDL_Surface*>(std::calloc(1, sizeof(SDL_Surface)));
    auto* format = static_cast<SDL_PixelFormat*>(std::calloc(1, sizeof(SDL_PixelFormat)));
    const int pitch = (w * (bits / 8) + 3) & ~3;
    void* pixels = std::calloc(std::size_t(pitch) * std::size_t(h), 1);
    if (surface == nullptr || format == nullptr || pixels == nullptr) {
        std::free(surface);
        std::free(format);
        std::free(pixels);
        SDL_SetError("Out of memory");
        return nullptr;
    }
    format->BitsPerPixel = static_cast<Uint8>(bits);
    format->BytesPerPixel = static_cast<Uint8>(bits / 8);
    format->Rmask = r;
    format->Gmask = g;
    format->Bmask = b;
    format->Amask = a;
    format->Rshift = static_cast<Uint8>(mask_shift(r));
    format->Gshift = static_cast<Uint8>(mask_shift(g));
    format->Bshift = static_cast<Uint8>(mask_shift(b));
    format->Ashift = static_cast<Uint8>(mask_shift(a));
    format->Rloss = mask_loss(r);
    format->Gloss = mask_loss(g);
    format->Bloss = mask_loss(b);
    format->Aloss = mask_loss(a);
    surface->flags = a != 0 ? SDL_SRCALPHA : 0;
    surface->format = format;
    surface->w = w;
    surface->h = h;
    surface->pitch = pitch;
    surface->pixels = pixels;
    surface->clip_rect = {0, 0, w, h};
    return surface;
}

void free_image_surface(SDL_Surface* surface)
{
    std::free(surface->pixels);
    std::free(surface->format);
    std::free(surface);
}
#else
SDL_Surface* create_image_surface(int w, int h, int bits, std::uint32_t r, std::uint32_t g, std::uint32_t b,
                                  std::uint32_t a)
{
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, bits, r, g, b, a);
}

void free_image_surface(SDL_Surface* surface)
{
    SDL_FreeSurface(surface);
}
#endif

// Decodes a PNG with libpng's simplified reader, which reports errors in its
// result rather than on standard error. Opaque images become 24-bit surfaces
// and images with alpha 32-bit ones with an alpha mask, as SDL's loader makes them.
SDL_Surface* decode_png(const std::uint8_t* data, std::size_t size, std::string& error)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        error = std::string("damaged PNG: ") + image.message;
        return nullptr;
    }
    const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    // Bytes in memory are R, G, B(, A) on a little-endian machine.
    SDL_Surface* surface = create_image_surface(int(image.width), int(image.height), alpha ? 32 : 24,
                                                0x0000ff, 0x00ff00, 0xff0000, alpha ? 0xff000000u : 0);
    if (surface == nullptr) {
        png_image_free(&image);
        error = SDL_GetError();
        return nullptr;
    }
    if (!png_image_finish_read(&image, nullptr, surface->pixels, surface->pitch, nullptr)) {
        error = std::string("damaged PNG: ") + image.message;
        free_image_surface(surface);
        return nullptr;
    }
    return surface;
}

// libjpeg reports a fatal error by calling error_exit, which must not return:
// it keeps the message and jumps back to the decoder, whose frame holds no
// C++ object with a destructor.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX + 16];
};

void on_jpeg_error(j_common_ptr info)
{
    auto* error = reinterpret_cast<JpegError*>(info->err);
    char why[JMSG_LENGTH_MAX];
    error->manager.format_message(info, why);
    std::snprintf(error->message, sizeof error->message, "damaged JPEG: %s", why);
    std::longjmp(error->back, 1);
}

// Warnings about damaged data would go to standard error; the checks before
// the decoder already refuse what matters, as SDL_image's loader did.
void on_jpeg_message(j_common_ptr) {}

// Decodes into a 24-bit surface with red in the lowest byte, as SDL_image's
// loader made it: libjpeg's default (accurate integer) transform and smooth
// upsampling, so the pixels are the ones the show has always shown.
SDL_Surface* decode_jpeg_into(jpeg_decompress_struct& info, JpegError& error, const std::uint8_t* data,
                              std::size_t size)
{
    SDL_Surface* volatile surface = nullptr;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = on_jpeg_error;
    error.manager.output_message = on_jpeg_message;
    if (setjmp(error.back)) {
        jpeg_destroy_decompress(&info);
        if (surface != nullptr) free_image_surface(surface);
        return nullptr;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        std::snprintf(error.message, sizeof error.message, "CMYK JPEG images are not supported");
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    surface = create_image_surface(int(info.output_width), int(info.output_height), 24, 0x0000ff, 0x00ff00,
                                   0xff0000, 0);
    if (surface == nullptr) {
        std::snprintf(error.message, sizeof error.message, "%s", SDL_GetError());
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = static_cast<JSAMPLE*>(surface->pixels) + info.output_scanline * unsigned(surface->pitch);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return surface;
}

SDL_Surface* decode_jpeg(const std::uint8_t* data, std::size_t size, std::string& error)
{
    jpeg_decompress_struct info{};
    JpegError jpeg_error{};
    SDL_Surface* image = decode_jpeg_into(info, jpeg_error, data, size);
    if (image == nullptr) error = jpeg_error.message;
    return image;
}

}  // namespace

bool format_from_name(const char* path, ImageFormat& format)
{
    if (ends_with(path, ".png")) {
        format = ImageFormat::png;
        return true;
    }
    if (ends_with(path, ".jpg") || ends_with(path, ".jpeg")) {
        format = ImageFormat::jpeg;
        return true;
    }
    return false;
}

std::string read_image_header(const std::uint8_t* data, std::size_t size, ImageFormat format,
                              int& width, int& height)
{
    if (size == 0) return "empty file";
    return format == ImageFormat::png ? png_header(data, size, width, height)
                                      : jpeg_header(data, size, width, height);
}

SDL_Surface* decode_image(const std::uint8_t* data, std::size_t size, ImageFormat format,
                          const ImageLimits& limits, std::string& error)
{
    int width = 0, height = 0;
    error = read_image_header(data, size, format, width, height);
    if (!error.empty()) return nullptr;
    if (width < limits.min_width || height < limits.min_height || width > limits.max_width ||
        height > limits.max_height) {
        char why[160];
        std::snprintf(why, sizeof why, "image is %dx%d; it must be from %dx%d to %dx%d", width, height,
                      limits.min_width, limits.min_height, limits.max_width, limits.max_height);
        error = why;
        return nullptr;
    }
    SDL_Surface* image = format == ImageFormat::png ? decode_png(data, size, error)
                                                    : decode_jpeg(data, size, error);
    if (image == nullptr) {
        if (error.empty()) error = "the decoder refused it";
        return nullptr;
    }
    if (image->w != width || image->h != height) {
        free_image_surface(image);
        error = "decoded size differs from the header's";
        return nullptr;
    }
    return image;
}

std::string read_asset(const char* path, std::vector<std::uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return std::strerror(errno);
    bytes.clear();
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + got > kMaxAssetBytes) {
            std::fclose(file);
            return "file is larger than 64 MiB";
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? "read error" : "";
}

SDL_Surface* load_image_file(const char* path, const ImageLimits& limits, std::string& error)
{
    ImageFormat format;
    if (!format_from_name(path, format)) {
        error = "not named .png or .jpg";
        return nullptr;
    }
    std::vector<std::uint8_t> bytes;
    error = read_asset(path, bytes);
    if (!error.empty()) return nullptr;
    return decode_image(bytes.data(), bytes.size(), format, limits, error);
}
