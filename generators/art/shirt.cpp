// The T-shirt: a white cotton shirt laid flat, photographed from above. Its
// cloth is a height field of drag folds from the armpits, creases in the
// sleeves and soft waves at the hem, lit from the top left; the print (the
// show's moire and its name) is laid on that cloth and bends with its folds.
// Painted at three times its size and averaged down, so every edge is soft.
#include "noise.h"
#include "paint2d.h"
#include "posters.h"

#include <cmath>

namespace {

// At most this tall so that, shaken, the shirt stays clear of the scroller.
constexpr int kWidth = 380, kHeight = 392;
constexpr int kSuper = 3;  // samples per pixel along each axis
constexpr float kPi = 3.14159265f;

// The shirt's outline, clockwise from the left of the collar, in pixels.
constexpr V2 kOutline[] = {
    {150, 24},  {96, 40},   {60, 60},   {26, 98},   {56, 142},  {100, 122}, {98, 250},  {102, 364},
    {190, 369}, {278, 364}, {282, 250}, {280, 122}, {324, 142}, {354, 98},  {320, 60},  {284, 40},
    {230, 24},
};
constexpr V2 kNeck{190.0f, 14.0f};  // centre of the neck's scoop

constexpr V3 kCotton{0.86f, 0.85f, 0.82f};
constexpr V3 kInkBlack{0.06f, 0.05f, 0.07f};
constexpr V3 kInkMagenta{0.80f, 0.10f, 0.45f};
constexpr V3 kInkOrange{0.96f, 0.46f, 0.10f};
const V3 kLight = normalize(V3{-0.45f, -0.55f, 0.70f});  // x right, y down, z up from the table

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

float neck_scoop(V2 p) { return length(V2{(p.x - kNeck.x) / 1.2f, p.y - kNeck.y}) - 34.0f; }

// The whole shirt, back included: corners rounded, edges wavering a little as
// laid-down cloth does.
float shirt(V2 p) { return sd_polygon(p, kOutline) - 5.0f + 3.0f * (noise2(p.x * 0.03f, p.y * 0.03f, 411) - 0.5f); }

// One fold: a ridge (or, with negative height, a valley) along segment a-b,
// fading towards both ends.
float ridge(V2 p, V2 a, V2 b, float width, float height)
{
    const V2 e = b - a;
    const float t = clamp01(dot(p - a, e) / dot(e, e));
    const float d = length(p - (a + e * t)) / width;
    return height * std::exp(-d * d) * std::sin(kPi * t);
}

struct Fold {
    V2 a, b;
    float width, height;
};
// Drag folds from each armpit towards the middle, creases along the sleeves,
// sag under the collar and waves at the hem.
constexpr Fold kFolds[] = {
    {{104, 132}, {176, 236}, 10, 8},  {{102, 160}, {158, 276}, 9, 6},     {{114, 128}, {190, 190}, 8, -5},
    {{276, 132}, {206, 232}, 10, 8},  {{278, 162}, {226, 268}, 9, 6},     {{266, 128}, {192, 186}, 8, -5},
    {{46, 84}, {96, 108}, 7, 6},      {{66, 70}, {104, 88}, 6, -4},       {{334, 84}, {284, 108}, 7, 6},
    {{314, 70}, {276, 88}, 6, -4},    {{150, 52}, {230, 54}, 10, -4},     {{118, 350}, {150, 284}, 11, 7},
    {{244, 356}, {272, 294}, 10, 6},  {{176, 362}, {200, 316}, 9, -5},    {{132, 230}, {118, 300}, 9, 4},
    {{258, 236}, {266, 300}, 9, 4},
};

// Height of the cloth above the table, pixels: broad billows, the folds, and
// the rounded roll of every edge.
float cloth_height(V2 p)
{
    float h = 7.0f * fbm2(p.x * 0.012f, p.y * 0.012f, 3, 0.5f, 413);
    for (const Fold& f : kFolds) h += ridge(p, f.a, f.b, f.width, f.height);
    const float inside = std::max(0.0f, -shirt(p));
    h += 5.0f * smoothstep(0.0f, 10.0f, inside);
    return h;
}

V3 cloth_normal(V2 p)
{
    const float e = 0.75f;
    const float hx = cloth_height(p + V2{e, 0}) - cloth_height(p - V2{e, 0});
    const float hy = cloth_height(p + V2{0, e}) - cloth_height(p - V2{0, e});
    return normalize(V3{-hx / (2.0f * e), -hy / (2.0f * e), 1.0f});
}

// Light falling on the cloth at p: soft daylight with deeper shade in the
// fold valleys.
float light_at(V2 p, V3 n)
{
    const float diffuse = std::max(0.0f, dot(n, kLight));
    const float hollow = 0.85f + 0.15f * smoothstep(2.0f, 12.0f, cloth_height(p));
    return (0.30f + 0.78f * diffuse) * hollow;
}

// The print: a moire of two ring patterns in a disc, the show's name and a
// line under it. Returns the ink's colour and coverage at p.
struct Print {
    Ink name, line;
    V2 name_at, line_at;  // origins, in super-sampled pixels
};

float ink_cover(const Ink& ink, V2 origin, V2 q)
{
    const int x = int(std::floor(q.x - origin.x)) + ink.origin_x, y = int(std::floor(q.y - origin.y)) + ink.baseline_y;
    if (x < 0 || y < 0 || x >= ink.cover.w || y >= ink.cover.h) return 0.0f;
    return ink.cover.at(x, y);
}

constexpr V2 kMoire{190.0f, 156.0f};
constexpr float kMoireRadius = 66.0f;

Colour print_at(const Print& print, V2 p)
{
    const V2 d = p - kMoire;
    const float r = length(d);
    Colour c{0, 0, 0, 0};
    if (r < kMoireRadius + 3.0f) {
        // Two sets of thin rings whose centres stand apart beat into the moire's fringes.
        const float r1 = length(d - V2{-7.0f, -4.0f}), r2 = length(d - V2{7.0f, 4.0f});
        const float ring = std::max(smoothstep(0.35f, 0.75f, std::sin(r1 * 1.1f)), smoothstep(0.35f, 0.75f, std::sin(r2 * 1.1f)));
        const float fringe = ring * coverage(r - kMoireRadius + 6.0f);
        const V3 tint = mix(kInkMagenta, kInkOrange, smoothstep(10.0f, kMoireRadius, r1));
        c = covered(tint, fringe);
        c = over(covered(kInkBlack, coverage(std::fabs(r - kMoireRadius + 1.0f) - 2.5f)), c);
    }
    const V2 q = p * float(kSuper);
    c = over(covered(kInkBlack, ink_cover(print.name, print.name_at, q)), c);
    c = over(covered(kInkBlack, ink_cover(print.line, print.line_at, q)), c);
    return c;
}

// The name and the line under it both span kPrintWidth pixels.
constexpr float kPrintWidth = 172.0f;

Ink sized_line(const Face& face, const char* text, float tracking)
{
    const float unit = float(face.line(text, 100.0f, 1.0f, tracking * 100.0f).cover.w) / 100.0f;
    const float size = kPrintWidth * kSuper / unit;
    return face.line(text, size, 1.0f, tracking * size);
}

Print lay_out_print(const Face& face)
{
    Print pr;
    pr.name = sized_line(face, "QUORVEX", 0.04f);
    pr.line = sized_line(face, "REAL TIME  800 X 600", 0.06f);
    const float left = (kMoire.x - kPrintWidth * 0.5f) * kSuper;
    pr.name_at = {left + float(pr.name.origin_x), 280.0f * kSuper};
    pr.line_at = {left + float(pr.line.origin_x), 304.0f * kSuper};
    return pr;
}

// One sample of the finished shirt, premultiplied, with its shadow on the table.
Colour sample(const Print& print, V2 p)
{
    const float s = shirt(p);
    const float shade = 0.5f * smoothstep(9.0f, -4.0f, shirt(p - V2{5.0f, 7.0f}));
    const Colour shadow{0, 0, 0, shade};
    if (s > 0.5f) return shadow;
    const V3 n = cloth_normal(p);
    // The ink sits on the cloth and is carried sideways by its slopes.
    const V2 drift{n.x * 3.0f, n.y * 3.0f};
    const float knit = 0.96f + 0.04f * noise2(p.x * 1.7f, p.y * 1.7f, 415);
    const float heather = 0.97f + 0.03f * noise2(p.x * 0.25f, p.y * 0.25f, 417);
    const float neck = neck_scoop(p);
    V3 colour = kCotton * (knit * heather);
    if (neck < 0.0f) {
        // Inside the collar the back of the shirt shows, in its own shade.
        colour = colour * (0.55f + 0.1f * smoothstep(-30.0f, 0.0f, neck));
    } else {
        const Colour ink = print_at(print, p + drift);
        const V3 under = colour * (1.0f - ink.a);
        colour = under + V3{ink.r, ink.g, ink.b} * (0.9f + 0.1f * noise2(p.x * 0.7f, p.y * 0.7f, 419));
        // The ribbed collar band.
        if (neck < 7.0f) colour = colour * (0.92f + 0.08f * std::sin(std::atan2(p.y - kNeck.y, p.x - kNeck.x) * 120.0f));
    }
    const float lit = neck < 0.0f ? 0.75f : light_at(p, n);
    const float a = coverage(s);
    return over(covered(colour * lit, a), shadow);
}

}  // namespace

Canvas paint_shirt(const Face& face)
{
    const Print print = lay_out_print(face);
    Canvas c(kWidth, kHeight);
    const float step = 1.0f / kSuper, weight = step * step;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            Colour sum{0, 0, 0, 0};
            for (int j = 0; j < kSuper; ++j)
                for (int i = 0; i < kSuper; ++i) {
                    const Colour s = sample(print, V2{float(x) + (float(i) + 0.5f) * step, float(y) + (float(j) + 0.5f) * step});
                    sum = {sum.r + s.r, sum.g + s.g, sum.b + s.b, sum.a + s.a};
                }
            c.at(x, y) = {sum.r * weight, sum.g * weight, sum.b * weight, sum.a * weight};
        }
    return c;
}
