// The show's art in d/ and the application icons: the art tool repaints
// exactly the committed pixels, the font atlas keeps every glyph inside its
// rectangle of the glyph table, and every picture loads the way the show
// loads it, into the very pixels SDL_image's loader gave (where the build has
// SDL_image to compare with), and rests where the show needs it.
#include "overlay/glyphs.h"
#include "overlay/pictures.h"
#include "show/assets.h"

#include <SDL.h>
#include <gtest/gtest.h>
#ifdef QUORVEX_HAVE_SDL_IMAGE
#include <SDL_image.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const std::string kSource = QUORVEX_SOURCE_DIR;
const char* const kFont = "d/fontsRustyTrans.png";
const char* const kManifest = "d/art.manifest";
const int kIconSizes[] = {48, 128, 256};

std::string icon(int size) { return "packaging/icons/quorvex-" + std::to_string(size) + ".png"; }

struct SurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

// The image at path converted to 32-bit words with alpha in the top byte, so
// that JPEG, RGB and RGBA files compare in one layout; null if it will not load.
Surface load_rgba(const std::string& path)
{
    std::string error;
    Surface raw(load_image_file(path.c_str(), kPictureLimits, error));
    if (!raw) return nullptr;
    SDL_PixelFormat rgba{};
    rgba.BitsPerPixel = 32;
    rgba.BytesPerPixel = 4;
    rgba.Rmask = 0x000000FFu;
    rgba.Gmask = 0x0000FF00u;
    rgba.Bmask = 0x00FF0000u;
    rgba.Amask = 0xFF000000u;
    rgba.Gshift = 8;
    rgba.Bshift = 16;
    rgba.Ashift = 24;
    rgba.alpha = 255;
    return Surface(SDL_ConvertSurface(raw.get(), &rgba, SDL_SWSURFACE));
}

std::uint32_t pixel(const SDL_Surface* s, int x, int y)
{
    return static_cast<const std::uint32_t*>(s->pixels)[y * (s->pitch / 4) + x];
}

std::uint8_t alpha(const SDL_Surface* s, int x, int y) { return std::uint8_t(pixel(s, x, y) >> 24); }

bool inside(const SDL_Rect& r, int x, int y) { return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h; }

std::vector<std::string> every_art_file()
{
    std::vector<std::string> files{kFont};
    for (const char* name : lgfn) files.emplace_back(name);
    for (int size : kIconSizes) files.push_back(icon(size));
    return files;
}

std::string read_text(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ArtTool : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/quorvex-art-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        out_ = pattern;
        // Another font file or library version moves pixels without any
        // fault in the tool, so where the manifest differs nothing is painted.
        ASSERT_EQ(std::system((std::string(QUORVEX_ART_TOOL) + " --manifest > " + out_ + "/here").c_str()), 0);
        here_ = read_text(out_ + "/here");
        ASSERT_FALSE(here_.empty());
        if (here_ != read_text(kSource + "/" + kManifest)) return;
        // The tool paints into a directory laid out like the source tree's d/.
        for (const char* sub : {"/d", "/packaging", "/packaging/icons"}) ASSERT_EQ(mkdir((out_ + sub).c_str(), 0700), 0);
        ASSERT_EQ(std::system((std::string(QUORVEX_ART_TOOL) + " " + out_ + "/d " + out_ + "/packaging/icons").c_str()), 0);
        // What it writes beside the pictures is what it said it would.
        ASSERT_EQ(read_text(out_ + "/" + kManifest), here_);
    }
    static void TearDownTestSuite() { std::system(("rm -rf " + out_).c_str()); }
    static std::string out_, here_;
};
std::string ArtTool::out_, ArtTool::here_;

TEST_F(ArtTool, RepaintsExactlyTheCommittedPixels)
{
    const std::string made_with = read_text(kSource + "/" + kManifest);
    if (made_with != here_)
        GTEST_SKIP() << "the committed art was made with another font file or library versions, so its pixels "
                        "cannot be compared here; committed:\n"
                     << made_with << "this machine:\n"
                     << here_ << "regenerate with scripts/assets.sh on the machine that commits the art";
    for (const std::string& file : every_art_file()) {
        SCOPED_TRACE(file);
        const Surface fresh = load_rgba(out_ + "/" + file), committed = load_rgba(kSource + "/" + file);
        ASSERT_TRUE(fresh && committed);
        ASSERT_EQ(fresh->w, committed->w);
        ASSERT_EQ(fresh->h, committed->h);
        int differing = 0;
        for (int y = 0; y < fresh->h; ++y)
            for (int x = 0; x < fresh->w; ++x) differing += pixel(fresh.get(), x, y) != pixel(committed.get(), x, y);
        EXPECT_EQ(differing, 0);
    }
}

