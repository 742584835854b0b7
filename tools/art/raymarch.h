// Ray-marching of signed-distance scenes, and the "darkroom" that develops a
// scene's linear light into a photograph-like picture.
#pragma once

#include "canvas.h"
#include "vec.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

// Renders kPhotoWidth x kPhotoHeight pixels; scene(px, py) returns linear
// light through that picture position. Each pixel takes the mean of
// `samples` x `samples` positions within it.
template <class Scene>
Canvas photograph(const Scene& scene, const Film& film, int samples);

// The film's response: linear light to display value, with a shoulder that
// rolls highlights off as film does rather than clipping them.
V3 develop(V3 linear, const Film& film, float px, float py);

template <class Scene>
Canvas photograph(const Scene& scene, const Film& film, int samples)
{
    Canvas c(kPhotoWidth, kPhotoHeight);
    const float step = 1.0f / float(samples);
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
            V3 sum{0, 0, 0};
            for (int j = 0; j < samples; ++j)
                for (int i = 0; i < samples; ++i)
                    sum = sum + scene(float(x) + (float(i) + 0.5f) * step, float(y) + (float(j) + 0.5f) * step);
            c.at(x, y) = opaque(develop(sum * (step * step), film, float(x), float(y)));
        }
    return c;
}
