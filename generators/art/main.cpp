// quorvex-art: paints every image the show loads from d/ and writes them into
// the directory given on the command line, with a manifest of the font and
// libraries they were made with; given a second directory, it also paints the
// application icons there. Everything follows from fixed seeds, so two runs
// write the same pixels. With --manifest it only prints the manifest it would
// write, so a check can tell in a moment whether this machine paints the
// committed pixels at all.
#include "font_atlas.h"
#include "image_write.h"
#include "manifest.h"
#include "posters.h"
#include "scenes.h"
#include "type.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

constexpr int kJpegQuality = 92;  // high enough that film grain survives
constexpr int kIconSizes[] = {48, 128, 256};

void write_text(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

void paint_icons(const Face& face, const std::string& dir)
{
    const Canvas icon = paint_icon(face);
    for (int size : kIconSizes)
        write_png(dir + "quorvex-" + std::to_string(size) + ".png", to_rgba8(size == kIconSide ? icon : shrink(icon, size, size)));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s ART_DIRECTORY [ICON_DIRECTORY] | --manifest\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    try {
        const std::string font = find_display_face();
        if (argc == 2 && std::string(argv[1]) == "--manifest") {
            std::fputs(art_manifest(font).c_str(), stdout);
            return 0;
        }
        const Face face(font.c_str());
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
        write_text(dir + "art.manifest", art_manifest(font));
        if (argc == 3) paint_icons(face, std::string(argv[2]) + "/");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvex-art: %s\n", e.what());
        return 1;
    }
    return 0;
}
