// The glow filter across SIMD lanes, compiled once per SIMD target by Highway
// and chosen at run time. Each lane filters its own stretch of the frame; runs
// of 16 pixels are turned from lane order back into scan order and tinted.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "backdrop/glow_lanes.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "backdrop/glow_lanes.h"
#include "common/screen.h"

HWY_BEFORE_NAMESPACE();
namespace quorvex {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using D16 = hn::ScalableTag<std::uint16_t>;
using V16 = hn::Vec<D16>;

// Independent vectors of lanes stepped together, so that one vector's filter
// latency overlaps the others' work.
constexpr int kChains = 4;
// Pixels per lit-bit word, and per run handed from lane order to scan order.
constexpr int kRun = 16;
constexpr std::size_t kMaxLanes = kChains * HWY_MAX_BYTES / sizeof(std::uint16_t);

// One filter step on a vector of lanes. The stages keep their values as 16-bit
// integers (at most 254 and 252). glow1 * 160 + lit * 96 is 32 times
// 5 * glow1 + 3 * lit, so >> 8 of the one is >> 3 of the other; lit768 is 3 *
// lit, 768 or 0. The sums stay below 2,040.
HWY_INLINE void step(V16& g1, V16& g2, V16 lit768)
{
    const D16 d;
    g1 = hn::ShiftRight<3>(hn::Add(hn::Mul(g1, hn::Set(d, 5)), lit768));
    g2 = hn::ShiftRight<3>(hn::Add(hn::Mul(g2, hn::Set(d, 5)), hn::Mul(g1, hn::Set(d, 3))));
}

// 3 * lit for bit t of each lane's word: 768 where the pixel is lit.
HWY_INLINE V16 lit_input(V16 word, int t)
{
    const D16 d;
    const auto bit = hn::Set(d, static_cast<std::uint16_t>(1u << t));
    return hn::IfThenElseZero(hn::TestBit(word, bit), hn::Set(d, 768));
}

// Gathers word k of every lane's stretch: lane i's stretch starts at word i * stride.
void gather_words(const std::uint16_t* lit, std::size_t first, std::size_t stride, std::size_t lanes,
                  std::uint16_t* out)
{
    for (std::size_t i = 0; i < lanes; ++i) out[i] = lit[first + i * stride];
}

// Tints 16 filter outputs (glow2) and stores them as 16 pixel words at dst.
// Channel products as in glow_colour, in 16 bits: glow2 * 405 >> 8 is
// glow2 + (glow2 * 149 >> 8), and x * c >> 8 is the high half of x * (c << 8).
HWY_INLINE void tint_run(const std::uint16_t* glow2, std::int32_t flash, std::uint8_t* dst)
{
    const hn::CappedTag<std::uint16_t, kRun> d;
    const hn::RebindToSigned<decltype(d)> di;
    const auto red_cap = hn::Set(d, static_cast<std::uint16_t>(flash + 74));
    const auto green_limit = hn::Set(di, static_cast<std::int16_t>(flash + 56));
    const auto blue_limit = hn::Set(di, static_cast<std::int16_t>(flash + 74));
    auto* out = reinterpret_cast<std::uint16_t*>(dst);
    for (std::size_t j = 0; j < kRun; j += hn::Lanes(d)) {
        const auto g = hn::LoadU(d, glow2 + j);
        const auto red = hn::Min(hn::Add(g, hn::MulHigh(g, hn::Set(d, 149 << 8))), red_cap);
        auto green = hn::MulHigh(g, hn::Set(d, 170 << 8));
        auto blue = hn::Add(g, hn::MulHigh(g, hn::Set(d, 114 << 8)));
        // Channels stay below 400, so the signed comparison is safe.
        green = hn::IfThenElse(hn::RebindMask(d, hn::Gt(hn::BitCast(di, green), green_limit)),
                               hn::Set(d, 56), green);
        blue = hn::IfThenElse(hn::RebindMask(d, hn::Gt(hn::BitCast(di, blue), blue_limit)),
                              hn::Set(d, 74), blue);
        // The low half then the high half of each little-endian pixel word:
        // green and blue, then red (the desktop's order), or green and red, then blue.
        if constexpr (kRedShift == 16)
            hn::StoreInterleaved2(hn::Or(hn::ShiftLeft<8>(green), blue), red, d, out + 2 * j);
        else
            hn::StoreInterleaved2(hn::Or(hn::ShiftLeft<8>(green), red), blue, d, out + 2 * j);
    }
}

// Turns one vector's 16 steps (tile[t * lanes + l]: step t of lane l) into
// runs (runs[l * 16 + t]): first four steps per lane into 64-bit groups, then
// four groups per lane into a run.
#if HWY_TARGET == HWY_SCALAR
// The portable fallback has one lane per vector (GCC before 12.3 rules out the
// 128-bit emulation), too few to regroup into 64-bit words: copy element-wise.
void lanes_to_runs(const std::uint16_t* tile, std::uint16_t*, std::uint16_t* runs)
{
    const std::size_t lanes = hn::Lanes(D16());
    for (std::size_t l = 0; l < lanes; ++l)
        for (std::size_t t = 0; t < kRun; ++t) runs[l * kRun + t] = tile[t * lanes + l];
}
#else
void lanes_to_runs(const std::uint16_t* tile, std::uint16_t* quads, std::uint16_t* runs)
{
    const D16 d;
    const hn::Repartition<std::uint64_t, D16> d64;
    const std::size_t lanes = hn::Lanes(d);
    for (std::size_t q = 0; q < 4; ++q) {
        const std::uint16_t* t = tile + 4 * q * lanes;
        hn::StoreInterleaved4(hn::Load(d, t), hn::Load(d, t + lanes), hn::Load(d, t + 2 * lanes),
                              hn::Load(d, t + 3 * lanes), d, quads + 4 * q * lanes);
    }
    // quads: for each q, one 64-bit group per lane (steps 4q .. 4q + 3).
    const std::size_t per = hn::Lanes(d64);
    for (std::size_t part = 0; part < lanes; part += per) {
        auto group = [&](std::size_t q) { return hn::BitCast(d64, hn::Load(d, quads + 4 * q * lanes + 4 * part)); };
        hn::StoreInterleaved4(group(0), group(1), group(2), group(3), d64,
                              reinterpret_cast<std::uint64_t*>(runs + kRun * part));
    }
}
#endif

// Where each lane's next run of 16 pixels goes on the surface.
struct RunTarget {
    std::uint8_t* row;  // the surface row
    int x;              // first pixel of the run in that row
};

// Every lane's filter state, and whether it is known to be exact.
struct LaneStates {
    HWY_ALIGN std::uint16_t glow1[kMaxLanes];
    HWY_ALIGN std::uint16_t glow2[kMaxLanes];
    bool exact[kMaxLanes];
};

// 16 filter steps of every chain, on one lit-bit word per lane, from and back
// to the states in glow1 and glow2 (kChains vectors each); step t of chain c
// goes to tile[(c * 16 + t) * lanes] when there is a tile. The chains are
// variables of their own: scalable vectors (SVE) cannot be array elements.
HWY_INLINE void step_chains(const std::uint16_t* word, std::uint16_t* glow1, std::uint16_t* glow2,
                            std::uint16_t* tile)
{
    static_assert(kChains == 4, "one variable per chain");
    const D16 d;
    const std::size_t n = hn::Lanes(d);
    V16 a1 = hn::Load(d, glow1), b1 = hn::Load(d, glow1 + n), c1 = hn::Load(d, glow1 + 2 * n);
    V16 e1 = hn::Load(d, glow1 + 3 * n);
    V16 a2 = hn::Load(d, glow2), b2 = hn::Load(d, glow2 + n), c2 = hn::Load(d, glow2 + 2 * n);
    V16 e2 = hn::Load(d, glow2 + 3 * n);
    const V16 wa = hn::Load(d, word), wb = hn::Load(d, word + n), wc = hn::Load(d, word + 2 * n);
    const V16 we = hn::Load(d, word + 3 * n);
    for (int t = 0; t < kRun; ++t) {
        step(a1, a2, lit_input(wa, t));
        step(b1, b2, lit_input(wb, t));
        step(c1, c2, lit_input(wc, t));
        step(e1, e2, lit_input(we, t));
        if (tile == nullptr) continue;
        hn::Store(a2, d, tile + std::size_t(t) * n);
        hn::Store(b2, d, tile + std::size_t(kRun + t) * n);
        hn::Store(c2, d, tile + std::size_t(2 * kRun + t) * n);
        hn::Store(e2, d, tile + std::size_t(3 * kRun + t) * n);
    }
    hn::Store(a1, d, glow1);
    hn::Store(b1, d, glow1 + n);
    hn::Store(c1, d, glow1 + 2 * n);
    hn::Store(e1, d, glow1 + 3 * n);
    hn::Store(a2, d, glow2);
    hn::Store(b2, d, glow2 + n);
    hn::Store(c2, d, glow2 + 2 * n);
    hn::Store(e2, d, glow2 + 3 * n);
}

// Each lane's state at the start of its stretch (words lit-bit words long):
// run from both extreme states through the warm-up; where the two agree the
// state is exact. Lane 0 has no warm-up and takes the carried state.
void warm_up(const GlowJob& job, const GlowFilter& glow, std::size_t words, int warmup, LaneStates& out)
{
    const std::size_t total = kChains * hn::Lanes(D16());
    HWY_ALIGN std::uint16_t high1[kMaxLanes], high2[kMaxLanes];
    for (std::size_t i = 0; i < total; ++i) {
        out.glow1[i] = 0;
        out.glow2[i] = 0;
        high1[i] = kGlow1Max;
        high2[i] = kGlow2Max;
    }
    HWY_ALIGN std::uint16_t word[kMaxLanes];
    for (int b = 0; b < warmup / kRun; ++b) {
        // Lane 0 reads stretch 0 instead; its result is replaced below.
        word[0] = job.lit[std::size_t(b)];
        gather_words(job.lit, words - std::size_t(warmup / kRun) + std::size_t(b), words, total - 1, word + 1);
        step_chains(word, out.glow1, out.glow2, nullptr);
        step_chains(word, high1, high2, nullptr);
    }
    for (std::size_t i = 0; i < total; ++i) out.exact[i] = out.glow1[i] == high1[i] && out.glow2[i] == high2[i];
    out.exact[0] = true;
    out.glow1[0] = static_cast<std::uint16_t>(glow.glow1);
    out.glow2[0] = static_cast<std::uint16_t>(glow.glow2);
}

// Filters every lane's stretch from its start state, 16 pixels at a time,
// tinting and storing the runs; leaves each lane's end state in states.
void filter_stretches(const GlowJob& job, std::size_t words, LaneStates& states)
{
    const D16 d;
    const std::size_t lanes = hn::Lanes(d);
    const std::size_t total = kChains * lanes;
    const int stretch = int(words) * kRun;
    RunTarget target[kMaxLanes];
    for (std::size_t i = 0; i < total; ++i) {
        const int first = int(i) * stretch;
        target[i] = {job.pixels + (first / job.width) * job.pitch, first % job.width};
    }
    // tile: chain c's step t at tile[(c * 16 + t) * lanes]; quads and runs: one chain's.
    HWY_ALIGN std::uint16_t word[kMaxLanes];
    HWY_ALIGN std::uint16_t tile[kRun * kMaxLanes];
    HWY_ALIGN std::uint16_t quads[kRun * kMaxLanes / kChains];
    HWY_ALIGN std::uint16_t runs[kRun * kMaxLanes / kChains];
    for (std::size_t k = 0; k < words; ++k) {
        gather_words(job.lit, k, words, total, word);
        step_chains(word, states.glow1, states.glow2, tile);
        for (int c = 0; c < kChains; ++c) {
            lanes_to_runs(tile + std::size_t(c * kRun) * lanes, quads, runs);
            for (std::size_t l = 0; l < lanes; ++l) {
                RunTarget& to = target[std::size_t(c) * lanes + l];
                tint_run(runs + l * kRun, job.flash, to.row + 4 * to.x);
                to.x += kRun;
                if (to.x == job.width) {
                    to.x = 0;
                    to.row += job.pitch;
                }
            }
        }
    }
}

void GlowLanes(const GlowJob& job, GlowFilter& glow, int warmup)
{
    const std::size_t total = kChains * hn::Lanes(D16());
    const int pixels = job.width * job.height;
    // Every stretch is a whole number of 16-pixel runs; the rest, fewer than
    // 16 * total pixels, is filtered serially at the end.
    const int stretch = pixels / (kRun * int(total)) * kRun;
    const bool reachable = glow.glow1 >= 0 && glow.glow1 <= kGlow1Max && glow.glow2 >= 0 && glow.glow2 <= kGlow2Max;
    if (!reachable || stretch < warmup || stretch == 0 || warmup % kRun != 0) {
        glow_serial(job, glow, 0, pixels);
        return;
    }
    const std::size_t words = std::size_t(stretch / kRun);
    LaneStates states;
    warm_up(job, glow, words, warmup, states);
    filter_stretches(job, words, states);

    // Lanes in order: an exact lane's end state is the next lane's start; an
    // inexact one is redone from the previous lane's end.
    GlowFilter carry = glow;
    for (std::size_t i = 0; i < total; ++i) {
        if (states.exact[i])
            carry = {states.glow1[i], states.glow2[i]};
        else
            glow_serial(job, carry, int(i) * stretch, int(i + 1) * stretch);
    }
    glow_serial(job, carry, int(total) * stretch, pixels);
    glow = carry;
}

std::int64_t GlowTarget()
{
    return HWY_TARGET;
}

}  // namespace HWY_NAMESPACE
}  // namespace quorvex
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
// Dispatch from inside the namespace, so that a build with the baseline target
// alone (static dispatch) names the functions the same way.
namespace quorvex {
HWY_EXPORT(GlowLanes);
HWY_EXPORT(GlowTarget);

void dispatch_glow_lanes(const GlowJob& job, GlowFilter& glow, int warmup)
{
    HWY_DYNAMIC_DISPATCH(GlowLanes)(job, glow, warmup);
}

std::int64_t dispatch_glow_target()
{
    return HWY_DYNAMIC_DISPATCH(GlowTarget)();
}
}  // namespace quorvex

void glow_lanes(const GlowJob& job, GlowFilter& glow, int warmup)
{
    quorvex::dispatch_glow_lanes(job, glow, warmup);
}

const char* glow_lanes_target()
{
    return hwy::TargetName(quorvex::dispatch_glow_target());
}
#endif
