// The stripe table: values near the centre (above it the angle is pi, not a
// mirror of the column below), the two's-complement bit test for negative
// stripe numbers, the table's bytes as on x86-64, and the fast fill against
// the reference.
#include "backdrop/stripes.h"

#include <gtest/gtest.h>
#include <hwy/targets.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct TableDeleter {
    void operator()(std::uint8_t* p) const { std::free(p); }
};

const std::uint8_t* filled_table()
{
    static std::unique_ptr<std::uint8_t, TableDeleter> table(
        static_cast<std::uint8_t*>(std::malloc(kStripeBytes)));
    static bool filled = false;
    if (!filled) {
        fill_stripe_table(table.get());
        filled = true;
    }
    return table.get();
}

std::uint8_t entry(int row, int col)
{
    return filled_table()[std::size_t(row) * kStripeCols + col];
}

TEST(StripeTable, EntriesNearTheCentre)
{
    EXPECT_EQ(kStripeCentre, 6402000u);
    EXPECT_EQ(entry(1600, 2000), 0);  // atan2(0, 0) = 0, d = 0
    EXPECT_EQ(entry(1600, 2001), 1);  // n = 703
    EXPECT_EQ(entry(1600, 2100), 0);  // n = 704
    EXPECT_EQ(entry(1600, 1900), 0);  // n = -703
    EXPECT_EQ(entry(1700, 2000), 0);  // n = 0
    EXPECT_EQ(entry(1500, 2000), 1);  // n = 1,407: atan2(0, -100) = pi
    EXPECT_EQ(entry(1650, 2050), 0);  // n = 352
}

TEST(StripeTable, NegativeStripeNumbersUseTwosComplementBits)
{
    // Points on the horizontal axis left of the centre: atan2(q, 0) = -pi/2.
    for (int q = -2000; q < 0; ++q) {
        const auto n = static_cast<std::int32_t>(-448 * M_PI / 2 + 0.00004 * q * q);
        ASSERT_LT(n, 0);
        ASSERT_EQ(entry(1600, q + 2000), (n & 15) > 7 ? 1 : 0) << "q " << q;
    }
}

// The whole table's FNV-1a hash as an x86-64 build computes it: a compiler
// that fuses the multiply-add, or a libm whose atan2 rounds differently,
// moves entries whose stripe number sits on an integer.
TEST(StripeTable, SameBytesAsTheX86Build)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (std::size_t i = 0; i < kStripeBytes; ++i) {
        hash ^= filled_table()[i];
        hash *= 1099511628211ull;
    }
    EXPECT_EQ(hash, 0x6113ca4a8c70f7ceull);
}

TEST(StripeTableFast, EqualsTheReferenceOnEveryTarget)
{
    // On every SIMD target compiled in and supported here, the portable one included.
    std::string tried;
    for (std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
        SCOPED_TRACE(hwy::TargetName(target));
        tried += std::string(" ") + hwy::TargetName(target);
        hwy::SetSupportedTargetsForTest(target);
        // Start from bytes the fill never writes, so a skipped entry shows.
        std::unique_ptr<std::uint8_t, TableDeleter> fast(static_cast<std::uint8_t*>(std::malloc(kStripeBytes)));
        std::memset(fast.get(), 0xa5, kStripeBytes);
        fill_stripe_table_fast(fast.get());
        hwy::SetSupportedTargetsForTest(0);
        for (std::size_t i = 0; i < kStripeBytes; ++i)
            ASSERT_EQ(fast.get()[i], filled_table()[i])
                << "p " << int(i / kStripeCols) - kStripeRows / 2 << " q " << int(i % kStripeCols) - kStripeCols / 2;
    }
    std::printf("SIMD targets tried:%s\n", tried.c_str());
}

}  // namespace
