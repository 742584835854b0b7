// The compositor against SDL 1.2.15's blitter: random pictures and screens,
// every clipping case and odd widths, on every SIMD target and the scalar path;
// and whole frames of the show against the frames drawn with SDL's blits.
// SDL's blit is the oracle only where the classic library is the one loaded
// (sdl12-compat blends differently); elsewhere the scalar path is.
#include "fixtures.h"

#include "backdrop/stripes.h"
#include "overlay/compositor.h"
#include "overlay/pictures.h"
#include "overlay/scroller.h"
#include "overlay/text.h"
#include "show/clock.h"
#include "show/frame.h"
#include "show/startup.h"

#include <gtest/gtest.h>
#include <hwy/targets.h>

#include <unistd.h>

#include <random>
#include <string>
#include <vector>

namespace {

bool classic_sdl()
{
    return SDL_Linked_Version()->patch < 50;  // sdl12-compat calls itself 1.2.50 and up
}

// A surface as the image loader makes one: bytes R, G, B(, A) in memory.
SurfacePtr loader_surface(int w, int h, bool alpha)
{
    return SurfacePtr(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, alpha ? 32 : 24, 0xff, 0xff00,
                                           0xff0000, alpha ? 0xff000000u : 0));
}

// Random bytes, with alpha drawn from the values where rounding goes wrong first.
void fill_random(SDL_Surface* surface, std::mt19937& rng)
{
    constexpr int kAlphas[] = {0, 1, 127, 128, 254, 255, -1};
    auto* bytes = static_cast<std::uint8_t*>(surface->pixels);
    for (int i = 0; i < surface->pitch * surface->h; ++i) bytes[i] = std::uint8_t(rng());
    if (surface->format->BytesPerPixel != 4 || surface->format->Amask == 0) return;
    for (int y = 0; y < surface->h; ++y)
        for (int x = 0; x < surface->w; ++x) {
            const int a = kAlphas[rng() % 7];
            if (a >= 0) bytes[y * surface->pitch + x * 4 + 3] = std::uint8_t(a);
        }
}

struct ClipCase {
    const char* what;
    bool whole;  // no source rectangle
    SDL_Rect src;
    Sint16 x, y;
};

// On a 64 x 40 screen, for a picture w x 9.
std::vector<ClipCase> clip_cases(int w)
{
    const Sint16 sw = Sint16(w);
    return {
        {"inside", false, {0, 0, Uint16(w), 9}, 5, 7},
        {"whole picture", true, {}, 3, 2},
        {"off the left", false, {0, 0, Uint16(w), 9}, Sint16(-w / 2 - 1), 4},
        {"off the right", false, {0, 0, Uint16(w), 9}, Sint16(64 - w / 2), 4},
        {"off the top", false, {0, 0, Uint16(w), 9}, 1, -4},
        {"off the bottom", false, {0, 0, Uint16(w), 9}, 1, 36},
        {"fully off left", true, {}, Sint16(-w), 0},
        {"fully off below", true, {}, 0, 40},
        {"int16 minimum", true, {}, -32768, -32768},
        {"int16 maximum", true, {}, 32767, 32767},
        {"source rect before the picture", false, {-3, -2, Uint16(w), 9}, -32767, 6},
        {"source rect past the picture", false, {Sint16(sw / 2), 4, Uint16(w), 9}, 10, 10},
    };
}

// Blits picture with every case through blitter, and again through the oracle,
// onto the same random screen; the pixels and the rectangle written back agree.
void expect_exact(SDL_Surface* picture, const Sprite& sprite, Blitter blitter, std::mt19937& rng)
{
    const Blitter oracle = classic_sdl() ? Blitter::sdl : Blitter::scalar;
    SurfacePtr ours = make_screen(64, 40), theirs = make_screen(64, 40);
    for (const ClipCase& c : clip_cases(picture->w)) {
        SCOPED_TRACE(c.what);
        fill_random(ours.get(), rng);
        SDL_BlitSurface(ours.get(), nullptr, theirs.get(), nullptr);
        SDL_Rect src1 = c.src, src2 = c.src, dst1 = {c.x, c.y, 0, 0}, dst2 = dst1;
        overlay_blit(blitter, picture, sprite, c.whole ? nullptr : &src1, ours.get(), &dst1);
        overlay_blit(oracle, picture, sprite, c.whole ? nullptr : &src2, theirs.get(), &dst2);
        EXPECT_EQ(surface_hash(ours.get()), surface_hash(theirs.get()));
        EXPECT_TRUE(dst1.x == dst2.x && dst1.y == dst2.y && dst1.w == dst2.w && dst1.h == dst2.h);
    }
}

