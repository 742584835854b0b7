// FreeType rasterising. Hinting is off: the glyphs are drawn large and at
// several times their final size, where hinting only distorts the design.
#include "type.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

struct Face::Impl {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
};

namespace {

FT_Fixed fixed16(float v) { return FT_Fixed(std::lround(double(v) * 65536.0)); }

// A rendered glyph bitmap with its top-left corner relative to the origin.
struct Bitmap {
    int left = 0, top = 0, w = 0, h = 0;  // top counts upwards from the baseline
    std::vector<float> cover;
    float advance_x = 0.0f, advance_y = 0.0f;
};

// Squashes the part of the outline below the baseline so it reaches at most
// `limit` pixels down (26.6 units in the outline), leaving the rest alone.
void limit_descent(FT_Outline& outline, float limit)
{
    FT_Pos lowest = 0;
    for (int i = 0; i < outline.n_points; ++i) lowest = std::min(lowest, outline.points[i].y);
    const FT_Pos floor26 = FT_Pos(std::lround(-limit * 64.0f));
    if (lowest >= floor26) return;
    const double k = double(floor26) / double(lowest);
    for (int i = 0; i < outline.n_points; ++i)
        if (outline.points[i].y < 0) outline.points[i].y = FT_Pos(std::lround(double(outline.points[i].y) * k));
}

Bitmap render(FT_Face face, char32_t ch, float size, Shape2 m, float pen_frac, float descent)
{
    FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(size * 64.0f)), 72, 72);
    FT_Matrix matrix{fixed16(m.xx), fixed16(m.xy), fixed16(m.yx), fixed16(m.yy)};
    FT_Vector delta{FT_Pos(std::lround(pen_frac * 64.0f)), 0};
    FT_Set_Transform(face, &matrix, &delta);
    const FT_GlyphSlot slot = face->glyph;
    if (FT_Load_Char(face, FT_ULong(ch), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        slot->format != FT_GLYPH_FORMAT_OUTLINE)
        throw std::runtime_error("the display face has no outline for character " + std::to_string(unsigned(ch)));
    if (descent > 0.0f) limit_descent(slot->outline, descent);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
        throw std::runtime_error("FreeType cannot render character " + std::to_string(unsigned(ch)));
    Bitmap b;
    b.left = slot->bitmap_left;
    b.top = slot->bitmap_top;
    b.w = int(slot->bitmap.width);
    b.h = int(slot->bitmap.rows);
    b.advance_x = float(slot->advance.x) / 64.0f;
    b.advance_y = float(slot->advance.y) / 64.0f;
    b.cover.resize(std::size_t(b.w) * std::size_t(b.h));
    for (int y = 0; y < b.h; ++y)
        for (int x = 0; x < b.w; ++x)
            b.cover[std::size_t(y) * std::size_t(b.w) + std::size_t(x)] =
                float(slot->bitmap.buffer[y * slot->bitmap.pitch + x]) / 255.0f;
    return b;
}

// Lays glyph bitmaps (each with its pen position) into one coverage field.
Ink compose(const std::vector<Bitmap>& glyphs, const std::vector<int>& pens, float advance)
{
    int x0 = 0, x1 = 1, top = 1, bottom = 0;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const Bitmap& b = glyphs[i];
        x0 = std::min(x0, pens[i] + b.left);
        x1 = std::max(x1, pens[i] + b.left + b.w);
        top = std::max(top, b.top);
        bottom = std::min(bottom, b.top - b.h);
    }
    Ink ink;
    ink.cover = Field(x1 - x0, top - bottom, 0.0f);
    ink.origin_x = -x0;
    ink.baseline_y = top;
    ink.advance = advance;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const Bitmap& b = glyphs[i];
        const int ox = pens[i] + b.left - x0, oy = top - b.top;
        for (int y = 0; y < b.h; ++y)
            for (int x = 0; x < b.w; ++x) {
                float& c = ink.cover.at(ox + x, oy + y);
                c = std::max(c, b.cover[std::size_t(y) * std::size_t(b.w) + std::size_t(x)]);
            }
    }
    return ink;
}

constexpr const char* kDebianFacePath = "/usr/share/fonts/opentype/league-spartan/LeagueSpartan-Black.otf";

