// Rusted steel. Rust grows in patches (a warped low-frequency mask), is
// darker and flakier where thick, and leaves bare steel on worn edges; light
// comes from the top left, as on every painted plate of the show.
#include "rust.h"

#include "noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr V3 kSteel{0.56f, 0.57f, 0.60f};
constexpr V3 kDarkRust{0.23f, 0.085f, 0.035f};
constexpr V3 kRust{0.62f, 0.25f, 0.07f};
constexpr V3 kOrange{0.93f, 0.50f, 0.16f};
constexpr V3 kRim{0.05f, 0.025f, 0.02f};
const V3 kLight = normalize(V3{-0.55f, -0.65f, 0.55f});  // x right, y down, z towards the viewer

// Bevel profile: 0 at the shape's edge rising to 1 at `bevel` inside, as a
// quarter circle so the crest is round and catches a highlight.
float bevel_height(float depth, float bevel)
{
    const float t = clamp01(depth / bevel);
    return std::sqrt(1.0f - (1.0f - t) * (1.0f - t));
}

// Direction of increasing distance (pointing out of the shape), from central differences.
V2 outward(const Field& f, int x, int y)
{
    const V2 g{f.clamped(x + 1, y) - f.clamped(x - 1, y), f.clamped(x, y + 1) - f.clamped(x, y - 1)};
    const float len = length(g);
    return len > 1e-6f ? g * (1.0f / len) : V2{0, 0};
}

V3 surface_normal(const Field& f, int x, int y, float depth, const MetalStyle& st, float px, float py)
{
    const float step = 0.5f;
    const float slope = (bevel_height(depth + step, st.bevel) - bevel_height(depth - step, st.bevel)) / (2.0f * step);
    const V2 out = outward(f, x, y);
    // Height rises inwards, so the normal leans outwards, scaled up to make the bevel read.
    V3 n{out.x * slope * st.bevel * 0.35f, out.y * slope * st.bevel * 0.35f, 1.0f};
    const float hx = rust_at(px + 1, py, st.grain, st.seed).height - rust_at(px - 1, py, st.grain, st.seed).height;
    const float hy = rust_at(px, py + 1, st.grain, st.seed).height - rust_at(px, py - 1, st.grain, st.seed).height;
    n = n - V3{hx * 0.5f, hy * 0.5f, 0.0f};
    return normalize(n);
}

V3 shade_face(const RustSample& r, V3 n, float depth, float bevel)
{
    const float diffuse = std::max(0.0f, dot(n, kLight));
    const V3 half = normalize(kLight + V3{0, 0, 1});
    const float gloss = 8.0f + 56.0f * r.shine;
    const float glint = std::pow(std::max(0.0f, dot(n, half)), gloss) * (0.12f + 0.9f * r.shine);
    // Worn edges: the bevel's crest is rubbed back to bright steel.
    const float wear = smoothstep(0.6f, 0.0f, std::fabs(depth - bevel * 0.35f)) * 0.35f;
    const V3 base = mix(r.albedo, kSteel, wear);
    // Light gathers less in the deep corners next to the rim.
    const float occlusion = 0.55f + 0.45f * smoothstep(0.0f, bevel * 0.6f, depth);
    return base * (0.28f * occlusion + 0.95f * diffuse) + V3{1.0f, 0.93f, 0.82f} * glint;
}

}  // namespace

RustSample rust_at(float x, float y, float grain, std::uint32_t seed)
{
    const float u = x / grain, v = y / grain;
    // Domain warp makes the patches ragged like real corrosion fronts.
    const float wx = fbm2(u + 3.1f, v, 3, 0.5f, seed + 11) - 0.5f;
    const float wy = fbm2(u, v + 7.7f, 3, 0.5f, seed + 23) - 0.5f;
    const float patch = fbm2(u + wx * 1.6f, v + wy * 1.6f, 4, 0.55f, seed + 37);
    const float fine = fbm2(x * 0.35f, y * 0.35f, 3, 0.6f, seed + 51);
    const float speck = noise2(x * 0.9f, y * 0.9f, seed + 67);

    const float rust = smoothstep(0.36f, 0.56f, patch + (fine - 0.5f) * 0.25f);
    const float thick = smoothstep(0.55f, 0.8f, patch);
    V3 scale = mix(kRust, kOrange, smoothstep(0.35f, 0.75f, fine));
    scale = mix(scale, kDarkRust, thick * 0.8f);
    scale = scale * (0.8f + 0.4f * speck);
    const V3 steel = kSteel * (0.75f + 0.35f * fine);
    RustSample s;
    s.albedo = mix(steel, scale, rust);
    s.shine = (1.0f - rust) * (0.6f + 0.4f * fine);
    s.height = rust * (fine * 2.5f + thick * 1.5f) - (speck > 0.85f ? 1.0f : 0.0f);
    return s;
}

void paint_rusted_metal(Canvas& canvas, int ox, int oy, const Field& shape, const MetalStyle& st, ClipBox clip)
{
    for (int fy = 0; fy < shape.h; ++fy)
        for (int fx = 0; fx < shape.w; ++fx) {
            const int x = ox + fx, y = oy + fy;
            if (x < clip.x0 || x >= clip.x1 || y < clip.y0 || y >= clip.y1) continue;
            const float d = shape.at(fx, fy);
            const float outer = clamp01(st.outline + 0.5f - d);
            if (outer <= 0.0f) continue;
            const float face = clamp01(0.5f - d);
            V3 colour = kRim;
            if (face > 0.0f) {
                const float depth = std::max(0.0f, -d);
                const float px = float(x), py = float(y);
                const RustSample r = rust_at(px, py, st.grain, st.seed);
                const V3 n = surface_normal(shape, fx, fy, depth, st, px, py);
                colour = mix(kRim, shade_face(r, n, depth, st.bevel), face);
            }
            canvas.blend(x, y, covered(colour, outer));
        }
}
