// Value noise with quintic fades (continuous second derivative, so lit
// surfaces built on it show no creases at lattice lines).
#include "noise.h"

#include <cmath>

namespace {

constexpr float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }
constexpr float fade_slope(float t) { return 30.0f * t * t * (t * (t - 2.0f) + 1.0f); }

std::int32_t cell(float v) { return static_cast<std::int32_t>(std::floor(v)); }

}  // namespace

std::uint32_t hash3(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B9u;
    h ^= std::uint32_t(x) * 0x85EBCA6Bu;
    h ^= std::uint32_t(y) * 0xC2B2AE35u;
    h ^= std::uint32_t(z) * 0x27D4EB2Fu;
    // Final mixer of a 32-bit integer hash: every input bit reaches every output bit.
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float hash01(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed)
{
    return float(hash3(x, y, z, seed) >> 8) * (1.0f / 16777216.0f);
}

float noise2(float x, float y, std::uint32_t seed)
{
    return noise2d(x, y, seed).v;
}

NoiseD noise2d(float x, float y, std::uint32_t seed)
{
    const std::int32_t ix = cell(x), iy = cell(y);
    const float fx = x - float(ix), fy = y - float(iy);
    const float a = hash01(ix, iy, 0, seed), b = hash01(ix + 1, iy, 0, seed);
    const float c = hash01(ix, iy + 1, 0, seed), d = hash01(ix + 1, iy + 1, 0, seed);
    const float u = fade(fx), v = fade(fy);
    const float du = fade_slope(fx), dv = fade_slope(fy);
    const float k = a - b - c + d;
    return {a + (b - a) * u + (c - a) * v + k * u * v, du * ((b - a) + k * v), dv * ((c - a) + k * u)};
}

float noise3(V3 p, std::uint32_t seed)
{
    const std::int32_t ix = cell(p.x), iy = cell(p.y), iz = cell(p.z);
    const float u = fade(p.x - float(ix)), v = fade(p.y - float(iy)), w = fade(p.z - float(iz));
    float layer[2];
    for (int dz = 0; dz < 2; ++dz) {
        const float a = hash01(ix, iy, iz + dz, seed), b = hash01(ix + 1, iy, iz + dz, seed);
        const float c = hash01(ix, iy + 1, iz + dz, seed), d = hash01(ix + 1, iy + 1, iz + dz, seed);
        layer[dz] = mix(mix(a, b, u), mix(c, d, u), v);
    }
    return mix(layer[0], layer[1], w);
}

float fbm2(float x, float y, int octaves, float gain, std::uint32_t seed)
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += noise2(x, y, seed + std::uint32_t(o)) * weight;
        total += weight;
        // Rotating each octave hides the lattice's axis-aligned grain.
        const float nx = 1.6f * x - 1.2f * y, ny = 1.2f * x + 1.6f * y;
        x = nx;
        y = ny;
        weight *= gain;
    }
    return sum / total;
}

float fbm3(V3 p, int octaves, float gain, std::uint32_t seed)
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += noise3(p, seed + std::uint32_t(o)) * weight;
        total += weight;
        p = V3{1.6f * p.x - 1.2f * p.z, 2.0f * p.y, 1.2f * p.x + 1.6f * p.z};
        weight *= gain;
    }
    return sum / total;
}
