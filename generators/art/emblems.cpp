// The yellow and blue emblems: a round warning-yellow badge carrying the
// backdrop's spiral, and a hexagonal enamel pin with a chrome rim.
#include "noise.h"
#include "paint2d.h"
#include "posters.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;
constexpr V3 kInk{0.06f, 0.05f, 0.05f};
constexpr V3 kYellow{0.99f, 0.80f, 0.08f};

// Signed distance (pixels) to the edge of a band of three spiral arms around
// the origin: arms every `period` pixels of radius.
float spiral_arms(V2 p, float period)
{
    const float r = length(p);
    const float turns = std::atan2(p.y, p.x) / (2.0f * kPi) * 3.0f + r / period;
    const float f = turns - std::floor(turns);
    return (std::fabs(f - 0.5f) - 0.25f) * period;
}

void yellow_disc(Canvas& c, V2 mid, float r)
{
    fill(c, [&](V2 p) { return sd_circle(p - mid - V2{6, 8}, r) - 4.0f; }, [](V2) { return V3{0, 0, 0}; });
    for (Colour& px : c.px) px = Colour{px.r, px.g, px.b, px.a * 0.45f};
    fill(c, [&](V2 p) { return sd_circle(p - mid, r); }, [](V2) { return kInk; });
    fill(c, [&](V2 p) { return sd_circle(p - mid, r - 9.0f); }, [&](V2 p) {
        const float shade = 1.0f - 0.12f * length(p - mid - V2{-40, -50}) / r;
        return kYellow * shade;
    });
    fill(c, [&](V2 p) { return std::fabs(sd_circle(p - mid, r * 0.66f)) - 3.5f; }, [](V2) { return kInk; });
}

}  // namespace

Canvas paint_yellow_emblem(const Face& face)
{
    Canvas c(380, 380);
    const V2 mid{186.0f, 186.0f};
    const float r = 176.0f;
    yellow_disc(c, mid, r);
    const float inner = r * 0.66f - 10.0f;
    fill(c, [&](V2 p) { return std::max(spiral_arms(p - mid, 46.0f), sd_circle(p - mid, inner)); }, [](V2) { return kInk; });
    fill(c, [&](V2 p) { return sd_circle(p - mid, 16.0f); }, [](V2) { return kInk; });
    draw_text_on_circle(c, face, "QUORVEX", 44.0f, mid.x, mid.y, r - 14.0f, 0.0f, false, kInk);
    const Ink bottom = face.line("REAL TIME", 24.0f, 1.0f, 3.0f);
    draw_ink(c, bottom, int(mid.x) - bottom.cover.w / 2 + bottom.origin_x, int(mid.y + r * 0.66f + 30.0f), kInk);
    return c;
}

namespace {

constexpr V3 kEnamel{0.03f, 0.14f, 0.50f};
constexpr V3 kPale{0.80f, 0.90f, 1.0f};

// Chrome: a bright-dark-bright ramp by how the bevel faces the light.
V3 chrome(float facing)
{
    const float t = clamp01(0.5f + 0.5f * facing);
    return mix(V3{0.18f, 0.2f, 0.26f}, V3{0.95f, 0.97f, 1.0f}, smoothstep(0.2f, 0.9f, t));
}

}  // namespace

Canvas paint_blue_emblem(const Face& face)
{
    Canvas c(360, 400);
    const V2 mid{176.0f, 196.0f};
    const float r = 168.0f;
    const auto hex = [&](V2 p, float k) { return sd_hexagon(V2{p.y - mid.y, p.x - mid.x}, k); };
    fill(c, [&](V2 p) { return hex(p - V2{6, 9}, r); }, [](V2) { return V3{0, 0, 0}; });
    for (Colour& px : c.px) px = Colour{px.r, px.g, px.b, px.a * 0.45f};
    fill(c, [&](V2 p) { return hex(p, r); }, [&](V2 p) {
        // The rim's bevel faces up-left on the upper-left sides.
        const V2 d = p - mid;
        return chrome(-(d.x * 0.6f + d.y * 0.8f) / length(d));
    });
    fill(c, [&](V2 p) { return hex(p, r - 16.0f); }, [&](V2 p) {
        const float depth = 0.75f + 0.35f * (1.0f - (p.y - mid.y + r) / (2.0f * r));
        const float sheen = 0.25f * smoothstep(30.0f, 0.0f, std::fabs((p.x - mid.x) + (p.y - mid.y) * 0.8f + 70.0f));
        return kEnamel * depth + V3{sheen, sheen, sheen};
    });
    // Equaliser bars: the show's sound made visible.
    constexpr float kBars[] = {0.35f, 0.6f, 0.9f, 0.7f, 1.0f, 0.55f, 0.8f, 0.4f, 0.25f};
    for (int i = 0; i < 9; ++i) {
        const float h = kBars[i] * 70.0f;
        const V2 at{mid.x + float(i - 4) * 26.0f, mid.y - 10.0f - h * 0.5f};
        fill(c, [&](V2 p) { return sd_box(p - at, V2{8.0f, h * 0.5f}, 3.0f); }, [&](V2 p) {
            return mix(kPale, V3{0.35f, 0.75f, 1.0f}, clamp01((p.y - at.y + h * 0.5f) / h));
        });
    }
    const Ink title = face.line("QUORVEX", 50.0f, 1.0f, 2.0f);
    draw_ink(c, title, int(mid.x) - title.cover.w / 2 + title.origin_x, int(mid.y + 58.0f), kPale);
    const Ink sub = face.line("800 X 600 X 32", 24.0f, 1.0f, 2.0f);
    draw_ink(c, sub, int(mid.x) - sub.cover.w / 2 + sub.origin_x, int(mid.y + 96.0f), V3{0.45f, 0.75f, 1.0f});
    return c;
}
