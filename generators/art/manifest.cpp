// The art's manifest, written next to the pictures so that a check of the
// committed pixels can tell a changed tool from a changed machine.
#include "manifest.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <cstdio>
#include <gnu/libc-version.h>
#include <jpeglib.h>
#include <png.h>

#include <cinttypes>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace {

#define QUORVEX_TEXT(x) #x
#define QUORVEX_EXPAND(x) QUORVEX_TEXT(x)

// FNV-1a, 64 bits: enough to tell two font files apart.
std::uint64_t checksum(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the font file " + path);
    std::uint64_t h = 14695981039346656037ull;
    for (std::istreambuf_iterator<char> it(in), end; it != end; ++it) {
        h ^= static_cast<unsigned char>(*it);
        h *= 1099511628211ull;
    }
    return h;
}

std::string freetype_version()
{
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) return "unknown";
    FT_Int major = 0, minor = 0, patch = 0;
    FT_Library_Version(lib, &major, &minor, &patch);
    FT_Done_FreeType(lib);
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

}  // namespace

std::string art_manifest(const std::string& font_path)
{
    char sum[32];
    std::snprintf(sum, sizeof sum, "%016" PRIx64, checksum(font_path));
    const std::size_t slash = font_path.find_last_of('/');
    std::string m;
    m += "font " + font_path.substr(slash == std::string::npos ? 0 : slash + 1) + " fnv1a64:" + sum + "\n";
    m += "freetype " + freetype_version() + "\n";
    m += std::string("libpng ") + png_get_libpng_ver(nullptr) + "\n";
    m += "libjpeg-turbo " QUORVEX_EXPAND(LIBJPEG_TURBO_VERSION) "\n";
    m += std::string("glibc ") + gnu_get_libc_version() + "\n";
    return m;
}
