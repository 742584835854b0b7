// Packs the stripe table into runs of bits, one per row and column residue.
#include "backdrop/stripe_bits.h"

std::uint64_t* atnb = nullptr;

namespace {

// Packs one table row: byte c goes to bit c / 4 of run c % 4.
void pack_row(const std::uint8_t* row, std::uint64_t* runs)
{
    for (int k = 0; k < kStripePhases; ++k) {
        std::uint64_t* run = runs + k * kStripeRunWords;
        for (int w = 0; w < kStripeRunWords; ++w) {
            std::uint64_t word = 0;
            for (int j = 0; j < 64; ++j) {
                const int c = 4 * (64 * w + j) + k;
                if (c < kStripeCols) word |= std::uint64_t(row[c] & 1u) << j;
            }
            run[w] = word;
        }
    }
}

}  // namespace

void pack_stripe_table(const std::uint8_t* table, std::uint64_t* bits)
{
    for (int r = 0; r < kStripeRows; ++r)
        pack_row(table + std::size_t(r) * kStripeCols, bits + std::size_t(r) * kStripePhases * kStripeRunWords);
}
