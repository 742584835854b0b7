// Ray-marching of signed-distance scenes, and the "darkroom" that develops a
// scene's linear light into a photograph-like picture.
#pragma once

#include "canvas.h"
#include "vec.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

// The picture size every photograph is rendered at, so that flicking between
// them never jumps.
constexpr int kPhotoWidth = 640;
constexpr int kPhotoHeight = 400;

struct Camera {
    V3 eye, forward, right, up;
    float zoom;  // focal length in units of half the picture's width
};

Camera look_at(V3 eye, V3 target, float horizontal_fov_degrees);
// Direction through picture position (px, py), in pixels from the top left.
V3 primary_ray(const Camera& cam, float px, float py);

// Distance along rd to the first surface of `sdf`, or -1 when none is met
// before tmax within `steps` steps. The hit tolerance grows with distance,
// which is all a pixel can resolve.
template <class Sdf>
float march(const Sdf& sdf, V3 ro, V3 rd, float tmin, float tmax, int steps)
{
    float t = tmin;
    for (int i = 0; i < steps && t < tmax; ++i) {
        const float d = sdf(ro + rd * t);
        if (d < 0.0008f * t) return t;
        t += d;
    }
    return -1.0f;
}

// Unit normal from the tetrahedron of four samples (four evaluations, not six).
template <class Sdf>
V3 normal_at(const Sdf& sdf, V3 p, float e)
{
    const V3 a{1, -1, -1}, b{-1, -1, 1}, c{-1, 1, -1}, d{1, 1, 1};
    return normalize(a * sdf(p + a * e) + b * sdf(p + b * e) + c * sdf(p + c * e) + d * sdf(p + d * e));
}

// Penumbra of a light of angular softness 1/k seen from ro along rd: 1 lit, 0 shadowed.
template <class Sdf>
float soft_shadow(const Sdf& sdf, V3 ro, V3 rd, float tmin, float tmax, float k, int steps)
{
    float lit = 1.0f, t = tmin;
    for (int i = 0; i < steps && t < tmax; ++i) {
        const float d = sdf(ro + rd * t);
        lit = std::min(lit, k * d / t);
        if (lit < 0.002f) return 0.0f;
        t += std::clamp(d, 0.02f, 0.5f * tmax / float(steps) + 0.02f);
    }
    return smoothstep(0.0f, 1.0f, lit);
}

// How open the surface at p with normal n is to the sky: 1 open, 0 buried.
template <class Sdf>
float occlusion(const Sdf& sdf, V3 p, V3 n, float reach)
{
    float hidden = 0.0f, weight = 1.0f;
    for (int i = 1; i <= 5; ++i) {
        const float h = reach * float(i) / 5.0f;
        hidden += (h - sdf(p + n * h)) * weight;
        weight *= 0.6f;
    }
    return clamp01(1.0f - hidden * 2.2f / reach);
}

// Exponential fog: mixes colour toward `haze` over distance t.
inline V3 fogged(V3 colour, V3 haze, float t, float density)
{
    return mix(haze, colour, std::exp(-t * density));
}

// How a scene's photograph is developed.
struct Film {
    float exposure;    // multiplies linear light before the tone curve
    float vignette;    // darkening at the corners, 0..1
    float grain;       // amplitude of the film grain, display units
    std::uint32_t seed;
};

// Linear light, one value per pixel of the photograph.
struct Exposure {
    std::vector<V3> px = std::vector<V3>(std::size_t(kPhotoWidth) * std::size_t(kPhotoHeight));
    V3& at(int x, int y) { return px[std::size_t(y) * kPhotoWidth + std::size_t(x)]; }
    const V3& at(int x, int y) const { return px[std::size_t(y) * kPhotoWidth + std::size_t(x)]; }
};

// Runs row(y) for every row of the photograph, spread over the machine's
// cores. Each row writes only its own pixels, so the result never depends on
// how the rows were shared out.
void for_each_row(const std::function<void(int)>& row);

// Where a pixel's four first samples fall: a rotated grid, which resolves
// near-horizontal and near-vertical edges better than a square one.
constexpr float kFirstSamples[4][2] = {{0.375f, 0.125f}, {0.875f, 0.375f}, {0.125f, 0.625f}, {0.625f, 0.875f}};
constexpr int kEdgeGrid = 4;  // an edge pixel takes this many times as many samples along each axis

// How bright a sample looks once developed: enough to tell whether the
// samples of one pixel disagree visibly.
inline float seen(V3 c) { return std::sqrt(std::max(0.0f, 0.2126f * c.x + 0.7152f * c.y + 0.0722f * c.z)); }

// Exposes the film: every pixel takes four samples, and a pixel whose samples
// disagree visibly (an edge, a highlight, fine detail) takes sixteen more, so
// edges are smooth without paying for that everywhere. scene(px, py) returns
// linear light through that picture position.
template <class Scene>
Exposure expose(const Scene& scene)
{
    Exposure e;
    for_each_row([&](int y) {
        for (int x = 0; x < kPhotoWidth; ++x) {
            V3 sum{0, 0, 0};
            float lo = 1e9f, hi = -1e9f;
            for (const auto& s : kFirstSamples) {
                const V3 c = scene(float(x) + s[0], float(y) + s[1]);
                sum = sum + c;
                lo = std::min(lo, seen(c));
                hi = std::max(hi, seen(c));
            }
            if (hi - lo > 0.035f) {
                const float step = 1.0f / kEdgeGrid;
                for (int j = 0; j < kEdgeGrid; ++j)
                    for (int i = 0; i < kEdgeGrid; ++i)
                        sum = sum + scene(float(x) + (float(i) + 0.5f) * step, float(y) + (float(j) + 0.5f) * step);
                sum = sum * (1.0f / float(4 + kEdgeGrid * kEdgeGrid));
            } else {
                sum = sum * 0.25f;
            }
            e.at(x, y) = sum;
        }
    });
    return e;
}

// Develops exposed film into the picture as a camera would: the lens's
// vignetting, a little colour fringing towards the corners and a glow round
// the highlights, then the film's tone curve and its grain.
Canvas develop(const Exposure& light, const Film& film);

template <class Scene>
Canvas photograph(const Scene& scene, const Film& film)
{
    return develop(expose(scene), film);
}

// A lens focused at distance `focus`, whose blur circle grows to `aperture`
// pixels in radius (at most kMaxBlur) for things far from that distance.
struct Focus {
    float focus, aperture;
};
constexpr int kMaxBlur = 5;

// Blurs each pixel's light over its circle of confusion; `depth` holds the
// distance seen through each pixel's centre.
Exposure defocus(const Exposure& light, const std::vector<float>& depth, Focus lens);

// A photograph with depth of field: scene.depth(px, py) gives the distance
// to what the pixel's centre sees.
template <class Scene>
Canvas photograph(const Scene& scene, const Film& film, Focus lens)
{
    std::vector<float> depth(std::size_t(kPhotoWidth) * std::size_t(kPhotoHeight));
    for_each_row([&](int y) {
        for (int x = 0; x < kPhotoWidth; ++x)
            depth[std::size_t(y) * kPhotoWidth + std::size_t(x)] = scene.depth(float(x) + 0.5f, float(y) + 0.5f);
    });
    return develop(defocus(expose(scene), depth, lens), film);
}
