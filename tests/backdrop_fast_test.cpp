// The fast backdrop against the reference: the packed table's layout, and whole
// frames bit for bit, with the same carried filter state, on every SIMD target
// this processor runs (including the portable fallback), through every layout
// and flash value, and through the serial fallback for lanes whose warm-up
// runs do not meet.
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

// The SIMD targets compiled in and supported here, the portable one among them.
std::vector<std::int64_t> targets()
{
    return hwy::SupportedAndGeneratedTargets();
}

// Runs body once per target with dispatch forced to it.
template <typename Body>
void on_every_target(Body body)
{
    for (std::int64_t target : targets()) {
        hwy::SetSupportedTargetsForTest(target);
        SCOPED_TRACE(hwy::TargetName(target));
        ASSERT_EQ(std::string(glow_lanes_target()), hwy::TargetName(target));
        body();
        hwy::SetSupportedTargetsForTest(0);
        if (testing::Test::HasFatalFailure()) return;
    }
}

TEST(FastBackdropTargets, ThePortableFallbackIsAmongThoseTested)
{
    bool fallback = false;
    for (std::int64_t target : targets()) fallback |= target == HWY_SCALAR || target == HWY_EMU128;
    EXPECT_TRUE(fallback);
    EXPECT_GE(targets().size(), 2u);
}

// The first pixel where two surfaces differ, or "" when none does.
std::string first_difference(const SDL_Surface* a, const SDL_Surface* b)
{
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x)
            if (pixel(a, x, y) != pixel(b, x, y))
                return "x " + std::to_string(x) + " y " + std::to_string(y) + ": " +
                       std::to_string(pixel(a, x, y)) + " != " + std::to_string(pixel(b, x, y));
    return "";
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

TEST(FastBackdrop, MomentsCoverEveryFlashAndLayout)
{
    const std::vector<std::int64_t> moments = every_flash_moment();
    ASSERT_EQ(moments.size(), 181u);
    int layouts[4] = {};
    for (std::int64_t ms : moments) ++layouts[backdrop_layout(clock_at(ms).beat)];
    for (int count : layouts) EXPECT_GE(count, 45);
}

// Draws the moments with both renderers, each carrying its own filter state
// from (0, 0), and compares every frame and state.
void expect_identical_run(const std::vector<std::int64_t>& moments, int warmup)
{
    SurfacePtr reference = make_screen();
    SurfacePtr fast = make_screen();
    GlowFilter glow_reference, glow_fast;
    for (std::int64_t ms : moments) {
        const FrameClock c = clock_at(ms);
        draw_backdrop(reference.get(), real_table().data(), c.phase, c.beat, glow_reference);
        ASSERT_TRUE(draw_backdrop_fast(fast.get(), real_bits().data(), c.phase, c.beat, glow_fast, warmup));
        ASSERT_EQ(first_difference(fast.get(), reference.get()), "") << "ms " << ms;
        ASSERT_EQ(glow_fast.glow1, glow_reference.glow1) << "ms " << ms;
        ASSERT_EQ(glow_fast.glow2, glow_reference.glow2) << "ms " << ms;
    }
}

TEST(FastBackdrop, IdenticalToTheReferenceThroughEveryFlashAndLayout)
{
    on_every_target([] { expect_identical_run(every_flash_moment(), kGlowWarmup); });
}

TEST(FastBackdrop, IdenticalWhereLanesFallBackToTheSerialFilter)
{
    // Without warm-up no lane but the first knows its state, and with 16 pixels
    // about half of them do: the serial redo must stitch the lanes together.
    const std::vector<std::int64_t> moments = {1000, 20500, 52250, 120000};
    on_every_target([&] {
        expect_identical_run(moments, 0);
        expect_identical_run(moments, 16);
    });
}

TEST(FastBackdrop, FixedMomentsKeepTheReferenceChecksums)
{
    // The moments and checksums of the reference's own test in backdrop_test.
    SurfacePtr screen = make_screen();
    GlowFilter glow;
    std::vector<std::uint64_t> hashes;
    for (std::int64_t ms : {1000, 20500, 120000, 52250}) {
        const FrameClock c = clock_at(ms);
        ASSERT_TRUE(draw_backdrop_fast(screen.get(), real_bits().data(), c.phase, c.beat, glow));
        hashes.push_back(surface_hash(screen.get()));
    }
    const std::vector<std::uint64_t> expected = {2127133844700703856ull, 13246252549550196580ull,
                                                  10202896488607347881ull, 12635465062727978915ull};
    EXPECT_EQ(hashes, expected);
}

TEST(FastBackdrop, UniformTablesCarryTheStateAcrossRowsAndFrames)
{
    // All dark then all lit, as in the reference's test: the glow climbs,
    // saturates, carries into the next frame and decays to black.
    const std::vector<std::uint64_t> dark = packed(std::vector<std::uint8_t>(kStripeBytes, 0));
    const std::vector<std::uint64_t> lit = packed(std::vector<std::uint8_t>(kStripeBytes, 1));
    on_every_target([&] {
        SurfacePtr screen = make_screen();
        GlowFilter glow;
        ASSERT_TRUE(draw_backdrop_fast(screen.get(), dark.data(), 0.0, 0.0, glow));
        EXPECT_EQ(pixel(screen.get(), 0, 0), glow_colour(36, 11));
        EXPECT_EQ(pixel(screen.get(), 799, 599), glow_colour(252, 11));
        EXPECT_EQ(glow.glow1, 254);
        EXPECT_EQ(glow.glow2, 252);
        ASSERT_TRUE(draw_backdrop_fast(screen.get(), lit.data(), 0.0, 0.0, glow));
        EXPECT_EQ(pixel(screen.get(), 0, 0), glow_colour(216, 11));
        EXPECT_EQ(pixel(screen.get(), 799, 599), 0u);
        EXPECT_EQ(glow.glow1, 0);
        EXPECT_EQ(glow.glow2, 0);
    });
}

TEST(FastBackdrop, UnreachableCarriedStateStillMatches)
{
    // A state the filter never reaches from (0, 0) takes the serial path.
    SurfacePtr reference = make_screen();
    SurfacePtr fast = make_screen();
    GlowFilter glow_reference{300, -7};
    GlowFilter glow_fast = glow_reference;
    const FrameClock c = clock_at(61000);
    draw_backdrop(reference.get(), real_table().data(), c.phase, c.beat, glow_reference);
    ASSERT_TRUE(draw_backdrop_fast(fast.get(), real_bits().data(), c.phase, c.beat, glow_fast));
    EXPECT_EQ(first_difference(fast.get(), reference.get()), "");
    EXPECT_EQ(glow_fast.glow1, glow_reference.glow1);
    EXPECT_EQ(glow_fast.glow2, glow_reference.glow2);
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
