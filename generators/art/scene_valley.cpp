// Photograph: an alpine valley at golden hour. The ground is a height field
// of eroded-looking noise (each octave damped where the slope is already
// steep), marched directly; snow settles on high, flat ground.
#include "noise.h"
#include "raymarch.h"
#include "scenes.h"
#include "sky.h"

#include <cmath>

namespace {

constexpr float kHorizontal = 260.0f;  // world units per noise cell of the coarsest octave
constexpr float kRelief = 140.0f;      // world units of height per unit of noise
constexpr std::uint32_t kSeed = 7;

const SkyLook kSky{{0.16f, 0.30f, 0.62f}, {0.75f, 0.66f, 0.58f}, normalize(V3{0.75f, 0.22f, 0.55f}), {3.2f, 2.1f, 1.2f}, 0.45f, 91};
constexpr V3 kSun{4.6f, 3.4f, 2.2f};

float ground(float x, float z, int octaves)
{
    float px = x / kHorizontal, pz = z / kHorizontal;
    float h = 0.0f, weight = 1.0f, gx = 0.0f, gz = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        const NoiseD n = noise2d(px, pz, kSeed + std::uint32_t(o));
        gx += 2.0f * n.dx;
        gz += 2.0f * n.dy;
        h += weight * (2.0f * n.v - 1.0f) / (1.0f + gx * gx + gz * gz);
        weight *= 0.5f;
        const float nx = 1.6f * px - 1.2f * pz, nz = 1.2f * px + 1.6f * pz;
        px = nx;
        pz = nz;
    }
    // A broad valley floor between the ranges, so the eye has somewhere to rest.
    const float valley = 1.0f - std::exp(-x * x / (2.0f * 160.0f * 160.0f));
    return kRelief * h * (0.35f + 0.9f * valley) + 60.0f * valley;
}

float march_ground(V3 ro, V3 rd)
{
    float t = 2.0f;
    for (int i = 0; i < 180 && t < 3000.0f; ++i) {
        const V3 p = ro + rd * t;
        const float gap = p.y - ground(p.x, p.z, 6);
        if (gap < 0.002f * t) return t;
        t += 0.45f * gap;
    }
    return -1.0f;
}

float sun_visibility(V3 p)
{
    float lit = 1.0f, t = 2.0f;
    for (int i = 0; i < 36; ++i) {
        const V3 q = p + kSky.sun_dir * t;
        const float gap = q.y - ground(q.x, q.z, 5);
        lit = std::min(lit, 10.0f * gap / t);
        if (lit < 0.0f) return 0.0f;
        t += std::max(4.0f, gap * 0.6f);
    }
    return smoothstep(0.0f, 1.0f, lit);
}

V3 ground_normal(V3 p, float t)
{
    const float e = 0.02f + 0.001f * t;
    const int oct = t < 400.0f ? 10 : 8;
    return normalize(V3{ground(p.x - e, p.z, oct) - ground(p.x + e, p.z, oct), 2.0f * e,
                        ground(p.x, p.z - e, oct) - ground(p.x, p.z + e, oct)});
}

V3 ground_colour(V3 p, V3 n)
{
    const float detail = fbm2(p.x * 0.05f, p.z * 0.05f, 4, 0.5f, kSeed + 40);
    V3 rock = mix(V3{0.09f, 0.075f, 0.06f}, V3{0.17f, 0.15f, 0.13f}, detail);
    const V3 grass = mix(V3{0.05f, 0.075f, 0.02f}, V3{0.09f, 0.10f, 0.03f}, detail);
    rock = mix(rock, grass, smoothstep(0.75f, 0.9f, n.y) * smoothstep(130.0f, 60.0f, p.y + detail * 40.0f));
    const float snow_line = 105.0f + detail * 50.0f;
    const float snow = smoothstep(snow_line, snow_line + 25.0f, p.y) * smoothstep(0.55f, 0.75f, n.y + detail * 0.2f);
    return mix(rock, V3{0.75f, 0.78f, 0.85f}, snow);
}

struct Valley {
    Camera cam;

    V3 operator()(float px, float py) const
    {
        const V3 rd = primary_ray(cam, px, py);
        const float t = march_ground(cam.eye, rd);
        const V3 haze = sky_radiance(kSky, V3{rd.x, 0.02f, rd.z}) * 0.75f;
        if (t < 0.0f) return sky_radiance(kSky, rd);
        const V3 p = cam.eye + rd * t;
        const V3 n = ground_normal(p, t);
        const float sun = std::max(0.0f, dot(n, kSky.sun_dir)) * sun_visibility(p + n * 0.5f);
        const float sky = 0.5f + 0.5f * n.y;
        const float bounce = std::max(0.0f, dot(n, normalize(V3{-kSky.sun_dir.x, 0.0f, -kSky.sun_dir.z})));
        const V3 light = kSun * sun + kSky.zenith * (1.6f * sky) + V3{0.25f, 0.17f, 0.1f} * (0.4f * bounce);
        return fogged(ground_colour(p, n) * light, haze, t, 0.00055f);
    }
};

}  // namespace

Canvas paint_valley()
{
    const float x = 10.0f, z = -200.0f;
    const V3 eye{x, ground(x, z, 8) + 35.0f, z};
    const Valley scene{look_at(eye, V3{-20.0f, eye.y - 15.0f, z + 400.0f}, 62.0f)};
    return photograph(scene, Film{0.85f, 0.35f, 0.018f, 3});
}
