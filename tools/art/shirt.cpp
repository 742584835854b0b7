// The T-shirt: a heather-grey shirt laid flat, with soft folds, a ribbed
// collar and the show's print (the spiral of the backdrop and the name) in
// plastisol ink that follows the folds.
#include "noise.h"
#include "paint2d.h"
#include "posters.h"

#include <cmath>

namespace {

constexpr int kWidth = 440, kHeight = 460;
constexpr float kPi = 3.14159265f;

// The shirt's outline, clockwise from the left of the neck, in pixels.
constexpr V2 kOutline[] = {
    {168, 34},  {96, 58},   {18, 132},  {62, 200},  {112, 172}, {108, 446},
    {332, 446}, {328, 172}, {378, 200}, {422, 132}, {344, 58},  {272, 34},
};
constexpr V2 kNeck{220.0f, 22.0f};  // centre of the neck's scoop

constexpr V3 kFabric{0.50f, 0.51f, 0.55f};
constexpr V3 kInkDark{0.07f, 0.06f, 0.08f};
constexpr V3 kInkOrange{0.93f, 0.45f, 0.12f};
constexpr V3 kInkMagenta{0.85f, 0.18f, 0.52f};

// Signed distance to a closed polygon (negative inside), by edge distance and winding.
template <std::size_t N>
float sd_polygon(V2 p, const V2 (&v)[N])
{
    float d = dot(p - v[0], p - v[0]);
    float sign = 1.0f;
    for (std::size_t i = 0, j = N - 1; i < N; j = i, ++i) {
        const V2 e = v[j] - v[i], w = p - v[i];
        const V2 b = w - e * clamp01(dot(w, e) / dot(e, e));
        d = std::min(d, dot(b, b));
        const bool c1 = p.y >= v[i].y, c2 = p.y < v[j].y, c3 = e.x * w.y > e.y * w.x;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) sign = -sign;
    }
    return sign * std::sqrt(d);
}

float neck_scoop(V2 p) { return length(V2{(p.x - kNeck.x) / 1.15f, p.y - kNeck.y}) - 50.0f; }

float shirt(V2 p) { return std::max(sd_polygon(p, kOutline) - 3.0f, -neck_scoop(p)); }

// Light on the cloth: broad folds, wrinkles running from the armpits, and
// the shirt's rounded edges turning away from the light.
float fold_light(V2 p)
{
    const float folds = fbm2(p.x * 0.012f, p.y * 0.006f, 3, 0.5f, 401) - 0.5f;
    const float pit = std::sin((p.x * 0.7f + p.y) * 0.12f) * std::exp(-std::pow((std::fabs(p.x - 220.0f) - 100.0f) / 30.0f, 2.0f)) *
                      smoothstep(330.0f, 190.0f, p.y);
    const float edge = smoothstep(0.0f, 26.0f, -shirt(p));
    return (0.85f + 0.55f * folds + 0.06f * pit) * (0.72f + 0.28f * edge);
}

V3 cloth(V2 p)
{
    const float knit = 0.93f + 0.07f * hash01(int(p.x), int(p.y), 0, 403);
    const float heather = 0.9f + 0.2f * noise2(p.x * 0.5f, p.y * 0.08f, 405);
    const float rib = neck_scoop(p) < 12.0f ? 0.9f + 0.1f * std::sin(std::atan2(p.y - kNeck.y, p.x - kNeck.x) * 90.0f) : 1.0f;
    return kFabric * (knit * heather * rib * fold_light(p));
}

// Print ink cracks a little where it has been washed.
V3 ink(V3 colour, V2 p) { return colour * (fold_light(p) * (0.92f + 0.08f * noise2(p.x * 0.8f, p.y * 0.8f, 407))); }

void print_spiral(Canvas& c, V2 mid, float r)
{
    fill(c, [&](V2 p) { return std::fabs(sd_circle(p - mid, r)) - 3.0f; }, [&](V2 p) { return ink(kInkDark, p); });
    fill(c, [&](V2 p) {
        const V2 d = p - mid;
        const float turns = std::atan2(d.y, d.x) / (2.0f * kPi) * 5.0f + std::sqrt(length(d)) * 0.9f;
        const float f = turns - std::floor(turns);
        return std::max((std::fabs(f - 0.5f) - 0.25f) * 14.0f, sd_circle(d, r - 8.0f));
    }, [&](V2 p) { return ink(mix(kInkMagenta, kInkOrange, clamp01(length(p - mid) / r)), p); });
}

void print_name(Canvas& c, const Face& face, V2 at)
{
    const Ink name = face.line("QUORVEX", 38.0f, 1.0f, 3.0f);
    const int x = int(at.x) - name.cover.w / 2 + name.origin_x, y = int(at.y);
    for (int iy = 0; iy < name.cover.h; ++iy)
        for (int ix = 0; ix < name.cover.w; ++ix) {
            const float a = name.cover.at(ix, iy);
            const V2 p{float(x - name.origin_x + ix), float(y - name.baseline_y + iy)};
            if (a > 0.0f) c.blend(int(p.x), int(p.y), covered(ink(kInkDark, p), a));
        }
    const Ink line = face.line("REAL TIME  800 X 600", 14.0f, 1.0f, 2.0f);
    const int lx = int(at.x) - line.cover.w / 2 + line.origin_x;
    draw_ink(c, line, lx, y + 24, kInkOrange * 0.85f);
}

}  // namespace

Canvas paint_shirt(const Face& face)
{
    Canvas c(kWidth, kHeight);
    fill(c, [](V2 p) { return shirt(p - V2{7, 9}) - 2.0f; }, [](V2) { return V3{0, 0, 0}; });
    for (Colour& px : c.px) px = Colour{px.r, px.g, px.b, px.a * 0.4f};
    fill(c, shirt, cloth);
    print_spiral(c, V2{220.0f, 190.0f}, 84.0f);
    print_name(c, face, V2{220.0f, 330.0f});
    return c;
}