class FontAtlas : public ::testing::Test {
protected:
    void SetUp() override
    {
        atlas_ = load_rgba(kSource + "/" + kFont);
        ASSERT_TRUE(atlas_);
        // Large enough for the glyph table, or the checks below read past it.
        ASSERT_GE(atlas_->w, kAtlasMinWidth);
        ASSERT_GE(atlas_->h, kAtlasMinHeight);
    }
    // Lowest row of a rectangle with a mostly opaque pixel, relative to its top.
    int lowest_ink_row(const SDL_Rect& r) const
    {
        for (int y = r.h - 1; y >= 0; --y)
            for (int x = 0; x < r.w; ++x)
                if (alpha(atlas_.get(), r.x + x, r.y + y) >= 128) return y;
        return -1;
    }
    Surface atlas_;
};

TEST_F(FontAtlas, NothingLiesOutsideTheRectangles)
{
    int stray = 0;
    for (int y = 0; y < atlas_->h; ++y)
        for (int x = 0; x < atlas_->w; ++x) {
            bool in_some = false;
            for (const SDL_Rect& r : fontr) in_some = in_some || inside(r, x, y);
            stray += !in_some && alpha(atlas_.get(), x, y) != 0;
        }
    EXPECT_EQ(stray, 0);
}

TEST_F(FontAtlas, EveryRectangleHoldsAGlyphClearOfItsEdges)
{
    for (int g = 0; g < kGlyphCount; ++g) {
        SCOPED_TRACE(std::string("glyph ") + kGlyphChars[g]);
        const SDL_Rect& r = fontr[g];
        int solid = 0, partial = 0, on_edge = 0;
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x) {
                const std::uint8_t a = alpha(atlas_.get(), r.x + x, r.y + y);
                solid += a == 255;
                partial += a > 0 && a < 255;
                // A glyph that touches its rectangle's border was cut off there.
                on_edge += a != 0 && (x == 0 || y == 0 || x == r.w - 1 || y == r.h - 1);
            }
        EXPECT_GE(solid, 150);   // even the full stop is a solid dot
        EXPECT_GE(partial, 20);  // antialiased edges, not a hard mask
        EXPECT_EQ(on_edge, 0);
    }
}

TEST_F(FontAtlas, FlatBottomedGlyphsShareOneBaselineAndFillTheHeight)
{
    const int baseline = lowest_ink_row(fontr[glyph_for_byte('E')]);
    for (char c : std::string("EFHIKLMNPRTXZ1247")) {
        SCOPED_TRACE(std::string("glyph ") + c);
        EXPECT_NEAR(lowest_ink_row(fontr[glyph_for_byte(static_cast<signed char>(c))]), baseline, 1);
    }
    // Capitals stand most of the 124-pixel height: top of H to the baseline.
    const SDL_Rect& h = fontr[glyph_for_byte('H')];
    int top = 0;
    while (top < h.h && [&] {
        for (int x = 0; x < h.w; ++x)
            if (alpha(atlas_.get(), h.x + x, h.y + top) >= 128) return false;
        return true;
    }())
        ++top;
    EXPECT_GE(baseline - top, 96);
}

TEST_F(FontAtlas, LettersAndDigitsFillTheirCellsWidth)
{
    // The text advances by whole cells, so a narrow glyph reads spaced out.
    for (char c : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")) {
        SCOPED_TRACE(std::string("glyph ") + c);
        const SDL_Rect& r = fontr[glyph_for_byte(static_cast<signed char>(c))];
        int first = r.w, last = -1;
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x)
                if (alpha(atlas_.get(), r.x + x, r.y + y) >= 128) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        EXPECT_GE(last - first + 1, r.w * 85 / 100);
    }
}

TEST_F(FontAtlas, DistinctCharactersHaveDistinctGlyphs)
{
    // Catches a glyph painted into the wrong cell: O, Q, 0 and C, G differ.
    const auto coverage = [&](char c) {
        const SDL_Rect& r = fontr[glyph_for_byte(c)];
        long sum = 0;
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x) sum += alpha(atlas_.get(), r.x + x, r.y + y);
        return sum;
    };
    EXPECT_NE(coverage('O'), coverage('Q'));
    EXPECT_NE(coverage('O'), coverage('0'));
    EXPECT_NE(coverage('C'), coverage('G'));
    EXPECT_LT(coverage('.'), coverage(':'));
    EXPECT_LT(coverage('I'), coverage('M'));
}

