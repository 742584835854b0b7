// Packs the stripe table into runs of bits, one per row and column residue.
#include "backdrop/stripe_bits.h"

#include <cstring>

std::uint64_t* atnb = nullptr;

namespace {

// Columns of one residue in a row: 4,000 / 4.
constexpr int kRunLength = kStripeCols / kStripePhases;

// Eight indices j0 .. j0 + 7 of all four runs at once. The four bytes at
// column 4j are index j of runs 0 to 3, each 0 or 1; shifting that group left
// by j - j0 and ORing the groups leaves in byte k the eight bits of run k.
// (On the little-endian machines the show builds for, byte k of the loaded
// group is column 4j + k.)
std::uint32_t gather_eight(const std::uint8_t* row, int j0)
{
    std::uint32_t bits = 0;
    for (int i = 0; i < 8 && j0 + i < kRunLength; ++i) {
        std::uint32_t group;
        std::memcpy(&group, row + 4 * (j0 + i), sizeof group);
        bits |= (group & 0x01010101u) << i;
    }
    return bits;
}

// Packs one table row: byte c goes to bit c / 4 of run c % 4.
void pack_row(const std::uint8_t* row, std::uint64_t* runs)
{
    for (int w = 0; w < kStripeRunWords; ++w) {
        std::uint64_t word[kStripePhases] = {};
        for (int b = 0; b < 8 && 64 * w + 8 * b < kRunLength; ++b) {
            const std::uint32_t bits = gather_eight(row, 64 * w + 8 * b);
            for (int k = 0; k < kStripePhases; ++k) word[k] |= std::uint64_t(bits >> (8 * k) & 0xffu) << (8 * b);
        }
        for (int k = 0; k < kStripePhases; ++k) runs[k * kStripeRunWords + w] = word[k];
    }
}

}  // namespace

void pack_stripe_table(const std::uint8_t* table, std::uint64_t* bits)
{
    for (int r = 0; r < kStripeRows; ++r)
        pack_row(table + std::size_t(r) * kStripeCols, bits + std::size_t(r) * kStripePhases * kStripeRunWords);
}
