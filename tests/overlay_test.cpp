// The picture schedule with its flicker and shake, the intro caption, and the
// scroller with our scroll text.
#include "overlay/pictures.h"
#include "overlay/scroller.h"
#include "overlay/text.h"

#include "fixtures.h"
#include "show/clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

TEST(PictureSchedule, NothingInTheFirstSixteenSeconds)
{
    for (double beat = 0; beat < 32; beat += 0.25)
        ASSERT_EQ(picture_pick(beat), -1) << beat;
    EXPECT_EQ(picture_pick(32), 5);
}

TEST(PictureSchedule, SlotsChangeEvery16Beats)
{
    EXPECT_EQ(picture_pick(63.99), 5);
    EXPECT_EQ(picture_pick(64), 6);
    EXPECT_EQ(picture_pick(112), 5);
    EXPECT_EQ(picture_pick(240), 6);  // two minutes in
    EXPECT_EQ(picture_pick(304), 0);
    EXPECT_EQ(picture_pick(447.99), 5);
    EXPECT_EQ(picture_pick(448), 3);
    EXPECT_EQ(picture_pick(464), -1);
}

TEST(PictureSchedule, BeatsPastTheEndReadTheLastSlot)
{
    EXPECT_EQ(picture_slot(623.99), 38);
    EXPECT_EQ(picture_slot(624), 39);
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
    // The shake never quite dies (0.00015 pixels at its weakest), so look from
    // a phase where it pushes away from zero: cos(128 phase) is 1 at phase 0
    // and -1 at pi/128, while sin(96 phase) is 0 and positive.
    const double beat = 7.99999;
    const double down = 0.0;
    const double up = M_PI / 128;
    EXPECT_EQ(picture_place(beat, down, 800, 640, 400).y, 9);
    EXPECT_EQ(picture_place(beat, down, 800, 640, 400).x, 80);
    EXPECT_EQ(picture_place(beat, down, 800, 641, 400).x, 79);  // (800 - 641) / 2 first
    EXPECT_EQ(picture_place(beat, down, 800, 640, 469).y, 0);
    for (int h = 476; h <= 483; ++h)
        EXPECT_EQ(picture_place(beat, down, 800, 640, h).y, 0) << h;
    for (int h = 484; h <= 491; ++h)
        EXPECT_EQ(picture_place(beat, up, 800, 640, h).y, -1) << h;
    for (int h = 492; h <= 499; ++h)
        EXPECT_EQ(picture_place(beat, up, 800, 640, h).y, -2) << h;
    EXPECT_EQ(picture_place(beat, up, 800, 640, 500).y, -3);
}

TEST(PicturePlace, FullFivePixelShakeAtEveryEighthBeat)
{
    // sin(96 phase) = 1 and cos(128 phase) = -1/2 at phase pi/192.
    const double phase = M_PI / 192;
    for (double beat : {0.0, 8.0, 16.0, 240.0}) {
        const SDL_Rect at = picture_place(beat, phase, 800, 640, 400);
        EXPECT_EQ(at.x, 85) << beat;
        EXPECT_EQ(at.y, 6) << beat;  // trunc(9 - 2.5)
    }
    // Just before the next period the shake is about 0.00015 pixels.
    EXPECT_EQ(picture_place(7.9999, phase, 800, 640, 400).x, 80);
}

class TextOnScreen : public ::testing::Test, protected FontOnScreen {};

TEST_F(TextOnScreen, CaptionTypesOutFromBeatTwo)
{
    draw_caption(screen.get(), 1.99, 0);
    EXPECT_TRUE(surface_blank(screen.get()));
    draw_caption(screen.get(), 2.0, 0);
    EXPECT_EQ(glyph_at(screen.get(), 31, 201), 7);  // h at 200 when phase is 0
    EXPECT_EQ(glyph_at(screen.get(), 133, 201), -1);
}

TEST_F(TextOnScreen, CaptionGlyphsSitAtTheirPens)
{
    const double beat = 6;
    const double phase = beat / kBeatsPerMs * kPhasePerMs;
    draw_caption(screen.get(), beat, phase);
    const int y = static_cast<int>(200 + 20 * std::sin(4 * phase));
    const int pens[] = {30, 132, 250, 368, 414, 460};
    const int glyphs[] = {7, 12, 12, 30, 30, 30};  // the full stop shows as its shared cell
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(glyph_at(screen.get(), pens[i] + 1, y + 1), glyphs[i]) << i;
        EXPECT_EQ(top_of_glyph(screen.get(), pens[i] + 1, glyphs[i]), y) << i;
    }
    EXPECT_EQ(glyph_at(screen.get(), 460 + 36 + 5, y + 1), -1);
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
    // At beat 10 the left edge is at -700, so the first glyph (W) rides at pen
    // 254, and the bounce is at its height of 30: lifted (sin(2.54) + 1) * 30.
    draw_scroller(screen.get(), 10);
    EXPECT_EQ(glyph_at(screen.get(), 255, 472), 22);
    EXPECT_EQ(top_of_glyph(screen.get(), 255, 22), 425);
    // A beat earlier the bounce has all but died away: the line's top is at 472.
    SDL_FillRect(screen.get(), nullptr, 0);
    draw_scroller(screen.get(), 9);
    EXPECT_EQ(top_of_glyph(screen.get(), 555, 22), 471);
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

}  // namespace
