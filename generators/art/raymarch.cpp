// Cameras and the darkroom step shared by every photograph.
#include "raymarch.h"

#include "noise.h"

#include <thread>

Camera look_at(V3 eye, V3 target, float horizontal_fov_degrees)
{
    Camera c;
    c.eye = eye;
    c.forward = normalize(target - eye);
    c.right = normalize(cross(V3{0, 1, 0}, c.forward));
    c.up = cross(c.forward, c.right);
    c.zoom = 1.0f / std::tan(horizontal_fov_degrees * 0.5f * 3.14159265f / 180.0f);
    return c;
}

V3 primary_ray(const Camera& cam, float px, float py)
{
    const float half = float(kPhotoWidth) * 0.5f;
    const float u = (px - half) / half, v = (float(kPhotoHeight) * 0.5f - py) / half;
    return normalize(cam.forward * cam.zoom + cam.right * u + cam.up * v);
}

void for_each_row(const std::function<void(int)>& row)
{
    const int workers = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    std::vector<std::thread> crew;
    for (int w = 0; w < workers; ++w)
        crew.emplace_back([&row, w, workers] {
            for (int y = w; y < kPhotoHeight; y += workers) row(y);
        });
    for (std::thread& t : crew) t.join();
}

namespace {

constexpr float kFringe = 0.0016f;   // red and blue images differ in scale by this much
constexpr float kGlowFrom = 0.9f;    // exposed light above this spills into a glow
constexpr float kGlowStrength = 0.3f;
constexpr int kGlowRadius = 5;       // pixels, per box pass (three passes)

V3 bilinear(const Exposure& e, float x, float y)
{
    x = std::clamp(x - 0.5f, 0.0f, float(kPhotoWidth - 1));
    y = std::clamp(y - 0.5f, 0.0f, float(kPhotoHeight - 1));
    const int x0 = std::min(int(x), kPhotoWidth - 2), y0 = std::min(int(y), kPhotoHeight - 2);
    const float fx = x - float(x0), fy = y - float(y0);
    const V3 top = mix(e.at(x0, y0), e.at(x0 + 1, y0), fx), bottom = mix(e.at(x0, y0 + 1), e.at(x0 + 1, y0 + 1), fx);
    return mix(top, bottom, fy);
}

// The lens: exposure with natural fall-off to the corners, and the red and
// blue images very slightly larger and smaller than the green.
Exposure through_lens(const Exposure& light, const Film& film)
{
    Exposure out;
    const float cx = kPhotoWidth * 0.5f, cy = kPhotoHeight * 0.5f;
    for (int y = 0; y < kPhotoHeight; ++y)
        for (int x = 0; x < kPhotoWidth; ++x) {
            const float px = float(x) + 0.5f, py = float(y) + 0.5f;
            const float u = px / float(kPhotoWidth) - 0.5f, v = py / float(kPhotoHeight) - 0.5f;
            const float fall = 1.0f - film.vignette * std::pow(clamp01((u * u + v * v) * 2.0f), 1.5f);
            const V3 r = bilinear(light, cx + (px - cx) * (1.0f + kFringe), cy + (py - cy) * (1.0f + kFringe));
            const V3 b = bilinear(light, cx + (px - cx) * (1.0f - kFringe), cy + (py - cy) * (1.0f - kFringe));
            out.at(x, y) = V3{r.x, light.at(x, y).y, b.z} * (film.exposure * fall);
        }
    return out;
}

// One box blur along rows (dx = 1) or columns (dy = 1), clamped at the edges.
Exposure box_pass(const Exposure& in, int dx, int dy)
{
    Exposure out;
    const float k = 1.0f / float(2 * kGlowRadius + 1);
    for (int y = 0; y < kPhotoHeight; ++y)
        for (int x = 0; x < kPhotoWidth; ++x) {
            V3 sum{0, 0, 0};
            for (int i = -kGlowRadius; i <= kGlowRadius; ++i)
                sum = sum + in.at(std::clamp(x + i * dx, 0, kPhotoWidth - 1), std::clamp(y + i * dy, 0, kPhotoHeight - 1));
            out.at(x, y) = sum * k;
        }
    return out;
}

// Light scattered in the lens and the film round anything bright.
Exposure glow(const Exposure& lit)
{
    Exposure g;
    for (std::size_t i = 0; i < lit.px.size(); ++i) {
        const V3 c = lit.px[i];
        g.px[i] = {std::max(0.0f, c.x - kGlowFrom), std::max(0.0f, c.y - kGlowFrom), std::max(0.0f, c.z - kGlowFrom)};
    }
    for (int pass = 0; pass < 3; ++pass) g = box_pass(box_pass(g, 1, 0), 0, 1);
    return g;
}

// The film's response: a filmic curve (rational fit of the usual cinema
// response) that rolls highlights off rather than clipping them.
float curve(float c) { return clamp01((c * (2.51f * c + 0.03f)) / (c * (2.43f * c + 0.59f) + 0.14f)); }
float encode(float c) { return c <= 0.0031308f ? 12.92f * c : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f; }

}  // namespace

