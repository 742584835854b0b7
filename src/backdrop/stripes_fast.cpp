// The stripe table's fast fill: atan2 once per point of the quadrant p >= 0,
// q >= 0, mirrored into the other three, with the rows shared between two threads.
#include "backdrop/stripes.h"

#include <cmath>
#include <thread>
#include <vector>

namespace {

constexpr int kHalfRows = kStripeRows / 2;  // 1,600: rows run p = -1,600 .. 1,599
constexpr int kHalfCols = kStripeCols / 2;  // 2,000: columns run q = -2,000 .. 1,999

// One thread's rows and its scratch: a row's angles (times 448) and radial terms.
struct RowScratch {
    std::vector<double> angle = std::vector<double>(kHalfCols + 1);  // atan2(m, |p|), m = 0..2,000
    std::vector<double> lower = std::vector<double>(kStripeCols);    // angle * 448 at row |p|, by column
    std::vector<double> upper = std::vector<double>(kStripeCols);    // angle * 448 at row -|p|, by column
    std::vector<double> radial = std::vector<double>(kStripeCols);   // (p*p + q*q) * 0.00004, by column
};

void write_row(std::uint8_t* table, int p, const double* angular, const double* radial)
{
    std::uint8_t* out = table + std::size_t(p + kHalfRows) * kStripeCols;
    for (int c = 0; c < kStripeCols; ++c)
        out[c] = stripe_bit(static_cast<std::int32_t>(angular[c] + radial[c]));
}

// Writes rows p and -p from the angles of row |p|. Across q the angle is odd,
// which atan2 honours exactly, so a row p >= 0 equals the straightforward fill.
// For p < 0 the angle is pi minus the mirrored one, which may differ from
// atan2's own result in the last bit.
void fill_row_pair(std::uint8_t* table, int p, RowScratch& w)
{
    for (int m = 0; m <= kHalfCols; ++m) w.angle[m] = std::atan2(double(m), double(p));
    for (int c = 0; c < kStripeCols; ++c) {
        const int q = c - kHalfCols;
        const int m = q < 0 ? -q : q;
        const double sign = q < 0 ? -1.0 : 1.0;
        // Negation and the product by 448 are exact, as in the straightforward fill.
        w.lower[c] = sign * w.angle[m] * 448;
        w.upper[c] = sign * (M_PI - w.angle[m]) * 448;
        w.radial[c] = (double(p) * p + double(q) * q) * 0.00004;
    }
    if (p < kHalfRows) write_row(table, p, w.lower.data(), w.radial.data());
    if (p > 0) write_row(table, -p, w.upper.data(), w.radial.data());
}

// Rows mirrored about p = 0 with |p| = first, first + stride, ... up to 1,600,
// whose mirror -1,600 is the table's first row (1,600 itself lies outside).
void fill_rows(std::uint8_t* table, int first, int stride)
{
    RowScratch scratch;
    for (int p = first; p <= kHalfRows; p += stride) fill_row_pair(table, p, scratch);
}

}  // namespace

void fill_stripe_table_fast(std::uint8_t* table)
{
    // Two threads, one per core of the machines the show targets; every row
    // pair costs the same, so interleaving them balances the work.
    std::thread helper(fill_rows, table, 1, 2);
    fill_rows(table, 0, 2);
    helper.join();
}
