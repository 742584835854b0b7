// The fast backdrop's frame set-up: layer centres and pulse as the reference
// computes them, the three layers combined 64 pixels at a time into the
// frame's lit bits, then the filter stage; plus the serial filter it falls back on.
#include "backdrop/backdrop_fast.h"

#include "backdrop/stripe_bits.h"
#include "common/screen.h"

#include <cstring>

namespace {

// 64-bit words holding one row's 800 lit bits (832 bits, the last 32 unused).
constexpr int kRowWords = 13;
// 16-bit words per row in the frame's bit buffer: 800 / 16.
constexpr int kRowLitWords = kScreenWidth / 16;

// The frame's lit bits, rebuilt every frame (see GlowJob::lit).
std::uint16_t lit_bits[kScreenWidth * kScreenHeight / 16];

// ORs 13 words of a packed run, starting at bit `first`, into dark. The run has
// 16 words and first is at most 190 for every centre the motion tables give,
// so word first / 64 + 13 is still inside it.
void or_layer(const std::uint64_t* run, int first, std::uint64_t* dark)
{
    const std::uint64_t* w = run + (first >> 6);
    const unsigned shift = unsigned(first) & 63u;
    for (int m = 0; m < kRowWords; ++m)
        // The split shift keeps shift 0 defined: the high word then contributes nothing.
        dark[m] |= w[m] >> shift | (w[m + 1] << 1) << (63u - shift);
}

// Row y's lit bits: a layer with centre (X, Y) in quarter pixels reads table row
// 1,600 + 4y - Y at columns 2,000 - X + 4x, that is bits (2,000 - X) / 4 + x of
// the run of residue (2,000 - X) mod 4.
void lit_row(const std::uint64_t* bits, const LayerCentre* centre, int y, std::uint16_t* out)
{
    std::uint64_t dark[kRowWords] = {};
    for (int i = 0; i < kLayerCount; ++i) {
        const int row = kStripeRows / 2 + 4 * y - centre[i].y;
        const int col = kStripeCols / 2 - centre[i].x;
        or_layer(stripe_run(bits, row, col & 3), col >> 2, dark);
    }
    for (std::uint64_t& word : dark) word = ~word;
    // Every machine the show builds for (x86-64, 64-bit ARM, WebAssembly) is
    // little-endian: the first 100 bytes of dark are bits 0..799 as 16-bit words.
    std::memcpy(out, dark, kRowLitWords * sizeof(std::uint16_t));
}

}  // namespace

void glow_serial(const GlowJob& job, GlowFilter& glow, int from, int to)
{
    int p = from;
    while (p < to) {
        const int y = p / job.width;
        const int row_end = (y + 1) * job.width < to ? (y + 1) * job.width : to;
        auto* out = reinterpret_cast<std::uint32_t*>(job.pixels + y * job.pitch);
        for (int x = p - y * job.width; p < row_end; ++p, ++x) {
            const bool lit = job.lit[p >> 4] >> (p & 15) & 1u;
            glow_step(glow, lit ? 256 : 0);
            out[x] = glow_colour(glow.glow2, job.flash);
        }
    }
}

bool draw_backdrop_fast(SDL_Surface* s, const std::uint64_t* bits, double phase, double beat,
                        GlowFilter& glow, int warmup)
{
    if (bits == nullptr || s->w != kScreenWidth || s->h != kScreenHeight) return false;
    LayerCentre centre[kLayerCount];
    layer_centres(backdrop_layout(beat), phase, s->w, s->h, centre);
    for (int y = 0; y < kScreenHeight; ++y) lit_row(bits, centre, y, lit_bits + y * kRowLitWords);

    const GlowJob job{lit_bits, static_cast<std::uint8_t*>(s->pixels), s->pitch,
                      kScreenWidth, kScreenHeight, backdrop_flash(beat)};
    glow_lanes(job, glow, warmup);
    return true;
}
