// The backdrop: tint and caps, the glow filter, the pulse and layout timing,
// table bounds, and whole frames of the reference, carrying the filter state
// from frame to frame, against their fingerprints.
#include "backdrop/backdrop.h"

#include "backdrop/stripes.h"
#include "fixtures.h"
#include "show/clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

std::uint32_t rgb(int r, int g, int b)
{
    return std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

TEST(BackdropTint, ChannelsCapsAndTheDimFallBack)
{
    EXPECT_EQ(glow_colour(252, 0), rgb(74, 56, 74));
    EXPECT_EQ(glow_colour(252, 100), rgb(174, 56, 74));
    EXPECT_EQ(glow_colour(252, 180), rgb(254, 167, 74));
    EXPECT_EQ(glow_colour(100, 180), rgb(158, 66, 144));
    EXPECT_EQ(glow_colour(60, 0), rgb(74, 39, 74));
    for (int flash = 0; flash <= 180; ++flash)
        ASSERT_EQ(glow_colour(0, flash), 0u);
    // glow2 200 gives red 316, green 132, blue 289 before the caps: past
    // flash + 56 green drops to 56 and past flash + 74 blue drops to 74,
    // rather than being held at the threshold.
    EXPECT_EQ(glow_colour(200, 50), rgb(124, 56, 74));
    EXPECT_EQ(glow_colour(200, 180), rgb(254, 132, 74));
    // glow2 150 (red 237, green 99, blue 216) passes a high flash uncapped.
    EXPECT_EQ(glow_colour(150, 180), rgb(237, 99, 216));
}

TEST(GlowFilterTest, ClimbsFromZeroAndSettles)
{
    GlowFilter glow;
    const int climb[] = {96, 156, 193, 216, 231, 240, 246, 249, 251, 252, 253, 254, 254, 254};
    for (int expected : climb) {
        glow_step(glow, 256);
        ASSERT_EQ(glow.glow1, expected);
    }
    for (int i = 0; i < 100; ++i) glow_step(glow, 256);
    EXPECT_EQ(glow.glow1, 254);
    EXPECT_EQ(glow.glow2, 252);
    for (int i = 0; i < 100; ++i) glow_step(glow, 0);
    EXPECT_EQ(glow.glow1, 0);
    EXPECT_EQ(glow.glow2, 0);
}

TEST(BackdropTiming, FlashPeaksOnOddBeats)
{
    EXPECT_EQ(backdrop_flash(1.0), 180);
    EXPECT_EQ(backdrop_flash(3.0), 180);
    EXPECT_EQ(backdrop_flash(5.0), 180);
    EXPECT_LE(backdrop_flash(0.999), 0);
    EXPECT_LE(backdrop_flash(2.999), 0);
    EXPECT_EQ(backdrop_flash(0.0), 11);    // 180 * 0.5^4
    EXPECT_EQ(backdrop_flash(240.0), 11);  // two minutes in
    EXPECT_EQ(backdrop_flash(1.5), 56);    // 180 * 0.75^4 = 56.95
}

TEST(BackdropTiming, LayoutChangesEvery32Beats)
{
    EXPECT_EQ(backdrop_layout(0), 0);
    EXPECT_EQ(backdrop_layout(31.999), 0);
    EXPECT_EQ(backdrop_layout(32), 1);
    EXPECT_EQ(backdrop_layout(64), 2);
    EXPECT_EQ(backdrop_layout(96), 3);
    EXPECT_EQ(backdrop_layout(128), 0);
    EXPECT_EQ(backdrop_layout(240), 3);
    // Far beyond any integer range of the beat count.
    EXPECT_EQ(backdrop_layout(32.0 * 4e12 + 33), 1);
}

TEST(LayerCentres, EveryTableReadStaysInsideTheTable)
{
    int min_row = kStripeRows, max_row = -1, min_col = kStripeCols, max_col = -1;
    for (int layout = 0; layout < 4; ++layout) {
        for (int i = 0; i <= 200000; ++i) {
            LayerCentre c[kLayerCount];
            layer_centres(layout, 2 * M_PI * i / 200000, 800, 600, c);
            for (const LayerCentre& l : c) {
                min_row = std::min(min_row, 1600 - l.y);
                max_row = std::max(max_row, 1600 + 4 * 599 - l.y);
                min_col = std::min(min_col, 2000 - l.x);
                max_col = std::max(max_col, 2000 + 4 * 799 - l.x);
            }
        }
    }
    EXPECT_EQ(min_col, 120);
    EXPECT_GE(min_row, 280);
    EXPECT_LE(max_row, 2996);
    EXPECT_LE(max_col, 3956);
    EXPECT_GE(min_row, 0);
    EXPECT_LT(max_row, kStripeRows);
    EXPECT_LT(max_col, kStripeCols);
}

const std::uint8_t* real_table()
{
    static std::vector<std::uint8_t> table = [] {
        std::vector<std::uint8_t> t(kStripeBytes);
        fill_stripe_table(t.data());
        return t;
    }();
    return table.data();
}

TEST(BackdropFrame, FixedMomentsKeepTheirChecksums)
{
    // Frames in layouts 0, 1 and 3 (2 shares 0's table) at flash 11, 180 and 0,
    // each drawn after one that sets the filter state: any change to the
    // reference's output, the stripe table's included, shows here.
    SurfacePtr screen = make_screen();
    GlowFilter glow;
    const std::int64_t moments[] = {1000, 20500, 120000, 52250};
    std::vector<std::uint64_t> hashes;
    for (std::int64_t ms : moments) {
        const FrameClock c = clock_at(ms);
        draw_backdrop(screen.get(), real_table(), c.phase, c.beat, glow);
        hashes.push_back(surface_hash(screen.get()));
    }
    const std::vector<std::uint64_t> expected = {2127133844700703856ull, 13246252549550196580ull,
                                                  10202896488607347881ull, 12635465062727978915ull};
    EXPECT_EQ(hashes, expected);
}

}  // namespace
