// Long runs: whole frames drawn from clock values taken from a tick counter
// driven far past 2^31 and 2^32 ms, where the timeline's look-ups and
// conversions must stay inside their tables and ranges; the sanitizer build
// runs this to catch any that does not.
#include "backdrop/stripes.h"
#include "overlay/pictures.h"
#include "overlay/text.h"
#include "show/clock.h"
#include "show/frame.h"

#include "fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
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

    std::vector<std::uint8_t> table;
    SurfacePtr atlas;
    SurfacePtr pictures[kPictureCount];
    SurfacePtr screen;
    GlowFilter glow;
};

TEST_F(LongRun, AcrossTwoToThe31And32Milliseconds)
{
    // Frames 80 ms apart around each limit of the 32-bit tick counter; the
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
        for (int frame = 0; frame < 25; ++frame) {
            tick += 80;
            elapsed += 80;
            draw_frame(screen.get(), clock_advance(clock, tick), glow);
        }
    }
}

}  // namespace
