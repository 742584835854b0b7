// Long runs: the whole frame drawn from clock values taken from a tick counter
// driven far past 2^31 and 2^32 ms, where the timeline's look-ups and
// conversions must stay inside their tables and ranges (the sanitizer build
// runs this too).
#include "backdrop/backdrop.h"
#include "backdrop/stripes.h"
#include "overlay/pictures.h"
#include "overlay/scroller.h"
#include "overlay/text.h"
#include "show/clock.h"
#include "show/frame.h"

#include "fixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

class LongRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        table.resize(kStripeBytes);
        fill_stripe_table(table.data());
        atnt = table.data();
        atlas = make_atlas();
        fontti = atlas.get();
        for (int i = 0; i < kPictureCount; ++i) {
            pictures[i] = make_screen(640, 400 + 10 * i);
            SDL_FillRect(pictures[i].get(), nullptr, 0x10000u * std::uint32_t(i + 1));
            logo[i] = pictures[i].get();
        }
        screen = make_screen();
    }
    void TearDown() override
    {
        atnt = nullptr;
        fontti = nullptr;
        for (SDL_Surface*& p : logo) p = nullptr;
    }

    // Draws a frame and checks every clock-derived choice is in range.
    void draw_and_check(const FrameClock& c)
    {
        ASSERT_GE(c.elapsed_ms, 0);
        const int layout = backdrop_layout(c.beat);
        ASSERT_TRUE(layout >= 0 && layout <= 3) << c.elapsed_ms;
        const int flash = backdrop_flash(c.beat);
        ASSERT_TRUE(flash >= 0 && flash <= 180) << c.elapsed_ms;
        const int slot = picture_slot(c.beat);
        ASSERT_TRUE(slot >= 0 && slot < kScheduleSlots) << c.elapsed_ms;
        ASSERT_LE(picture_pick(c.beat), 8);
        draw_frame(screen.get(), c, glow);
        ASSERT_TRUE(glow.glow2 >= 0 && glow.glow2 <= 252);
    }

    std::vector<std::uint8_t> table;
    SurfacePtr atlas;
    SurfacePtr pictures[kPictureCount];
    SurfacePtr screen;
    GlowFilter glow;
};

TEST_F(LongRun, AcrossTwoToThe31And32Milliseconds)
{
    // Frames 16 ms apart around each limit of the 32-bit tick counter; the
    // counter itself starts near its top so it wraps on the way.
    const std::int64_t limits[] = {std::int64_t(1) << 31, std::int64_t(1) << 32,
                                   std::int64_t(3) << 32};
    ShowClock clock = clock_start(0xFFFF0000u);
    std::uint32_t tick = 0xFFFF0000u;
    std::int64_t elapsed = 0;
    for (std::int64_t limit : limits) {
        // Jump to just before the limit in steps the counter can express.
        while (elapsed < limit - 1000) {
            const std::int64_t step = std::min<std::int64_t>(limit - 1000 - elapsed, 1 << 30);
            tick += static_cast<std::uint32_t>(step);
            elapsed += step;
            clock_advance(clock, tick);
        }
        for (int frame = 0; frame < 125; ++frame) {
            tick += 16;
            elapsed += 16;
            const FrameClock c = clock_advance(clock, tick);
            ASSERT_EQ(c.elapsed_ms, elapsed);
            ASSERT_EQ(c.frame_ms, 16);
            draw_and_check(c);
        }
    }
}

TEST_F(LongRun, TheTimelineSettlesIntoTheBackdropAlone)
{
    // Once the schedule and the scroll text are over, only the backdrop shows:
    // drawing a frame twice from the same filter state gives the same pixels
    // as drawing the backdrop alone.
    const FrameClock c = clock_at(std::int64_t(1) << 33);
    GlowFilter start = glow;
    draw_frame(screen.get(), c, glow);
    SurfacePtr backdrop_only = make_screen();
    draw_backdrop(backdrop_only.get(), atnt, c.phase, c.beat, start);
    for (int y = 0; y < 600; y += 7)
        for (int x = 0; x < 800; x += 3)
            ASSERT_EQ(pixel(screen.get(), x, y), pixel(backdrop_only.get(), x, y)) << x << "," << y;
}

}  // namespace
