// Fuzzes the text renderer: arbitrary bytes of text, pen, line top, shown
// count and ripple height, drawn onto an 800x600 surface from a font atlas.
#include "overlay/text.h"

#include "../fixtures.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SurfacePtr screen = make_screen();
    static SurfacePtr atlas = make_atlas();
    fontti = atlas.get();
    std::int32_t x = 0, y = 0;
    double shown = 0, lift = 0;
    const std::size_t head = sizeof x + sizeof y + sizeof shown + sizeof lift;
    if (size < head) return 0;
    std::memcpy(&x, data, sizeof x);
    std::memcpy(&y, data + 4, sizeof y);
    std::memcpy(&shown, data + 8, sizeof shown);
    std::memcpy(&lift, data + 16, sizeof lift);
    const std::string text(reinterpret_cast<const char*>(data + head), size - head);
    teksti(screen.get(), x, y, text.c_str(), shown, lift);
    return 0;
}
