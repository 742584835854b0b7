// Cameras and the darkroom step shared by every photograph.
#include "raymarch.h"

#include "noise.h"

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

V3 develop(V3 linear, const Film& film, float px, float py)
{
    const float u = px / float(kPhotoWidth) - 0.5f, v = py / float(kPhotoHeight) - 0.5f;
    const float fall = 1.0f - film.vignette * std::pow(clamp01((u * u + v * v) * 2.0f), 1.5f);
    const V3 x = linear * (film.exposure * fall);
    // A filmic curve (rational fit of the usual cinema response).
    const auto curve = [](float c) { return clamp01((c * (2.51f * c + 0.03f)) / (c * (2.43f * c + 0.59f) + 0.14f)); };
    const V3 toned{curve(x.x), curve(x.y), curve(x.z)};
    const auto encode = [](float c) { return c <= 0.0031308f ? 12.92f * c : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f; };
    const float g = (hash01(int(px), int(py), 0, film.seed) - 0.5f) * film.grain;
    return {encode(toned.x) + g, encode(toned.y) + g, encode(toned.z) + g};
}
