// The capture draws what the live show draws: the typical frame two minutes in,
// checked through its pixels against the show's own steps.
#include "capture.h"

#include "backdrop/backdrop.h"
#include "backdrop/stripes.h"
#include "overlay/pictures.h"
#include "overlay/scroller.h"
#include "overlay/text.h"
#include "show/clock.h"

#include "fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// Picture i is an opaque block of its own colour and size, so a test can tell
// which picture landed where; none of them is a glyph colour or a backdrop colour.
constexpr std::uint32_t picture_colour(int i)
{
    return 0x00c000u | std::uint32_t(0x20 + i) << 16 | std::uint32_t(0x30 + 7 * i);
}
constexpr int kPictureW = 120;
constexpr int kPictureH = 80;

class CaptureFrame : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        table = static_cast<std::uint8_t*>(std::malloc(kStripeBytes));
        fill_stripe_table(table);
    }
    static void TearDownTestSuite()
    {
        std::free(table);
        table = nullptr;
    }

    void SetUp() override
    {
        atnt = table;
        atlas = make_atlas();
        fontti = atlas.get();
        for (int i = 0; i < kPictureCount; ++i) {
            pictures[i] = make_screen(kPictureW + 2 * i, kPictureH + i);
            SDL_FillRect(pictures[i].get(), nullptr, picture_colour(i));
            logo[i] = pictures[i].get();
        }
    }
    void TearDown() override
    {
        atnt = nullptr;
        fontti = nullptr;
        for (SDL_Surface*& picture : logo) picture = nullptr;
    }

    static SurfacePtr capture(std::int64_t elapsed_ms, GlowFilter& glow)
    {
        SurfacePtr frame(make_capture_surface());
        draw_capture_frame(frame.get(), elapsed_ms, glow);
        return frame;
    }

    static inline std::uint8_t* table = nullptr;
    SurfacePtr atlas;
    SurfacePtr pictures[kPictureCount];
};

bool same_pixels(const SDL_Surface* a, const SDL_Surface* b)
{
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x)
            if (pixel(a, x, y) != pixel(b, x, y)) return false;
    return true;
}

TEST_F(CaptureFrame, TwoMinutesInEqualsTheShowsStepsInOrder)
{
    GlowFilter glow;
    const SurfacePtr frame = capture(120000, glow);
    // The live screen's layout, which the PNG writer and the encoder read.
    const SDL_PixelFormat& f = *frame->format;
    EXPECT_EQ(std::vector<std::uint32_t>({std::uint32_t(frame->w), std::uint32_t(frame->h), f.BitsPerPixel,
                                          f.Rmask, f.Gmask, f.Bmask}),
              std::vector<std::uint32_t>({800, 600, 32, 0xff0000u, 0x00ff00u, 0x0000ffu}));

    // Composed by hand: backdrop, picture 6 where the picture show places it,
    // no caption, then the scroller.
    const double phase = 120000 * kPhasePerMs;
    const double beat = 240;
    const SurfacePtr composed(make_capture_surface());
    GlowFilter composed_glow;
    draw_backdrop(composed.get(), atnt, phase, beat, composed_glow);
    SDL_Rect dst = picture_place(beat, phase, 800, logo[6]->w, logo[6]->h);
    SDL_UpperBlit(logo[6], nullptr, composed.get(), &dst);
    draw_scroller(composed.get(), beat);

    EXPECT_TRUE(same_pixels(frame.get(), composed.get()));
    EXPECT_EQ(glow.glow1, composed_glow.glow1);
    EXPECT_EQ(glow.glow2, composed_glow.glow2);
}

TEST_F(CaptureFrame, TheCaptionIsDrawnWhileItShows)
{
    // Two minutes in, the frame above matches one composed without a caption;
    // at beat 20 the caption is typed out around y = 200, and the scroller's
    // glyphs (at 472, lifted by at most 60) never reach above row 400.
    GlowFilter glow;
    const SurfacePtr early = capture(10000, glow);
    bool caption = false;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 800; ++x) caption = caption || glyph_at(early.get(), x, y) >= 0;
    EXPECT_TRUE(caption);
}

}  // namespace
