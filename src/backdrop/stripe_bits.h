// The stripe table rearranged for the fast backdrop: a layer samples every
// fourth column, so the columns of each residue mod 4 are packed side by side
// into bits, and the three layers of a row combine with word operations.
#pragma once

#include "backdrop/stripes.h"

#include <cstddef>
#include <cstdint>

// Column residues mod 4: which quarter-pixel offset a layer's centre has.
constexpr int kStripePhases = 4;
// 64-bit words per packed run: 1,000 columns of one residue in 1,024 bits, the last 24 zero.
constexpr int kStripeRunWords = 16;
// 3,200 rows x 4 residues x 16 words (1.6 MB). Run (r, k) starts at word
// (r * 4 + k) * 16, and bit j (bit j % 64 of word j / 64) of it is the table
// byte at row r, column 4 * j + k.
constexpr std::size_t kStripeBitsWords = std::size_t(kStripeRows) * kStripePhases * kStripeRunWords;

// The packed table, allocated and filled by the show's start-up from atnt; null before that.
extern std::uint64_t* atnb;

// The first word of the run holding row `row`, columns of residue `phase`.
inline const std::uint64_t* stripe_run(const std::uint64_t* bits, int row, int phase)
{
    return bits + (std::size_t(row) * kStripePhases + phase) * kStripeRunWords;
}

// Packs a filled kStripeBytes table into a kStripeBitsWords block.
void pack_stripe_table(const std::uint8_t* table, std::uint64_t* bits);
