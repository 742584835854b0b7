// Photograph: a lighthouse on a rock in the open sea at dusk. The sea is a
// plane whose normals ripple with noise, mirroring the sky and the tower by
// Fresnel's law; the lamp is lit and glows through the evening haze.
#include "noise.h"
#include "raymarch.h"
#include "scenes.h"
#include "sdf.h"
#include "sky.h"

#include <cmath>

namespace {

enum Material { kRock, kTower, kLantern, kRoof };

struct Nearest {
    float d;
    Material m;
};

const SkyLook kSky{{0.035f, 0.06f, 0.17f}, {0.62f, 0.30f, 0.20f}, normalize(V3{-0.33f, 0.05f, 0.94f}), {2.6f, 1.1f, 0.45f}, 0.3f, 57};
constexpr V3 kSunLight{2.4f, 1.3f, 0.65f};
constexpr V3 kRockAt{9.0f, 0.0f, 60.0f};
constexpr V3 kTowerBase{9.5f, 3.2f, 61.0f};
constexpr float kTowerHalf = 8.0f;
const V3 kLamp = kTowerBase + V3{0.0f, 2.0f * kTowerHalf + 1.6f, 0.0f};

float rock(V3 p)
{
    const V3 q = p - kRockAt;
    const float blob = length(V3{q.x / 14.0f, q.y / 5.0f, q.z / 9.0f}) * 5.0f - 5.0f;
    // Only near the rock is its craggy surface worth the noise.
    if (blob > 3.0f) return blob;
    // The noise steepens the field, so the distance is scaled down to stay a
    // safe step: a full step would pass through the crags and leave them torn.
    return (blob + (fbm3(q * 0.35f, 4, 0.5f, 71) - 0.5f) * 3.0f) * 0.6f;
}

Nearest nearest(V3 p)
{
    Nearest n{rock(p), kRock};
    const auto take = [&n](float d, Material m) {
        if (d < n.d) n = {d, m};
    };
    const V3 t = p - kTowerBase;
    take(sd_frustum(t - V3{0, kTowerHalf, 0}, 2.2f, 1.5f, kTowerHalf), kTower);
    take(sd_cylinder(t - V3{0, 2.0f * kTowerHalf + 0.1f, 0}, 2.1f, 0.15f), kTower);      // gallery
    take(sd_cylinder(t - V3{0, 2.0f * kTowerHalf + 1.3f, 0}, 1.1f, 1.1f), kLantern);     // lamp room
    take(std::max(sd_sphere(t - V3{0, 2.0f * kTowerHalf + 2.4f, 0}, 1.25f), -(p.y - kLamp.y - 0.8f)), kRoof);
    return n;
}

float distance(V3 p) { return nearest(p).d; }

V3 surface(V3 p, V3 rd)
{
    const Nearest hit = nearest(p);
    if (hit.m == kLantern) return V3{9.0f, 6.5f, 3.0f};
    const V3 n = normal_at(distance, p, 0.01f);
    V3 base{0.05f, 0.045f, 0.04f};
    if (hit.m == kRock) base = base * (0.6f + 0.8f * fbm3(p * 2.0f, 3, 0.5f, 73));
    if (hit.m == kTower) {
        const float band = std::fmod(p.y - kTowerBase.y + 100.0f, 4.0f) < 2.0f ? 1.0f : 0.0f;
        base = mix(V3{0.65f, 0.63f, 0.6f}, V3{0.45f, 0.04f, 0.03f}, band);
    }
    if (hit.m == kRoof) base = V3{0.05f, 0.06f, 0.05f};
    const float sun = std::max(0.0f, dot(n, kSky.sun_dir)) * soft_shadow(distance, p + n * 0.05f, kSky.sun_dir, 0.1f, 40.0f, 12.0f, 32);
    const V3 sky = kSky.zenith * (1.2f + 0.8f * n.y) + kSky.horizon * (0.25f * std::max(0.0f, dot(n, -rd)));
    return base * (kSunLight * sun + sky);
}

V3 sea(V3 p, V3 rd, float t)
{
    // Ripples fade with distance, as a pixel averages them away.
    // The slope is taken over a pixel's footprint, so the far sea stays
    // smooth instead of speckling with ripples too fine to see.
    const float amp = 0.18f / (1.0f + t * 0.02f);
    const float e = 0.05f + 0.004f * t;
    const auto h = [](float x, float z) { return fbm2(x * 0.45f, z * 1.2f, 5, 0.55f, 83); };
    const float h0 = h(p.x, p.z);
    V3 n = normalize(V3{(h0 - h(p.x + e, p.z)) * amp / e, 1.0f, (h0 - h(p.x, p.z + e)) * amp / e});
    const V3 r = reflect(rd, n);
    const float fresnel = 0.02f + 0.98f * std::pow(1.0f - std::max(0.0f, -dot(rd, n)), 5.0f);
    V3 mirrored = sky_radiance(kSky, V3{r.x, std::max(r.y, 0.0f), r.z});
    const float hit = march(distance, p + V3{0, 0.01f, 0}, r, 0.1f, 200.0f, 60);
    if (hit > 0.0f) mirrored = surface(p + r * hit, r);
    const V3 body = V3{0.01f, 0.025f, 0.035f};
    return mix(body, mirrored, fresnel);
}

// Light scattered towards the eye by haze around the lamp.
V3 lamp_halo(V3 ro, V3 rd, float t)
{
    const float along = std::min(std::max(dot(kLamp - ro, rd), 0.0f), t);
    const float miss = length(ro + rd * along - kLamp);
    return V3{1.0f, 0.7f, 0.35f} * (1.4f / (1.0f + miss * miss * 0.5f));
}

struct Lighthouse {
    Camera cam;

    V3 operator()(float px, float py) const
    {
        const V3 rd = primary_ray(cam, px, py);
        const float t_sea = rd.y < 0.0f ? -cam.eye.y / rd.y : 1e9f;
        const float t_obj = march(distance, cam.eye, rd, 1.0f, std::min(t_sea, 250.0f), 200);
        V3 c;
        float t;
        if (t_obj > 0.0f) {
            t = t_obj;
            c = surface(cam.eye + rd * t, rd);
        } else if (t_sea < 1e8f) {
            t = t_sea;
            c = sea(cam.eye + rd * t, rd, t);
        } else {
            return sky_radiance(kSky, rd) + lamp_halo(cam.eye, rd, 1e4f);
        }
        const V3 haze = sky_radiance(kSky, V3{rd.x, 0.0f, rd.z});
        return fogged(c, haze, t, 0.0015f) + lamp_halo(cam.eye, rd, t);
    }
};

}  // namespace

Canvas paint_lighthouse()
{
    const Lighthouse scene{look_at(V3{0.0f, 3.0f, 0.0f}, V3{4.0f, 9.0f, 60.0f}, 50.0f)};
    return photograph(scene, Film{0.9f, 0.5f, 0.022f, 11});
}
