// Fuzzes the asset loading path: the first byte picks a PNG picture, a JPEG
// picture, a font atlas or the track; the rest is the file's content.
#include "show/assets.h"
#include "show/track.h"

#include "overlay/glyphs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    const std::uint8_t kind = data[0] % 4;
    ++data;
    --size;
    if (kind == 3) {
        TrackFormat format;
        check_track(data, size, format);
        return 0;
    }
    static constexpr ImageLimits kFont = {kAtlasMinWidth, kAtlasMinHeight, 4096, 4096};
    const ImageFormat format = kind == 1 ? ImageFormat::jpeg : ImageFormat::png;
    std::string error;
    SDL_Surface* image = decode_image(data, size, format, kind == 2 ? kFont : kPictureLimits, error);
    if (image != nullptr) SDL_FreeSurface(image);
    return 0;
}