TEST(Pictures, DecodeAtSizesThatRestAboveTheScroller)
{
    for (int i = 0; i < kPictureCount; ++i) {
        SCOPED_TRACE(lgfn[i]);
        std::string error;
        Surface loaded(load_image_file((kSource + "/" + lgfn[i]).c_str(), kPictureLimits, error));
        ASSERT_TRUE(loaded) << error;
        EXPECT_LE(loaded->w, 800);
        EXPECT_LE(loaded->h, 476);
        if (i < 5) {
            // The flicker cycles through the photographs: one size for all.
            EXPECT_EQ(loaded->w, 640);
            EXPECT_EQ(loaded->h, 400);
        } else {
            EXPECT_NE(loaded->format->Amask, 0u);
        }
    }
}

TEST(Pictures, TheShirtStaysClearOfTheScrollerAtFullShake)
{
    // The scroller's bounce lifts glyph tops to y = 412; the shake is hardest
    // on the first beat of every eight.
    std::string error;
    const Surface shirt(load_image_file((kSource + "/d/paita1.png").c_str(), kPictureLimits, error));
    ASSERT_TRUE(shirt) << error;
    int lowest = 0;
    for (double phase = 0.0; phase < 0.05; phase += 0.00005)
        lowest = std::max(lowest, picture_place(0.0, phase, 800, shirt->w, shirt->h).y + shirt->h - 1);
    EXPECT_LT(lowest, 412);
}

#ifdef QUORVEX_HAVE_SDL_IMAGE
TEST(Pictures, ShowLoaderGivesSdlImagesSurfaces)
{
    for (const std::string& file : every_art_file()) {
        SCOPED_TRACE(file);
        const std::string path = kSource + "/" + file;
        std::string error;
        const Surface ours(load_image_file(path.c_str(), kPictureLimits, error));
        const Surface theirs(IMG_Load(path.c_str()));
        ASSERT_TRUE(ours) << error;
        ASSERT_TRUE(theirs) << IMG_GetError();
        const SDL_PixelFormat &a = *ours->format, &b = *theirs->format;
        ASSERT_EQ(std::vector<std::uint32_t>({std::uint32_t(ours->w), std::uint32_t(ours->h), a.BitsPerPixel,
                                              a.Rmask, a.Gmask, a.Bmask, a.Amask}),
                  std::vector<std::uint32_t>({std::uint32_t(theirs->w), std::uint32_t(theirs->h), b.BitsPerPixel,
                                              b.Rmask, b.Gmask, b.Bmask, b.Amask}));
        const std::size_t row = std::size_t(ours->w) * a.BytesPerPixel;
        for (int y = 0; y < ours->h; ++y)
            ASSERT_EQ(std::memcmp(static_cast<const char*>(ours->pixels) + y * ours->pitch,
                                  static_cast<const char*>(theirs->pixels) + y * theirs->pitch, row), 0)
                << "row " << y;
    }
}
#endif

TEST(Pictures, PngsHaveRealTransparencyWithSoftEdges)
{
    std::vector<std::string> pngs(lgfn + 5, lgfn + kPictureCount);
    for (int size : kIconSizes) pngs.push_back(icon(size));
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        SCOPED_TRACE(pngs[i]);
        const Surface p = load_rgba(kSource + "/" + pngs[i]);
        ASSERT_TRUE(p);
        // Icons are the square sizes the desktop's icon theme asks for.
        if (i >= 4) {
            EXPECT_TRUE(p->w == kIconSizes[i - 4] && p->h == p->w) << p->w << "x" << p->h;
        }
        int clear = 0, opaque = 0, partial = 0;
        for (int y = 0; y < p->h; ++y)
            for (int x = 0; x < p->w; ++x) {
                const std::uint8_t a = alpha(p.get(), x, y);
                clear += a == 0;
                opaque += a == 255;
                partial += a > 0 && a < 255;
            }
        EXPECT_GT(clear, 0);
        EXPECT_GT(opaque, p->w * p->h / 10);
        EXPECT_GT(partial, 100);
        // The corners lie outside every design: fully transparent.
        EXPECT_EQ(alpha(p.get(), 0, 0), 0);
        EXPECT_EQ(alpha(p.get(), p->w - 1, p->h - 1), 0);
    }
}

}  // namespace
