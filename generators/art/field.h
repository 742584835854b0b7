// Scalar fields on a pixel grid (glyph coverage, signed distances) and the
// exact distance transform that turns a shape's mask into a distance field.
#pragma once

#include <vector>

// w x h floats, row after row, top row first.
struct Field {
    int w = 0, h = 0;
    std::vector<float> v;

    Field() = default;
    Field(int width, int height, float fill) : w(width), h(height), v(std::size_t(width) * std::size_t(height), fill) {}
    float& at(int x, int y) { return v[std::size_t(y) * std::size_t(w) + std::size_t(x)]; }
    float at(int x, int y) const { return v[std::size_t(y) * std::size_t(w) + std::size_t(x)]; }
    // The value at the nearest grid point, so callers may read just past the edge.
    float clamped(int x, int y) const;
};

// Signed Euclidean distance, in grid pixels, from each pixel centre to the
// boundary of the shape {coverage >= 0.5}: negative inside, positive outside.
Field signed_distance(const Field& coverage);

// A distance field `factor` times coarser: each output pixel is the mean of
// its factor x factor block, with distances rescaled to output pixels.
Field shrink_distance(const Field& fine, int factor);