TEST(Compositor, MatchesTheClassicBlitterOnEveryTargetWidthAndClip)
{
    if (!classic_sdl()) std::printf("sdl12-compat loaded: the scalar path is the oracle\n");
    std::mt19937 rng(18);
    for (const bool alpha : {true, false})
        for (int w : {1, 2, 3, 5, 7, 8, 9, 15, 16, 17, 31, 33, 63}) {
            SCOPED_TRACE(std::string(alpha ? "alpha" : "opaque") + " width " + std::to_string(w));
            SurfacePtr picture = loader_surface(w, 9, alpha);
            fill_random(picture.get(), rng);
            Sprite sprite;
            ASSERT_TRUE(make_sprite(picture.get(), sprite));
            expect_exact(picture.get(), sprite, Blitter::scalar, rng);
            for (std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
                hwy::SetSupportedTargetsForTest(target);
                SCOPED_TRACE(hwy::TargetName(target));
                ASSERT_EQ(std::string(blend_rows_target()), hwy::TargetName(target));
                expect_exact(picture.get(), sprite, Blitter::simd, rng);
            }
            hwy::SetSupportedTargetsForTest(0);
        }
}

TEST(Compositor, LeavesSurfacesItDoesNotReproduceToSdl)
{
    // The screen's own layout takes SDL's copy blit, not the loader's formats' paths.
    SurfacePtr atlas = make_atlas();
    Sprite sprite;
    EXPECT_FALSE(make_sprite(atlas.get(), sprite));
    SDL_SetColorKey(atlas.get(), SDL_SRCCOLORKEY, 0);
    EXPECT_FALSE(make_sprite(atlas.get(), sprite));
}

// The show's own assets, loaded and converted as at start-up.
class CompositorFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(chdir(QUORVEX_SOURCE_DIR), 0);
        ASSERT_TRUE(build_stripe_tables());
        ASSERT_TRUE(load_show_images());
    }
};

TEST_F(CompositorFrames, EqualTheFramesDrawnWithSdlsBlits)
{
    ASSERT_FALSE(fontti_sprite.pixels.empty());
    for (const Sprite& sprite : logo_sprite) ASSERT_FALSE(sprite.pixels.empty());
    // Caption, T-shirt, the logo at full shake, the flicker slots, the bounce's
    // peak, both emblems, photographs, and the scroller alone.
    constexpr std::int64_t kMomentsMs[] = {3000,  9000,   17500,  40000,  52250,  61000,
                                           66000, 97000,  145000, 155000, 226000, 300000};
    const Blitter oracle = classic_sdl() ? Blitter::sdl : Blitter::scalar;
    SurfacePtr ours = make_screen(), theirs = make_screen();
    for (std::int64_t ms : kMomentsMs) {
        SCOPED_TRACE(ms);
        GlowFilter glow1, glow2;
        draw_frame(ours.get(), clock_at(ms), glow1);
        draw_frame(theirs.get(), clock_at(ms), glow2, FramePaths{true, oracle});
        EXPECT_EQ(surface_hash(ours.get()), surface_hash(theirs.get()));
    }
}

TEST_F(CompositorFrames, PenTableDrawsWhatTheWalkFromTheStartDraws)
{
    // Across the whole message, including its ends, in steps that are not a glyph's.
    const PenTable pens = make_pen_table(st);
    SurfacePtr ours = make_screen(), theirs = make_screen();
    for (std::int64_t x = 900; x > -text_width(st) - 300; x -= 2477) {
        SCOPED_TRACE(x);
        SDL_FillRect(ours.get(), nullptr, 0);
        SDL_FillRect(theirs.get(), nullptr, 0);
        teksti(ours.get(), std::int32_t(x), 472, st, 1000000.0, 30.0, Blitter::simd, &pens);
        teksti(theirs.get(), std::int32_t(x), 472, st, 1000000.0, 30.0, Blitter::simd);
        EXPECT_EQ(surface_hash(ours.get()), surface_hash(theirs.get()));
    }
}

}  // namespace
