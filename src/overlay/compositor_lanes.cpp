// The compositor's blend across SIMD lanes, one pixel per 32-bit lane, compiled
// once per x86 target by Highway and chosen at run time like the backdrop's.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "overlay/compositor_lanes.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "overlay/compositor.h"

HWY_BEFORE_NAMESPACE();
namespace quorvex {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// blend_row_scalar's arithmetic on a vector of pixels: red and blue share a
// multiply (each 16-bit field stays below 65536), green takes another.
template <class D>
HWY_INLINE hn::Vec<D> blend(D du, hn::Vec<D> s, hn::Vec<D> d, hn::Vec<D> a)
{
    using V = hn::Vec<D>;
    const V rb_mask = hn::Set(du, 0xff00ffu);
    const V g_mask = hn::Set(du, 0xff00u);
    const V blue = hn::Set(du, 0xffu);
    const V inv = hn::Sub(hn::Set(du, 256u), a);
    const V rb_sum = hn::Add(hn::Mul(hn::And(s, rb_mask), a), hn::Mul(hn::And(d, rb_mask), inv));
    const V rb = hn::And(hn::ShiftRight<8>(hn::Add(rb_sum, rb_mask)), rb_mask);
    const V g_sum = hn::Add(hn::Mul(hn::And(s, g_mask), a), hn::Mul(hn::And(d, g_mask), inv));
    const V g = hn::And(hn::ShiftRight<8>(hn::Add(g_sum, g_mask)), g_mask);
    // The classic blend's unsigned wrap leaves bit 24 set where blue went down.
    const auto blue_down = hn::Lt(hn::And(rb, blue), hn::And(d, blue));
    const V out = hn::Or(hn::Or(rb, g), hn::IfThenElseZero(blue_down, hn::Set(du, 0x01000000u)));
    // Alpha 0 leaves the screen's pixel alone, its top byte included.
    return hn::IfThenElse(hn::Eq(a, hn::Zero(du)), d, out);
}

// Blends whole vectors of D from pixel x on while they fit in w; returns where it stopped.
template <class D>
HWY_INLINE int blend_vectors(D du, const std::uint32_t* src, std::uint32_t* dst, int x, int w)
{
    const int n = static_cast<int>(hn::Lanes(du));
    for (; x + n <= w; x += n) {
        const auto s = hn::LoadU(du, src + x);
        const auto a = hn::ShiftRight<24>(s);
        // Glyph cells are mostly clear: a clear vector leaves the screen as it is.
        if (hn::AllTrue(du, hn::Eq(a, hn::Zero(du)))) continue;
        hn::StoreU(blend(du, s, hn::LoadU(du, dst + x), a), du, dst + x);
    }
    return x;
}

void BlendRows(const std::uint32_t* src, std::ptrdiff_t src_stride, std::uint32_t* dst,
               std::ptrdiff_t dst_stride, int w, int h)
{
    // Tails in vectors of 8 and 4 where the target is wider: glyphs are 36 to
    // 108 pixels wide, multiples of 4.
    const hn::ScalableTag<std::uint32_t> full;
    const hn::CappedTag<std::uint32_t, 8> eight;
    const hn::CappedTag<std::uint32_t, 4> four;
    for (int y = 0; y < h; ++y, src += src_stride, dst += dst_stride) {
        int x = blend_vectors(full, src, dst, 0, w);
        if (hn::Lanes(full) > 8) x = blend_vectors(eight, src, dst, x, w);
        if (hn::Lanes(full) > 4) x = blend_vectors(four, src, dst, x, w);
        blend_row_scalar(src + x, dst + x, w - x);
    }
}

std::int64_t BlendTarget()
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
HWY_EXPORT(BlendRows);
HWY_EXPORT(BlendTarget);

void dispatch_blend_rows(const std::uint32_t* src, std::ptrdiff_t src_stride, std::uint32_t* dst,
                         std::ptrdiff_t dst_stride, int w, int h)
{
    HWY_DYNAMIC_DISPATCH(BlendRows)(src, src_stride, dst, dst_stride, w, h);
}

std::int64_t dispatch_blend_target()
{
    return HWY_DYNAMIC_DISPATCH(BlendTarget)();
}
}  // namespace quorvex

void blend_rows_simd(const std::uint32_t* src, std::ptrdiff_t src_stride, std::uint32_t* dst,
                     std::ptrdiff_t dst_stride, int w, int h)
{
    quorvex::dispatch_blend_rows(src, src_stride, dst, dst_stride, w, h);
}

const char* blend_rows_target()
{
    return hwy::TargetName(quorvex::dispatch_blend_target());
}
#endif
