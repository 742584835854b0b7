// Photograph: an open stone colonnade in low afternoon sun. Fluted columns
// repeat down both sides (one column's distance serves them all), throwing
// long soft shadows across a floor of worn flagstones.
#include "noise.h"
#include "raymarch.h"
#include "scenes.h"
#include "sdf.h"
#include "sky.h"

#include <cmath>

namespace {

enum Material { kFloor, kStone };

constexpr float kSpacing = 3.2f;  // metres between columns along a row
constexpr float kRowX = 3.0f;     // metres from the aisle's centre line to each row
constexpr int kColumns = 18;      // per row
constexpr float kHeight = 5.0f;   // metres from floor to the top of the capitals
const SkyLook kSky{{0.05f, 0.14f, 0.45f}, {0.70f, 0.60f, 0.50f}, normalize(V3{0.85f, 0.30f, 0.42f}), {2.8f, 1.9f, 1.0f}, 0.2f, 131};
constexpr V3 kSunLight{4.2f, 3.1f, 1.9f};

float column(V3 q)
{
    const float angle = std::atan2(q.z, q.x);
    const float fluted = 0.36f + 0.012f * std::cos(angle * 16.0f) - 0.015f * q.y / kHeight;
    float d = sd_cylinder(q - V3{0, kHeight * 0.5f, 0}, fluted, kHeight * 0.5f - 0.3f);
    d = std::min(d, sd_round_box(q - V3{0, 0.15f, 0}, V3{0.55f, 0.15f, 0.55f}, 0.03f));
    d = std::min(d, sd_round_box(q - V3{0, kHeight - 0.15f, 0}, V3{0.55f, 0.15f, 0.55f}, 0.03f));
    return d;
}

float stonework(V3 p)
{
    // Fold both rows onto one and every column onto its nearest.
    const float x = std::fabs(p.x) - kRowX;
    const float k = std::clamp(std::round(p.z / kSpacing), 0.0f, float(kColumns - 1));
    float d = column(V3{x, p.y, p.z - k * kSpacing});
    const float run = float(kColumns - 1) * kSpacing * 0.5f;
    d = std::min(d, sd_round_box(V3{x, p.y - kHeight - 0.4f, p.z - run}, V3{0.6f, 0.4f, run + 0.6f}, 0.02f));
    return d;
}

float distance(V3 p) { return std::min(p.y, stonework(p)); }

V3 flagstone(V3 p)
{
    const float fx = p.x / 1.1f + 0.5f, fz = p.z / 1.1f;
    const float ix = std::floor(fx), iz = std::floor(fz);
    const float gx = std::fabs(fx - ix - 0.5f), gz = std::fabs(fz - iz - 0.5f);
    const float grout = smoothstep(0.47f, 0.495f, std::max(gx, gz));
    const float tone = hash01(int(ix), int(iz), 0, 137);
    const float wear = fbm2(p.x * 1.5f, p.z * 1.5f, 4, 0.5f, 139);
    const V3 stone = mix(V3{0.20f, 0.17f, 0.13f}, V3{0.34f, 0.29f, 0.23f}, tone * 0.6f + wear * 0.4f);
    return mix(stone, V3{0.12f, 0.10f, 0.08f}, grout);
}

V3 shade(V3 p, V3 rd)
{
    const Material m = p.y < stonework(p) ? kFloor : kStone;
    const V3 n = m == kFloor ? V3{0, 1, 0} : normal_at(distance, p, 0.002f);
    const V3 base = m == kFloor ? flagstone(p) : V3{0.40f, 0.36f, 0.30f} * (0.8f + 0.35f * fbm3(p * 3.0f, 3, 0.5f, 141));
    const float sun = std::max(0.0f, dot(n, kSky.sun_dir)) * soft_shadow(distance, p + n * 0.01f, kSky.sun_dir, 0.02f, 30.0f, 10.0f, 48);
    const float ao = occlusion(distance, p, n, 0.6f);
    const V3 ambient = kSky.zenith * (0.9f + 0.6f * n.y) + V3{0.22f, 0.16f, 0.1f} * (0.5f - 0.5f * n.y);
    V3 c = base * (kSunLight * sun + ambient * ao);
    c = c + kSunLight * (0.06f * sun * std::pow(std::max(0.0f, dot(reflect(rd, n), kSky.sun_dir)), 12.0f));
    return c;
}

struct Colonnade {
    Camera cam;

    V3 operator()(float px, float py) const
    {
        const V3 rd = primary_ray(cam, px, py);
        const float t = march(distance, cam.eye, rd, 0.1f, 160.0f, 160);
        if (t < 0.0f) return sky_radiance(kSky, rd);
        const V3 haze = sky_radiance(kSky, V3{rd.x, 0.05f, rd.z});
        return fogged(shade(cam.eye + rd * t, rd), haze, t, 0.012f);
    }
};

}  // namespace

Canvas paint_colonnade()
{
    const Colonnade scene{look_at(V3{-0.9f, 1.6f, -5.0f}, V3{0.6f, 2.6f, 30.0f}, 64.0f)};
    return photograph(scene, Film{0.8f, 0.5f, 0.02f, 13});
}
