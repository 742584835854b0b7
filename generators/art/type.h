// The show's display face, found with fontconfig and opened with FreeType, and
// the rasterising of its glyphs and lines of text into coverage fields.
#pragma once

#include "field.h"

#include <string>
#include <string_view>

// The file of League Spartan Black (Debian's fonts-league-spartan): heavy
// geometric capitals whose strokes are wide enough to carry a rust texture.
// Asks fontconfig first and falls back to where Debian installs it; throws
// std::runtime_error naming the package when neither has it.
std::string find_display_face();

// Coverage (0..1) of some rendered text, and where its pen started: the
// origin lies at (origin_x, baseline_y) in the field's pixels.
struct Ink {
    Field cover;
    int origin_x = 0, baseline_y = 0;
    float advance = 0.0f;  // pen travel, pixels
};

// A 2x2 linear map applied to glyph outlines (y up, as in the font).
struct Shape2 {
    float xx = 1, xy = 0, yx = 0, yy = 1;
};

class Face {
public:
    // Throws std::runtime_error naming the path and the package when the face
    // cannot be opened.
    explicit Face(const char* path);
    ~Face();
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    // One glyph at `size` pixels per em, transformed by `shape`; the origin
    // lies exactly on a pixel corner. A positive `descent` squashes whatever
    // hangs below the baseline to at most that many pixels.
    Ink glyph(char32_t ch, float size, Shape2 shape = {}, float descent = 0.0f) const;
    // A line of text, `size` pixels per em, stretched horizontally by
    // x_scale, with `tracking` extra pixels between letters.
    Ink line(std::string_view text, float size, float x_scale = 1.0f, float tracking = 0.0f) const;
    // Height in pixels of a flat capital (H) at one pixel per em.
    float cap_height_per_em() const;

private:
    struct Impl;
    Impl* impl_;
};

// Places `ink` so that its origin falls on a pixel corner of a grid `factor`
// times coarser, with at least `pad` coarse pixels all round; returns the
// signed distance field on the coarse grid and the origin's coarse position.
struct Shape {
    Field distance;  // coarse pixels, negative inside
    int origin_x = 0, baseline_y = 0;
};
Shape shape_from_ink(const Ink& ink, int factor, int pad);
