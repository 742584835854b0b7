// Photograph: a still life on a wooden table by a window. A terracotta ball,
// a chrome ball, a glazed ring and a wooden block under one soft window light
// and the room's cool fill; the chrome ball mirrors the room once.
#include "noise.h"
#include "raymarch.h"
#include "scenes.h"
#include "sdf.h"

#include <cmath>

namespace {

enum Material { kTable, kWall, kClay, kChrome, kGlaze, kBlock };

struct Nearest {
    float d;
    Material m;
};

const V3 kWindow = normalize(V3{-0.75f, 0.8f, -0.35f});  // towards the window light
constexpr V3 kWindowLight{3.4f, 3.0f, 2.5f};
constexpr V3 kRoomFill{0.30f, 0.34f, 0.42f};
constexpr V3 kClayAt{-0.95f, 0.62f, 0.75f};
constexpr V3 kChromeAt{0.25f, 0.42f, 0.05f};

Nearest nearest(V3 p)
{
    Nearest n{p.y, kTable};
    const auto take = [&n](float d, Material m) {
        if (d < n.d) n = {d, m};
    };
    take(2.6f - p.z, kWall);
    take(sd_sphere(p - kClayAt, 0.62f), kClay);
    take(sd_sphere(p - kChromeAt, 0.42f), kChrome);
    take(sd_torus(turn_y(p - V3{1.25f, 0.11f, -0.45f}, 0.3f), 0.40f, 0.11f), kGlaze);
    take(sd_round_box(turn_y(p - V3{1.05f, 0.26f, 1.05f}, 0.5f), V3{0.34f, 0.26f, 0.26f}, 0.03f), kBlock);
    return n;
}

float distance(V3 p) { return nearest(p).d; }

V3 wood(V3 p)
{
    const float grain = fbm2(p.x * 0.6f, p.z * 9.0f, 4, 0.5f, 301);
    const float rings = 0.5f + 0.5f * std::sin((p.z * 14.0f + grain * 6.0f) * 3.14159265f);
    const V3 dark{0.09f, 0.04f, 0.018f}, light{0.24f, 0.12f, 0.05f};
    return mix(dark, light, rings * 0.6f + grain * 0.4f);
}

V3 albedo(Material m, V3 p)
{
    switch (m) {
    case kTable: return wood(p);
    case kWall: return V3{0.55f, 0.52f, 0.47f} * (0.9f + 0.2f * fbm2(p.x * 3.0f, p.y * 3.0f, 3, 0.5f, 311));
    case kClay: return V3{0.50f, 0.17f, 0.07f} * (0.9f + 0.15f * noise3(p * 24.0f, 313));
    case kChrome: return V3{0.0f, 0.0f, 0.0f};
    case kGlaze: return V3{0.02f, 0.12f, 0.35f};
    case kBlock: return mix(V3{0.55f, 0.38f, 0.2f}, V3{0.45f, 0.28f, 0.13f}, fbm2(p.x * 30.0f, p.y * 3.0f, 3, 0.5f, 317));
    }
    return {0, 0, 0};
}

// Diffuse plus a glossy highlight, lit by the window and the room.
V3 lit_surface(Material m, V3 p, V3 n, V3 rd, bool shadows)
{
    // The window is to the left: its light pools there and falls off to the right.
    const float pool = 0.45f + 0.55f * smoothstep(2.5f, -2.0f, p.x + 0.3f * p.y);
    const float sun = pool * std::max(0.0f, dot(n, kWindow)) * (shadows ? soft_shadow(distance, p + n * 0.002f, kWindow, 0.01f, 6.0f, 7.0f, 48) : 1.0f);
    const float ao = shadows ? occlusion(distance, p, n, 0.3f) : 1.0f;
    const float fill = 0.6f + 0.4f * n.y;
    const V3 base = albedo(m, p);
    V3 c = base * (kWindowLight * sun + kRoomFill * (fill * ao));
    const float gloss = m == kGlaze ? 90.0f : (m == kTable ? 20.0f : 8.0f);
    const float strength = m == kGlaze ? 1.2f : (m == kTable ? 0.15f : 0.04f);
    const V3 half = normalize(kWindow - rd);
    c = c + kWindowLight * (strength * sun * std::pow(std::max(0.0f, dot(n, half)), gloss));
    return c;
}

// What the chrome ball mirrors: the room in one bounce, without shadows.
V3 mirrored(V3 p, V3 dir)
{
    const float t = march(distance, p, dir, 0.01f, 12.0f, 80);
    if (t < 0.0f) return V3{1.2f, 1.15f, 1.05f};  // the bright window behind the camera
    const V3 q = p + dir * t;
    const Nearest hit = nearest(q);
    return lit_surface(hit.m, q, normal_at(distance, q, 0.001f), dir, false);
}

struct StillLife {
    Camera cam;

    float depth(float px, float py) const
    {
        const float t = march(distance, cam.eye, primary_ray(cam, px, py), 0.1f, 20.0f, 140);
        return t < 0.0f ? 20.0f : t;
    }

    V3 operator()(float px, float py) const
    {
        const V3 rd = primary_ray(cam, px, py);
        const float t = march(distance, cam.eye, rd, 0.1f, 20.0f, 140);
        if (t < 0.0f) return V3{0.05f, 0.05f, 0.05f};
        const V3 p = cam.eye + rd * t;
        const Nearest hit = nearest(p);
        const V3 n = normal_at(distance, p, 0.0008f);
        if (hit.m != kChrome) return lit_surface(hit.m, p, n, rd, true);
        const float fresnel = 0.75f + 0.25f * std::pow(1.0f - std::max(0.0f, -dot(rd, n)), 5.0f);
        return mirrored(p + n * 0.003f, reflect(rd, n)) * (fresnel * 0.85f);
    }
};

}  // namespace

Canvas paint_still_life()
{
    const StillLife scene{look_at(V3{0.35f, 1.55f, -3.9f}, V3{0.1f, 0.4f, 0.4f}, 50.0f)};
    // Focused on the chrome ball; the wall and the near table go soft.
    const float focus = length(kChromeAt - scene.cam.eye);
    return photograph(scene, Film{0.75f, 0.45f, 0.02f, 5}, Focus{focus, 7.0f});
}