Exposure defocus(const Exposure& light, const std::vector<float>& depth, Focus lens)
{
    std::vector<float> blur(depth.size());
    for (std::size_t i = 0; i < depth.size(); ++i)
        blur[i] = std::min(float(kMaxBlur), lens.aperture * std::fabs(depth[i] - lens.focus) / std::max(depth[i], 1e-3f));
    Exposure out;
    for_each_row([&](int y) {
        for (int x = 0; x < kPhotoWidth; ++x) {
            // Every neighbour whose blur circle reaches this pixel spreads its
            // light over that circle's area; a sharp pixel keeps its own.
            V3 sum{0, 0, 0};
            float weight = 0.0f;
            for (int j = -kMaxBlur; j <= kMaxBlur; ++j)
                for (int i = -kMaxBlur; i <= kMaxBlur; ++i) {
                    const int qx = x + i, qy = y + j;
                    if (qx < 0 || qy < 0 || qx >= kPhotoWidth || qy >= kPhotoHeight) continue;
                    const float r = blur[std::size_t(qy) * kPhotoWidth + std::size_t(qx)] + 0.5f;
                    const float reach = clamp01(r + 0.5f - std::sqrt(float(i * i + j * j)));
                    if (reach <= 0.0f) continue;
                    const float w = reach / (r * r);
                    sum = sum + light.at(qx, qy) * w;
                    weight += w;
                }
            out.at(x, y) = sum * (1.0f / weight);
        }
    });
    return out;
}

Canvas develop(const Exposure& light, const Film& film)
{
    const Exposure lit = through_lens(light, film);
    const Exposure halo = glow(lit);
    Canvas c(kPhotoWidth, kPhotoHeight);
    const V3 warm{1.0f, 0.85f, 0.7f};
    for (int y = 0; y < kPhotoHeight; ++y)
        for (int x = 0; x < kPhotoWidth; ++x) {
            const V3 x3 = lit.at(x, y) + halo.at(x, y) * warm * kGlowStrength;
            // Deep shadows keep a trace of the film base instead of going pure black.
            const V3 toned{0.012f + 0.988f * curve(x3.x), 0.012f + 0.988f * curve(x3.y), 0.016f + 0.984f * curve(x3.z)};
            const V3 shown{encode(toned.x), encode(toned.y), encode(toned.z)};
            // Grain clumps (a coarse and a fine layer) and shows most in the mid-tones.
            const float l = 0.3f * shown.x + 0.59f * shown.y + 0.11f * shown.z;
            const float clump = 0.6f * (hash01(x, y, 0, film.seed) - 0.5f) + 0.4f * (hash01(x / 2, y / 2, 1, film.seed) - 0.5f);
            const float g = clump * film.grain * (0.6f + 2.4f * l * (1.0f - l));
            const float tint = (hash01(x, y, 2, film.seed) - 0.5f) * film.grain * 0.3f;
            c.at(x, y) = opaque(V3{shown.x + g + tint, shown.y + g, shown.z + g - tint});
        }
    return c;
}