bool is_file(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The file fontconfig holds for League Spartan at black weight, or "" when
// its best match is another family or weight (it always offers something).
std::string ask_fontconfig()
{
    if (!FcInit()) return "";
    FcPattern* want = FcPatternCreate();
    FcPatternAddString(want, FC_FAMILY, reinterpret_cast<const FcChar8*>("League Spartan"));
    FcPatternAddInteger(want, FC_WEIGHT, FC_WEIGHT_BLACK);
    FcConfigSubstitute(nullptr, want, FcMatchPattern);
    FcDefaultSubstitute(want);
    FcResult result = FcResultNoMatch;
    FcPattern* got = FcFontMatch(nullptr, want, &result);
    std::string path;
    FcChar8 *family = nullptr, *file = nullptr;
    int weight = 0;
    if (got && FcPatternGetString(got, FC_FAMILY, 0, &family) == FcResultMatch &&
        FcPatternGetInteger(got, FC_WEIGHT, 0, &weight) == FcResultMatch && weight == FC_WEIGHT_BLACK &&
        std::string(reinterpret_cast<const char*>(family)) == "League Spartan" &&
        FcPatternGetString(got, FC_FILE, 0, &file) == FcResultMatch)
        path = reinterpret_cast<const char*>(file);
    if (got) FcPatternDestroy(got);
    FcPatternDestroy(want);
    return path;
}

}  // namespace

std::string find_display_face()
{
    const std::string found = ask_fontconfig();
    if (!found.empty() && is_file(found)) return found;
    if (is_file(kDebianFacePath)) return kDebianFacePath;
    throw std::runtime_error("cannot find the font League Spartan Black (install the Debian package fonts-league-spartan)");
}

Face::Face(const char* path) : impl_(new Impl)
{
    if (FT_Init_FreeType(&impl_->lib) != 0 || FT_New_Face(impl_->lib, path, 0, &impl_->face) != 0) {
        if (impl_->lib) FT_Done_FreeType(impl_->lib);
        delete impl_;
        throw std::runtime_error(std::string("cannot open the display face ") + path +
                                 " (install the Debian package fonts-league-spartan)");
    }
}

Face::~Face()
{
    FT_Done_Face(impl_->face);
    FT_Done_FreeType(impl_->lib);
    delete impl_;
}

Ink Face::glyph(char32_t ch, float size, Shape2 shape, float descent) const
{
    const Bitmap b = render(impl_->face, ch, size, shape, 0.0f, descent);
    return compose({b}, {0}, b.advance_x);
}

Ink Face::line(std::string_view text, float size, float x_scale, float tracking) const
{
    std::vector<Bitmap> glyphs;
    std::vector<int> pens;
    float pen = 0.0f;
    for (char c : text) {
        // The whole pixel goes to the bitmap's position, the fraction to the outline.
        const float whole = std::floor(pen);
        glyphs.push_back(render(impl_->face, char32_t(static_cast<unsigned char>(c)), size, {x_scale, 0, 0, 1}, pen - whole, 0.0f));
        pens.push_back(int(whole));
        pen += glyphs.back().advance_x + tracking;
    }
    return compose(glyphs, pens, pen - tracking);
}

float Face::cap_height_per_em() const
{
    const Ink h = glyph(U'H', 1000.0f);
    return float(h.baseline_y) / 1000.0f;
}

Shape shape_from_ink(const Ink& ink, int factor, int pad)
{
    const auto lead = [&](int origin) {
        const int base = pad * factor;
        return base + (factor - (origin + base) % factor) % factor;
    };
    const int left = lead(ink.origin_x), top = lead(ink.baseline_y);
    const auto round_up = [&](int v) { return (v + factor - 1) / factor * factor; };
    Field fine(round_up(left + ink.cover.w + pad * factor), round_up(top + ink.cover.h + pad * factor), 0.0f);
    for (int y = 0; y < ink.cover.h; ++y)
        for (int x = 0; x < ink.cover.w; ++x) fine.at(left + x, top + y) = ink.cover.at(x, y);
    Shape s;
    s.distance = shrink_distance(signed_distance(fine), factor);
    s.origin_x = (left + ink.origin_x) / factor;
    s.baseline_y = (top + ink.baseline_y) / factor;
    return s;
}
