// Each row is widened once, then copied n - 1 times below itself.
#include "scale.h"

#include <cstring>

void scale_frame(const SDL_Surface* src, int n, std::vector<std::uint32_t>& out)
{
    const auto w = static_cast<std::size_t>(src->w);
    const std::size_t out_w = w * static_cast<std::size_t>(n);
    out.resize(out_w * static_cast<std::size_t>(src->h * n));
    std::uint32_t* dst = out.data();
    for (int y = 0; y < src->h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(src->pixels) + y * src->pitch);
        std::uint32_t* wide = dst;
        for (std::size_t x = 0; x < w; ++x)
            for (int k = 0; k < n; ++k) *wide++ = row[x];
        for (int k = 1; k < n; ++k) std::memcpy(dst + out_w * k, dst, out_w * sizeof *dst);
        dst += out_w * static_cast<std::size_t>(n);
    }
}
