// Deterministic lattice noise: every value follows from the coordinates and a
// seed through an integer hash, so a picture never depends on the run.
#pragma once

#include "vec.h"

#include <cstdint>

// A well-mixed 32-bit hash of a lattice point and a seed.
std::uint32_t hash3(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed);
// hash3 mapped to 0..1.
float hash01(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed);

// Smooth value noise in 0..1, lattice spacing 1.
float noise2(float x, float y, std::uint32_t seed);
float noise3(V3 p, std::uint32_t seed);

// Value noise in 0..1 with its gradient (d/dx, d/dy), for terrain whose
// detail fades on steep slopes.
struct NoiseD {
    float v, dx, dy;
};
NoiseD noise2d(float x, float y, std::uint32_t seed);

// Fractal sums in 0..1: `octaves` layers, each twice the frequency and
// `gain` times the weight of the last.
float fbm2(float x, float y, int octaves, float gain, std::uint32_t seed);
float fbm3(V3 p, int octaves, float gain, std::uint32_t seed);
