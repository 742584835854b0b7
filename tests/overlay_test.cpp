// The picture schedule with its flicker and shake, the intro caption, the
// scroller with our scroll text, and whole frames at moments chosen where a
// wrong period, boundary or place would show.
#include "backdrop/stripe_bits.h"
#include "overlay/pictures.h"
#include "overlay/scroller.h"
#include "overlay/text.h"
#include "show/clock.h"
#include "show/frame.h"

#include "fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(PictureSchedule, SlotBoundariesAndTheLastSlot)
{
    EXPECT_EQ(picture_slot(15.999), 0);
    EXPECT_EQ(picture_slot(16), 1);
    EXPECT_EQ(picture_slot(623.99), 38);
    // Every beat from the last slot's start on, 640 to 656 included, reads it.
    for (double beat = 624; beat < 680; beat += 0.5) ASSERT_EQ(picture_slot(beat), 39) << beat;
    EXPECT_EQ(picture_slot(1e6), 39);
    EXPECT_EQ(picture_slot(1e300), 39);
    EXPECT_EQ(picture_pick(2147483647 * 0.002), -1);
    EXPECT_EQ(picture_pick(4294967296.0 * 10 * 0.002), -1);
}

TEST(PictureSchedule, FlickerQuickensThroughTheSlot)
{
    // Slot 6 (beats 96 to 112) flickers; m is the position within the slot.
    EXPECT_EQ(picture_pick(96 + 3.999), 3);  // trunc(3.999) mod 5
    EXPECT_EQ(picture_pick(96 + 4), 1);      // trunc(4 * 4) mod 5
    EXPECT_EQ(picture_pick(96 + 0.5), 0);
    EXPECT_EQ(picture_pick(96 + 15.9), 4);   // trunc(10 * 15.9) = 159
    EXPECT_EQ(picture_pick(288 + 8.1), 1);   // slot 18: trunc(7 * 8.1) = 56
    for (double m = 0; m < 16; m += 0.01) {
        const int pick = picture_pick(96 + m);
        ASSERT_TRUE(pick >= 0 && pick <= 4) << m;
    }
}

TEST(PicturePlace, RestsCentredNearTheTop)
{
    // Where the shake has all but died (0.00015 pixels), pushing down at phase
    // 0 and up at pi/128: the divisions truncate first, then the sum truncates
    // toward zero, so a picture taller than 476 rests at -1 from height 484 on.
    const double beat = 7.99999, down = 0.0, up = M_PI / 128;
    EXPECT_EQ(picture_place(beat, down, 800, 641, 400).x, 79);
    EXPECT_EQ(picture_place(beat, down, 800, 640, 400).y, 9);
    EXPECT_EQ(picture_place(beat, down, 800, 640, 483).y, 0);
    EXPECT_EQ(picture_place(beat, up, 800, 640, 484).y, -1);
    EXPECT_EQ(picture_place(beat, up, 800, 640, 491).y, -1);
    EXPECT_EQ(picture_place(beat, up, 800, 640, 500).y, -3);
}

TEST(PicturePlace, FullShakeOnEveryEighthBeatOnly)
{
    // At phase pi/192, sin(96 phase) = 1 and cos(128 phase) = -1/2: the full
    // shake moves a 640x400 picture from its rest at (80, 9) to (85, 6).
    const double phase = M_PI / 192;
    for (int beat = 0; beat < 64; ++beat) {
        const SDL_Rect at = picture_place(beat, phase, 800, 640, 400);
        if (beat % 8 == 0) {
            EXPECT_EQ(at.x, 85) << beat;
            EXPECT_EQ(at.y, 6) << beat;
        } else {
            EXPECT_LE(at.x, 81) << beat;  // 1.4 pixels a beat later, then less
        }
    }
}

class TextOnScreen : public ::testing::Test, protected FontOnScreen {};

