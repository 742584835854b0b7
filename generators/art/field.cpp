// Distance transform after Felzenszwalb and Huttenlocher: exact squared
// Euclidean distances by lower envelopes of parabolas, one axis at a time,
// linear in the number of pixels.
#include "field.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kFar = 1e20;

// Squared distances along one line: f holds 0 at sources and kFar elsewhere.
// hull and cuts are scratch space of at least f.size() and f.size() + 1.
void envelope_1d(const std::vector<double>& f, std::vector<double>& d, std::vector<int>& hull, std::vector<double>& cuts)
{
    const int n = int(f.size());
    const auto at = [](auto& v, int i) -> auto& { return v[std::size_t(i)]; };
    const auto cut = [&](int q, int p) {
        return ((at(f, q) + double(q) * q) - (at(f, p) + double(p) * p)) / (2.0 * (q - p));
    };
    int k = 0;
    at(hull, 0) = 0;
    at(cuts, 0) = -std::numeric_limits<double>::infinity();
    at(cuts, 1) = std::numeric_limits<double>::infinity();
    for (int q = 1; q < n; ++q) {
        double s = cut(q, at(hull, k));
        while (s <= at(cuts, k)) {
            --k;
            s = cut(q, at(hull, k));
        }
        ++k;
        at(hull, k) = q;
        at(cuts, k) = s;
        at(cuts, k + 1) = std::numeric_limits<double>::infinity();
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (at(cuts, k + 1) < q) ++k;
        const int p = at(hull, k);
        at(d, q) = double(q - p) * (q - p) + at(f, p);
    }
}

// Squared distance from every pixel to the nearest pixel where `source` holds.
std::vector<double> squared_distance_to(const Field& coverage, bool inside_is_source)
{
    std::vector<double> g(coverage.v.size(), kFar);
    for (std::size_t i = 0; i < g.size(); ++i)
        if ((coverage.v[i] >= 0.5f) == inside_is_source) g[i] = 0.0;
    const int w = coverage.w, h = coverage.h;
    const auto idx = [w](int x, int y) { return std::size_t(y) * std::size_t(w) + std::size_t(x); };
    const int longest = std::max(w, h);
    std::vector<double> f, d, cuts(std::size_t(longest) + 1);
    std::vector<int> hull(static_cast<std::size_t>(longest));
    f.resize(std::size_t(h));
    d.resize(std::size_t(h));
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) f[std::size_t(y)] = g[idx(x, y)];
        envelope_1d(f, d, hull, cuts);
        for (int y = 0; y < h; ++y) g[idx(x, y)] = d[std::size_t(y)];
    }
    f.resize(std::size_t(w));
    d.resize(std::size_t(w));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) f[std::size_t(x)] = g[idx(x, y)];
        envelope_1d(f, d, hull, cuts);
        for (int x = 0; x < w; ++x) g[idx(x, y)] = d[std::size_t(x)];
    }
    return g;
}

}  // namespace

float Field::clamped(int x, int y) const
{
    return at(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1));
}

Field signed_distance(const Field& coverage)
{
    const std::vector<double> to_inside = squared_distance_to(coverage, true);
    const std::vector<double> to_outside = squared_distance_to(coverage, false);
    Field out(coverage.w, coverage.h, 0.0f);
    for (std::size_t i = 0; i < out.v.size(); ++i) {
        // Pixel centres sit half a pixel from the edge between an inside and
        // an outside pixel, so both distances are pulled back by a half.
        if (coverage.v[i] >= 0.5f)
            out.v[i] = 0.5f - float(std::sqrt(to_outside[i]));
        else
            out.v[i] = float(std::sqrt(to_inside[i])) - 0.5f;
    }
    return out;
}

Field shrink_distance(const Field& fine, int factor)
{
    Field out(fine.w / factor, fine.h / factor, 0.0f);
    const float scale = 1.0f / float(factor * factor * factor);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) {
            float sum = 0.0f;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) sum += fine.at(x * factor + i, y * factor + j);
            out.at(x, y) = sum * scale;
        }
    return out;
}
