// The fast backdrop against the reference: the packed table's layout, and whole
// frames bit for bit on surfaces with padded rows, with the same carried filter
// state, on every SIMD target this processor runs (including the portable
// fallback), through every layout and flash value, and through the serial
// fallback for lanes whose warm-up runs do not meet.
#include "backdrop/backdrop.h"
#include "backdrop/backdrop_fast.h"
#include "backdrop/stripe_bits.h"
#include "backdrop/stripes.h"
#include "fixtures.h"
#include "show/clock.h"

#include <gtest/gtest.h>
#include <hwy/targets.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const std::vector<std::uint8_t>& real_table()
{
    static const std::vector<std::uint8_t> table = [] {
        std::vector<std::uint8_t> t(kStripeBytes);
        fill_stripe_table_fast(t.data());
        return t;
    }();
    return table;
}

std::vector<std::uint64_t> packed(const std::vector<std::uint8_t>& table)
{
    std::vector<std::uint64_t> bits(kStripeBitsWords);
    pack_stripe_table(table.data(), bits.data());
    return bits;
}

const std::vector<std::uint64_t>& real_bits()
{
    static const std::vector<std::uint64_t> bits = packed(real_table());
    return bits;
}

bool table_bit(const std::vector<std::uint64_t>& bits, int row, int phase, int j)
{
    return stripe_run(bits.data(), row, phase)[j / 64] >> (j % 64) & 1u;
}

TEST(PackedStripes, BitJOfRunKIsColumn4JPlusK)
{
    // A pattern with no period of 4 or 64 in it, so a misplaced bit shows.
    std::vector<std::uint8_t> table(kStripeBytes);
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = (i * 2654435761u >> 13) & 1u;
    const std::vector<std::uint64_t> bits = packed(table);
    for (int row : {0, 1, 1600, 3199})
        for (int col = 0; col < kStripeCols; ++col)
            ASSERT_EQ(table_bit(bits, row, col % 4, col / 4), table[std::size_t(row) * kStripeCols + col])
                << "row " << row << " col " << col;
    // The 24 bits past column 3,999 of every run are zero.
    for (int row = 0; row < kStripeRows; row += 97)
        for (int phase = 0; phase < kStripePhases; ++phase)
            for (int j = 1000; j < 1024; ++j) ASSERT_FALSE(table_bit(bits, row, phase, j));
}

// Moments that between them take every flash value 0 to 180, cycling through
// the four layouts: for flash f, the first millisecond after a peak in layout
// f mod 4 whose flash is f.
std::vector<std::int64_t> every_flash_moment()
{
    std::vector<std::int64_t> moments;
    for (int f = 180; f >= 0; --f) {
        const std::int64_t peak = 16000 * (f % 4) + 500 + 2000 * (f % 7);  // beat 32L + 1 + 4(f mod 7)
        for (std::int64_t ms = peak; ms < peak + 1000; ++ms)
            if (backdrop_flash(clock_at(ms).beat) == f) {
                moments.push_back(ms);
                break;
            }
    }
    return moments;
}

// A screen whose rows are 8 pixels longer than its width: a pitch of 3,232.
SurfacePtr padded_screen()
{
    return make_screen(800, 600, 8);
}

// Draws the moments with the reference and, on every SIMD target compiled in
// and supported here (the portable one among them), the fast renderer, each
// carrying its own filter state from start, and compares every frame and state.
void expect_identical_run(const std::vector<std::int64_t>& moments, int warmup, GlowFilter start = {})
{
    const std::vector<std::int64_t> tried = hwy::SupportedAndGeneratedTargets();
    SurfacePtr reference = padded_screen();
    SurfacePtr fast = padded_screen();
    GlowFilter glow_reference = start;
    std::vector<GlowFilter> glow_fast(tried.size(), start);
    for (std::int64_t ms : moments) {
        const FrameClock c = clock_at(ms);
        draw_backdrop(reference.get(), real_table().data(), c.phase, c.beat, glow_reference);
        for (std::size_t t = 0; t < tried.size(); ++t) {
            hwy::SetSupportedTargetsForTest(tried[t]);
            const std::string target = hwy::TargetName(tried[t]);
            ASSERT_EQ(glow_lanes_target(), target);
            ASSERT_TRUE(draw_backdrop_fast(fast.get(), real_bits().data(), c.phase, c.beat, glow_fast[t], warmup));
            ASSERT_EQ(first_difference(fast.get(), reference.get()), "") << target << " ms " << ms;
            ASSERT_EQ(glow_fast[t].glow1, glow_reference.glow1) << target << " ms " << ms;
            ASSERT_EQ(glow_fast[t].glow2, glow_reference.glow2) << target << " ms " << ms;
        }
        hwy::SetSupportedTargetsForTest(0);
    }
}

TEST(FastBackdrop, IdenticalToTheReferenceThroughEveryFlashAndLayout)
{
    expect_identical_run(every_flash_moment(), kGlowWarmup);
}

TEST(FastBackdrop, IdenticalWhereLanesFallBackToTheSerialFilter)
{
    // Without warm-up no lane but the first knows its state, and with 16 pixels
    // about half of them do: the serial redo must stitch the lanes together.
    const std::vector<std::int64_t> moments = {1000, 20500, 52250, 120000};
    expect_identical_run(moments, 0);
    expect_identical_run(moments, 16);
    // A carried state the filter never reaches from (0, 0), in either stage,
    // takes the serial path.
    expect_identical_run({61000}, kGlowWarmup, GlowFilter{-7, 0});
    expect_identical_run({61000}, kGlowWarmup, GlowFilter{0, -7});
}

TEST(FastBackdrop, DeclinesOtherSurfacesAndAMissingTable)
{
    SurfacePtr small = make_screen(640, 480);
    SurfacePtr screen = make_screen();
    GlowFilter glow{100, 100};
    EXPECT_FALSE(draw_backdrop_fast(small.get(), real_bits().data(), 0.0, 0.0, glow));
    EXPECT_FALSE(draw_backdrop_fast(screen.get(), nullptr, 0.0, 0.0, glow));
    EXPECT_TRUE(surface_blank(small.get()));
    EXPECT_TRUE(surface_blank(screen.get()));
    EXPECT_EQ(glow.glow1, 100);
    EXPECT_EQ(glow.glow2, 100);
}

}  // namespace
