// Builds the stripe table: an angular term bends ~176 stripes around the centre,
// and a radial term in the squared distance winds them into spirals.
#include "backdrop/stripes.h"

#include <cmath>

std::uint8_t* atnt = nullptr;

std::uint8_t stripe_at(int p, int q)
{
    const std::int32_t d = q * q + p * p;  // at most 6,560,000
    const double n_real = std::atan2(double(q), double(p)) * 448 + d * 0.00004;
    return stripe_bit(static_cast<std::int32_t>(n_real));
}

void fill_stripe_table(std::uint8_t* table)
{
    std::uint8_t* out = table;
    for (int p = -kStripeRows / 2; p < kStripeRows / 2; ++p)
        for (int q = -kStripeCols / 2; q < kStripeCols / 2; ++q)
            *out++ = stripe_at(p, q);
}
