// quorvex-art: paints every image the show loads from d/ and writes them into
// the directory given on the command line. Everything follows from fixed
// seeds, so two runs write the same pixels.
#include "font_atlas.h"
#include "image_write.h"
#include "posters.h"
#include "scenes.h"
#include "type.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

constexpr int kJpegQuality = 92;  // high enough that film grain survives

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    try {
        const Face face(find_display_face().c_str());
        write_png(dir + "fontsRustyTrans.png", to_rgba8(paint_font_atlas(face)));
        write_jpeg(dir + "marvo.jpg", to_rgb8(paint_valley()), kJpegQuality);
        write_jpeg(dir + "IMG_2473.JPG", to_rgb8(paint_still_life()), kJpegQuality);
        write_jpeg(dir + "IMG_2021.JPG", to_rgb8(paint_lighthouse()), kJpegQuality);
        write_jpeg(dir + "IMG_2471.JPG", to_rgb8(paint_colonnade()), kJpegQuality);
        write_jpeg(dir + "kelpi.jpg", to_rgb8(paint_dunes()), kJpegQuality);
        write_png(dir + "paita1.png", to_rgba8(paint_shirt(face)));
        write_png(dir + "ruosteQVXPNG.png", to_rgba8(paint_logo(face)));
        write_png(dir + "yellow.png", to_rgba8(paint_yellow_emblem(face)));
        write_png(dir + "blue.png", to_rgba8(paint_blue_emblem(face)));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvex-art: %s\n", e.what());
        return 1;
    }
    return 0;
}
