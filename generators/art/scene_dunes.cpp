// Photograph: desert dunes under a deep blue sky. Each dune has the gentle
// windward slope and steep slip face of real sand, built from a sawtooth of
// warped coordinates; wind ripples exist only in the normals.
#include "noise.h"
#include "raymarch.h"
#include "scenes.h"
#include "sky.h"

#include <cmath>

namespace {

const SkyLook kSky{{0.025f, 0.09f, 0.40f}, {0.42f, 0.52f, 0.68f}, normalize(V3{0.85f, 0.28f, 0.25f}), {3.0f, 2.4f, 1.8f}, 0.0f, 151};
constexpr V3 kSunLight{5.5f, 4.6f, 3.6f};

// Height of one dune crossing: rises over 78 % of a wavelength, then drops.
float dune_profile(float s)
{
    const float f = s - std::floor(s);
    const float rise = f < 0.78f ? f / 0.78f : (1.0f - f) / 0.22f;
    return smoothstep(0.0f, 1.0f, rise);
}

float ground(float x, float z)
{
    const float wx = fbm2(x * 0.004f, z * 0.004f, 3, 0.5f, 153);
    const float wz = fbm2(x * 0.004f + 5.2f, z * 0.004f, 3, 0.5f, 155);
    const float s = (x * 0.55f + z * 0.83f) / 55.0f + wx * 2.2f;
    const float crest = dune_profile(s) * (9.0f + 7.0f * wz);
    return crest + 10.0f * fbm2(x * 0.006f, z * 0.006f, 2, 0.5f, 157);
}

// Steps along the ray by a fraction of its height over the sand, never less
// than a pixel's footprint allows, and once below the sand narrows the
// crossing down by halving; a ray that runs out of steps near the horizon
// still ends on the far sand, never in a hole of sky.
float march_ground(V3 ro, V3 rd)
{
    constexpr float kFar = 4000.0f, kHighestSand = 27.0f;
    float t = 1.0f, last = t;
    for (int i = 0; i < 300 && t < kFar; ++i) {
        const V3 p = ro + rd * t;
        const float gap = p.y - ground(p.x, p.z);
        if (gap < 0.0f) {
            float lo = last, hi = t;
            for (int k = 0; k < 8; ++k) {
                const float mid = 0.5f * (lo + hi);
                const V3 q = ro + rd * mid;
                (q.y - ground(q.x, q.z) < 0.0f ? hi : lo) = mid;
            }
            return hi;
        }
        if (gap < 0.0005f * t) return t;
        last = t;
        t += std::max(0.45f * gap, 0.004f * t);
    }
    return (ro + rd * t).y < kHighestSand ? t : -1.0f;
}

float sun_visibility(V3 p)
{
    float lit = 1.0f, t = 0.5f;
    for (int i = 0; i < 32; ++i) {
        const V3 q = p + kSky.sun_dir * t;
        const float gap = q.y - ground(q.x, q.z);
        lit = std::min(lit, 16.0f * gap / t);
        if (lit < 0.0f) return 0.0f;
        t += std::max(0.6f, gap * 0.7f);
    }
    return smoothstep(0.0f, 1.0f, lit);
}

V3 sand_normal(V3 p, float t)
{
    const float e = 0.05f + 0.001f * t;
    V3 n{ground(p.x - e, p.z) - ground(p.x + e, p.z), 2.0f * e, ground(p.x, p.z - e) - ground(p.x, p.z + e)};
    // Wind ripples run across the wind, fading where a pixel covers many of them.
    const float fade = 1.0f / (1.0f + t * 0.05f);
    const float phase = (p.x * 0.83f - p.z * 0.55f) * 9.0f + fbm2(p.x * 0.3f, p.z * 0.3f, 2, 0.5f, 159) * 6.0f;
    n.x += std::cos(phase) * 0.05f * fade * 2.0f * e;
    n.z -= std::cos(phase) * 0.03f * fade * 2.0f * e;
    return normalize(n);
}

struct Dunes {
    Camera cam;

    V3 operator()(float px, float py) const
    {
        const V3 rd = primary_ray(cam, px, py);
        const float t = march_ground(cam.eye, rd);
        if (t < 0.0f) return sky_radiance(kSky, rd);
        const V3 p = cam.eye + rd * t;
        const V3 n = sand_normal(p, t);
        const V3 sand = mix(V3{0.50f, 0.28f, 0.12f}, V3{0.62f, 0.40f, 0.20f}, fbm2(p.x * 0.05f, p.z * 0.05f, 3, 0.5f, 161));
        const float sun = std::max(0.0f, dot(n, kSky.sun_dir)) * sun_visibility(p + n * 0.1f);
        const V3 light = kSunLight * sun + kSky.zenith * (0.7f + 0.5f * n.y) + V3{0.35f, 0.2f, 0.1f} * 0.25f;
        const V3 haze = sky_radiance(kSky, V3{rd.x, 0.03f, rd.z});
        return fogged(sand * light, haze, t, 0.0007f);
    }
};

}  // namespace

Canvas paint_dunes()
{
    const float x = 0.0f, z = 0.0f;
    const V3 eye{x, ground(x, z) + 22.0f, z};
    const Dunes scene{look_at(eye, eye + V3{-0.45f, -0.09f, 1.0f}, 58.0f)};
    return photograph(scene, Film{0.7f, 0.45f, 0.02f, 17});
}
