// The stripe table: one black-and-white spiral-stripe pattern on a grid four
// times finer than the screen, built once before the window opens and only
// read afterwards by the backdrop.
#pragma once

#include <cstddef>
#include <cstdint>

// 3,200 rows of 4,000 bytes, row after row; row r is the vertical offset
// r - 1,600 from the centre, column c the horizontal offset c - 2,000.
// Every byte is 0 or 1.
constexpr int kStripeRows = 3200;
constexpr int kStripeCols = 4000;
constexpr std::size_t kStripeBytes = std::size_t(kStripeRows) * kStripeCols;
// Byte offset of the centre (row 1,600, column 2,000).
constexpr std::size_t kStripeCentre = 1600 * std::size_t(kStripeCols) + 2000;

// The table, allocated and filled by the show's start-up; null before that.
extern std::uint8_t* atnt;

// 1 when the low four bits of the stripe number n exceed 7: bit 3 of the
// two's-complement value, so -1 and -8 give 1 and -9 gives 0.
constexpr std::uint8_t stripe_bit(std::int32_t n)
{
    return static_cast<std::uint8_t>((static_cast<std::uint32_t>(n) >> 3) & 1u);
}

// The pattern's value at vertical offset p and horizontal offset q:
// bit 3 of trunc(atan2(q, p) * 448 + (q*q + p*p) * 0.00004).
std::uint8_t stripe_at(int p, int q);

// Writes every byte of a kStripeBytes block, in row order. The straightforward
// fill: the reference the fast one is held to.
void fill_stripe_table(std::uint8_t* table);

// The same table on two threads, one angle per four entries (the quadrant
// p >= 0, q >= 0, mirrored), computed with SIMD on the widest target the
// processor has. Equal to fill_stripe_table, byte for byte: where an entry's
// stripe number lies within rounding of an integer it takes stripe_at's.
void fill_stripe_table_fast(std::uint8_t* table);