TEST_F(TextOnScreen, CaptionTypesOutFromBeatTwo)
{
    draw_caption(screen.get(), 1.99, 0);
    EXPECT_TRUE(surface_blank(screen.get()));
    draw_caption(screen.get(), 2.0, 0);
    EXPECT_EQ(glyph_at(screen.get(), 31, 201), 7);  // h at 200 when phase is 0
    EXPECT_EQ(glyph_at(screen.get(), 133, 201), -1);
    // 1.5 s in (beat 3, phase 3 pi / 16) "hm" is typed and the line has bobbed
    // to 200 + 20 sin(3 pi / 4) = 214.1.
    SDL_FillRect(screen.get(), nullptr, 0);
    const FrameClock c = clock_at(1500);
    draw_caption(screen.get(), c.beat, c.phase);
    EXPECT_EQ(top_of_glyph(screen.get(), 31, 7), 214);
    EXPECT_EQ(top_of_glyph(screen.get(), 133, 12), 214);
    EXPECT_EQ(glyph_at(screen.get(), 251, 215), -1);
}

TEST_F(TextOnScreen, ScrollerEntersFromTheRightAtBeatFive)
{
    EXPECT_EQ(scroller_x(0, 800), 2300);
    EXPECT_EQ(scroller_x(5, 800), 800);
    EXPECT_EQ(scroller_x(240, 800), -69700);
    draw_scroller(screen.get(), 4.99);
    EXPECT_TRUE(surface_blank(screen.get()));
    // The first glyph enters nine spaces (954 pixels) behind the left edge.
    draw_scroller(screen.get(), 5 + 954.0 / 300 - 0.001);
    EXPECT_TRUE(surface_blank(screen.get()));
    draw_scroller(screen.get(), 5 + 955.0 / 300);
    EXPECT_TRUE(column_touched(screen.get(), 799));
}

TEST_F(TextOnScreen, ScrollerRunsDryAfterItsLastGlyph)
{
    const double end = scroller_end_beat(st, 800);
    draw_scroller(screen.get(), end - 0.5);  // the last glyph 150 pixels further right
    EXPECT_FALSE(surface_blank(screen.get()));
    SDL_FillRect(screen.get(), nullptr, 0);
    draw_scroller(screen.get(), end + 0.01);
    EXPECT_TRUE(surface_blank(screen.get()));
    draw_scroller(screen.get(), 1e12);
    EXPECT_TRUE(surface_blank(screen.get()));
    EXPECT_EQ(scroller_x(1e12, 800), INT32_MIN);
}

TEST_F(TextOnScreen, ScrollerBouncesOnEveryFourthBeat)
{
    // The lift at whole beats from beat 2 on, over two periods: 30 pixels,
    // then 30 (3/4)^4, 30 (1/2)^4 and 30 (1/4)^4.
    const double lift[4] = {30, 30 * 0.31640625, 30 * 0.0625, 30 * 0.00390625};
    SurfacePtr expected = make_screen();
    for (int beat = 12; beat < 20; ++beat) {
        SDL_FillRect(screen.get(), nullptr, 0);
        SDL_FillRect(expected.get(), nullptr, 0);
        draw_scroller(screen.get(), beat);
        teksti(expected.get(), scroller_x(beat, 800), 472, st, 1e6, lift[(beat - 2) % 4]);
        ASSERT_FALSE(surface_blank(expected.get()));
        ASSERT_EQ(first_difference(screen.get(), expected.get()), "") << "beat " << beat;
    }
}

TEST(ScrollText, FollowsTheLayoutRules)
{
    const std::string text = st;
    EXPECT_EQ(text.find_first_not_of(' '), 9u);
    EXPECT_NE(text.back(), ' ');
    for (char c : text) {
        ASSERT_TRUE(c == ' ' || glyph_for_byte(static_cast<signed char>(c)) >= 0)
            << "byte " << int(static_cast<unsigned char>(c));
        ASSERT_NE(c, '/') << "the slash would draw as a full stop";
    }
    EXPECT_GT(text.size(), 2500u);
    EXPECT_LT(text.size(), 3500u);
    // A long pause before the notice that the main part is over, a longer one after it.
    const std::size_t pause = text.find(std::string(38, ' '));
    ASSERT_NE(pause, std::string::npos);
    const std::size_t notice = text.find_first_not_of(' ', pause);
    const std::size_t long_pause = text.find(std::string(100, ' '), notice);
    ASSERT_NE(long_pause, std::string::npos);
    EXPECT_LT(long_pause - notice, 60u);
    EXPECT_GT(text.size() - long_pause, 1800u);
}

