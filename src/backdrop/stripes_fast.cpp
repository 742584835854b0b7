// The stripe table's fast fill: angles once per point of the quadrant p >= 0,
// q >= 0, eight or so at a time with SIMD, mirrored into the other three
// quadrants, with the rows shared between two threads. Entries whose stripe
// number sits on an integer are taken from the reference, so the table is the
// same on every machine.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "backdrop/stripes_fast.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>
#include <hwy/contrib/math/math-inl.h>

#include "backdrop/stripes.h"

#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#ifndef QUORVEX_STRIPES_FAST_ONCE
#define QUORVEX_STRIPES_FAST_ONCE
namespace quorvex {

constexpr int kHalfRows = kStripeRows / 2;  // 1,600: rows run p = -1,600 .. 1,599
constexpr int kHalfCols = kStripeCols / 2;  // 2,000: columns run q = -2,000 .. 1,999
// Mirror distances m = |q| run 0 .. 2,000; padded so whole vectors of up to 8
// doubles never run past the scratch rows.
constexpr int kMirrorSpan = kHalfCols + 8;

// One thread's scratch for a pair of rows p and -p, indexed by m = |q|:
// the entries at q = m and q = -m of each row.
struct RowPair {
    std::vector<double> angle = std::vector<double>(kMirrorSpan);  // atan2(m, p)
    std::vector<std::uint8_t> lower_right = std::vector<std::uint8_t>(kMirrorSpan);  // row p, q = m
    std::vector<std::uint8_t> lower_left = std::vector<std::uint8_t>(kMirrorSpan);   // row p, q = -m
    std::vector<std::uint8_t> upper_right = std::vector<std::uint8_t>(kMirrorSpan);  // row -p, q = m
    std::vector<std::uint8_t> upper_left = std::vector<std::uint8_t>(kMirrorSpan);   // row -p, q = -m
};

}  // namespace quorvex
#endif

HWY_BEFORE_NAMESPACE();
namespace quorvex {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using DF = hn::ScalableTag<double>;

// atan2(m, p) for m = 0 .. 2,000 and p >= 0: atan(m / p) within 3 ulp, and
// the library's exact pi/2 on the row p = 0 (m / 0 would be infinite).
void mirror_angles(int p, double* angle)
{
    if (p == 0) {
        for (int m = 0; m < kMirrorSpan; ++m) angle[m] = std::atan2(double(m), 0.0);
        return;
    }
    const DF d;
    const auto pv = hn::Set(d, double(p));
    for (int m = 0; m < kMirrorSpan; m += int(hn::Lanes(d)))
        hn::StoreU(hn::Atan(d, hn::Div(hn::Iota(d, double(m)), pv)), d, angle + m);
}

// Bit 3 of trunc(n), one byte per lane.
HWY_INLINE void store_bits(hn::Vec<DF> n, std::uint8_t* out)
{
    const hn::Rebind<std::int32_t, DF> di;
    const hn::Rebind<std::uint8_t, DF> du8;
    const auto whole = hn::DemoteTo(di, n);  // truncates toward zero
    hn::StoreU(hn::DemoteTo(du8, hn::And(hn::ShiftRight<3>(whole), hn::Set(di, 1))), du8, out);
}

// The entries at row p, columns sign * (m + i) for every lane i: bit 3 of n
// where it is safely away from an integer, else the reference's own entry.
// Our angles and sums differ from atan2's in the last bits only (well under
// 1e-11 here), so beyond kNearInteger both truncate alike and the table is
// the reference's on every processor and SIMD target.
HWY_INLINE void store_entries(hn::Vec<DF> n, int p, int sign, int m, std::uint8_t* out)
{
    constexpr double kNearInteger = 1e-9;
    const DF d;
    store_bits(n, out);
    if (hn::AllFalse(d, hn::Lt(hn::Abs(hn::Sub(n, hn::Round(n))), hn::Set(d, kNearInteger)))) return;
    for (int i = 0; i < int(hn::Lanes(d)); ++i) out[i] = stripe_at(p, sign * (m + i));
}

// The four entries at (p, +-m) and (-p, +-m) for every m. The angle is odd in
// q, and at -p it is pi minus the angle at p.
void mirror_entries(int p, RowPair& w)
{
    const DF d;
    const auto k448 = hn::Set(d, 448.0);
    const auto pi = hn::Set(d, M_PI);
    const auto pp = hn::Set(d, double(p) * p);
    for (int m = 0; m < kMirrorSpan; m += int(hn::Lanes(d))) {
        const auto mv = hn::Iota(d, double(m));
        const auto a = hn::LoadU(d, w.angle.data() + m);
        const auto radial = hn::Mul(hn::Add(pp, hn::Mul(mv, mv)), hn::Set(d, 0.00004));
        const auto lower = hn::Mul(a, k448);
        const auto upper = hn::Mul(hn::Sub(pi, a), k448);
        store_entries(hn::Add(lower, radial), p, 1, m, w.lower_right.data() + m);
        store_entries(hn::Add(hn::Neg(lower), radial), p, -1, m, w.lower_left.data() + m);
        store_entries(hn::Add(upper, radial), -p, 1, m, w.upper_right.data() + m);
        store_entries(hn::Add(hn::Neg(upper), radial), -p, -1, m, w.upper_left.data() + m);
    }
}

void FillRows(std::uint8_t* table, int first, int stride)
{
    RowPair w;
    for (int p = first; p <= kHalfRows; p += stride) {
        mirror_angles(p, w.angle.data());
        mirror_entries(p, w);
        auto write_row = [&](int row_p, const std::uint8_t* right, const std::uint8_t* left) {
            std::uint8_t* out = table + std::size_t(row_p + kHalfRows) * kStripeCols;
            for (int c = 0; c < kHalfCols; ++c) out[c] = left[kHalfCols - c];  // q = c - 2,000 < 0
            std::memcpy(out + kHalfCols, right, kHalfCols);
        };
        // Row 1,600 lies just outside the table; its mirror -1,600 is the first row.
        if (p < kHalfRows) write_row(p, w.lower_right.data(), w.lower_left.data());
        if (p > 0) write_row(-p, w.upper_right.data(), w.upper_left.data());
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace quorvex
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
// Dispatch from inside the namespace, so that a build with the baseline target
// alone (static dispatch) names the function the same way.
namespace quorvex {
HWY_EXPORT(FillRows);

void fill_rows(std::uint8_t* table, int first, int step)
{
    HWY_DYNAMIC_DISPATCH(FillRows)(table, first, step);
}
}  // namespace quorvex

void fill_stripe_table_fast(std::uint8_t* table)
{
#ifdef __EMSCRIPTEN__
    // A page's program has one thread (threads there need headers a plain
    // static host does not send).
    quorvex::fill_rows(table, 0, 1);
#else
    // Two threads, one per core of the machines the show targets; every row
    // pair costs the same, so interleaving them balances the work.
    std::thread helper([table] { quorvex::fill_rows(table, 1, 2); });
    quorvex::fill_rows(table, 0, 2);
    helper.join();
#endif
}
#endif
