// Small vector maths shared by the painters: 2- and 3-component float vectors
// and the scalar helpers shaders lean on.
#pragma once

#include <algorithm>
#include <cmath>

struct V2 {
    float x, y;
};

struct V3 {
    float x, y, z;
};

constexpr V2 operator+(V2 a, V2 b) { return {a.x + b.x, a.y + b.y}; }
constexpr V2 operator-(V2 a, V2 b) { return {a.x - b.x, a.y - b.y}; }
constexpr V2 operator*(V2 a, float s) { return {a.x * s, a.y * s}; }
constexpr float dot(V2 a, V2 b) { return a.x * b.x + a.y * b.y; }
inline float length(V2 a) { return std::sqrt(dot(a, a)); }

constexpr V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
constexpr V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
constexpr V3 operator-(V3 a) { return {-a.x, -a.y, -a.z}; }
constexpr V3 operator*(V3 a, V3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
constexpr V3 operator*(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
constexpr V3 operator*(float s, V3 a) { return a * s; }
constexpr float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr V3 cross(V3 a, V3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(V3 a) { return std::sqrt(dot(a, a)); }
inline V3 normalize(V3 a) { return a * (1.0f / length(a)); }
constexpr V3 mix(V3 a, V3 b, float t) { return a + (b - a) * t; }
constexpr V3 reflect(V3 i, V3 n) { return i - n * (2.0f * dot(i, n)); }

constexpr float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }
constexpr float mix(float a, float b, float t) { return a + (b - a) * t; }
constexpr float smoothstep(float e0, float e1, float v)
{
    const float t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}
