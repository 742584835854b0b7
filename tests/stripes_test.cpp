// The stripe table: values near the centre (above it the angle is pi, not a
// mirror of the column below), the two's-complement bit test for negative
// stripe numbers, and the fast fill against the reference.
#include "backdrop/stripes.h"

#include <gtest/gtest.h>
#include <hwy/targets.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

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

// The stripe number in extended precision, to judge how close to an integer it lies.
long double precise_stripe_number(int p, int q)
{
    return std::atan2(static_cast<long double>(q), static_cast<long double>(p)) * 448 +
           (static_cast<long double>(q) * q + static_cast<long double>(p) * p) * 0.00004L;
}

// Compares a fast fill with the reference entry by entry.
void expect_fast_fill_matches()
{
    // Start from bytes the fill never writes, so a skipped entry shows.
    std::unique_ptr<std::uint8_t, TableDeleter> fast(static_cast<std::uint8_t*>(std::malloc(kStripeBytes)));
    std::memset(fast.get(), 0xa5, kStripeBytes);
    fill_stripe_table_fast(fast.get());
    const std::uint8_t* reference = filled_table();
    std::size_t differing = 0;
    for (std::size_t i = 0; i < kStripeBytes; ++i) {
        if (fast.get()[i] == reference[i]) continue;
        const int p = int(i / kStripeCols) - kStripeRows / 2;
        const int q = int(i % kStripeCols) - kStripeCols / 2;
        ASSERT_LE(fast.get()[i], 1) << "p " << p << " q " << q;
        // Rounding in double moves n by well under 1e-9 at these magnitudes (< 2,000).
        const long double n = precise_stripe_number(p, q);
        ASSERT_LT(std::fabs(n - std::nearbyint(n)), 1e-9L) << "p " << p << " q " << q;
        ++differing;
    }
    EXPECT_LT(differing, kStripeBytes / 10000);
}

TEST(StripeTableFast, DiffersOnlyWhereTheStripeNumberSitsOnAnInteger)
{
    // On every SIMD target compiled in and supported here, the portable one included.
    for (std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
        SCOPED_TRACE(hwy::TargetName(target));
        hwy::SetSupportedTargetsForTest(target);
        expect_fast_fill_matches();
        hwy::SetSupportedTargetsForTest(0);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