TEST(ScrollText, EndsWhenItsLastGlyphPassesTheLeftEdge)
{
    // A lone A: its pen passes -100 once the left edge does, at beat 5 + 900 / 300.
    EXPECT_DOUBLE_EQ(scroller_end_beat("A", 800), 8.0);
    EXPECT_DOUBLE_EQ(scroller_end_beat("A  ", 800), 8.0);
    EXPECT_DOUBLE_EQ(scroller_end_beat(" A", 800), 5 + 1006.0 / 300);
    EXPECT_EQ(scroller_end_beat("   ", 800), 0);
}

// Whole frames of the show's drawing step over a black backdrop (every stripe
// lit), against frames composed from what should be in them.
class ShowFrame : public ::testing::Test, protected FontOnScreen {
protected:
    void SetUp() override
    {
        atnb = all_lit.data();
        for (int i = 0; i < kPictureCount; ++i) {
            // Picture i is 640 - 40 i by 400 - 20 i, in a colour of its own.
            pictures[i] = make_screen(640 - 40 * i, 400 - 20 * i);
            SDL_FillRect(pictures[i].get(), nullptr, 0x204060u + 0x10101u * std::uint32_t(i));
            logo[i] = pictures[i].get();
        }
    }
    void TearDown() override
    {
        atnb = nullptr;
        for (SDL_Surface*& picture : logo) picture = nullptr;
    }

    std::vector<std::uint64_t> all_lit = std::vector<std::uint64_t>(kStripeBitsWords, ~0ull);
    SurfacePtr pictures[kPictureCount];
};

TEST_F(ShowFrame, PicturesAndCaptionAtChosenMoments)
{
    // 42 ms past every eighth beat the shake is at 0.9 of its 5 pixels and has
    // moved the picture 4 right and 3 up; 2,010 ms past, it rests at
    // ((800 - w) / 2, (476 - h) / 8), the divisions truncated.
    struct Moment {
        std::int64_t ms;
        int picture, x, y;
        bool caption;
    };
    const Moment moments[] = {
        {15495, -1, 0, 0, true},  {15500, -1, 0, 0, false},  // the caption's end, beat 31
        {16042, 5, 184, 19, false}, {18010, 5, 180, 22, false},
        {32042, 6, 204, 21, false}, {34010, 6, 200, 24, false},
        {52042, 1, 104, 9, false},  // the flicker slot's pick at beat 104.08
        {64042, 7, 224, 24, false}, {66010, 7, 220, 27, false},
        {96042, 8, 244, 26, false}, {98010, 8, 240, 29, false},
        {152042, 0, 84, 6, false},  {154010, 0, 80, 9, false},
        {224042, 3, 144, 14, false}, {226010, 3, 140, 17, false},
        {320042, -1, 0, 0, false},  // beat 640, in the last slot
    };
    SurfacePtr frame = make_screen(800, 600, 8);
    for (const Moment& m : moments) {
        const FrameClock c = clock_at(m.ms);
        GlowFilter glow;
        draw_frame(frame.get(), c, glow);
        SDL_FillRect(screen.get(), nullptr, 0);
        if (m.picture >= 0) {
            SDL_Rect at = {Sint16(m.x), Sint16(m.y), 0, 0};
            SDL_BlitSurface(logo[m.picture], nullptr, screen.get(), &at);
        }
        if (m.caption) draw_caption(screen.get(), c.beat, c.phase);
        draw_scroller(screen.get(), c.beat);
        ASSERT_EQ(first_difference(frame.get(), screen.get()), "") << "ms " << m.ms;
    }
}

}  // namespace
