// The show's logo: QUORVEX cut from heavy rusted plate, with a deep bevel and
// a soft shadow that lifts it off whatever is behind.
#include "paint2d.h"
#include "posters.h"
#include "rust.h"

namespace {

constexpr int kOversample = 4;
constexpr float kWidth = 740.0f;  // pixels the word spans
constexpr float kTracking = 6.0f;  // pixels between letters
constexpr int kPad = 22;          // pixels round the word for rim and shadow
constexpr MetalStyle kLogoMetal{5.0f, 11.0f, 70.0f, 1987};
constexpr int kIconPad = 12;  // pixels round the icon's letter for rim and shadow
constexpr MetalStyle kIconMetal{6.0f, 12.0f, 60.0f, 1987};

}  // namespace

Canvas paint_logo(const Face& face)
{
    const float unit = float(face.line("QUORVEX", 100.0f, 1.0f, kTracking).cover.w) / 100.0f;
    const float em = (kWidth / unit) * kOversample;
    const Shape s = shape_from_ink(face.line("QUORVEX", em, 1.0f, kTracking * kOversample), kOversample, kPad);
    Canvas c(s.distance.w, s.distance.h);
    drop_shadow(c, s.distance, 7, 10, 12.0f, 0.55f);
    paint_rusted_metal(c, 0, 0, s.distance, kLogoMetal, {0, 0, c.w, c.h});
    return c;
}

Canvas paint_icon(const Face& face)
{
    // The logo's first letter in the logo's plate, as large as the square
    // allows once rim and shadow have their room.
    const int side = kIconSide * kOversample;
    const Ink q = face.glyph(U'Q', 100.0f);
    const float em = 100.0f * float(side - 2 * kIconPad * kOversample) / float(std::max(q.cover.w, q.cover.h));
    const Shape s = shape_from_ink(face.glyph(U'Q', em), kOversample, kIconPad);
    Canvas c(kIconSide, kIconSide);
    const int ox = (kIconSide - s.distance.w) / 2, oy = (kIconSide - s.distance.h) / 2;
    drop_shadow(c, s.distance, ox + 5, oy + 7, 9.0f, 0.5f);
    paint_rusted_metal(c, ox, oy, s.distance, kIconMetal, {0, 0, c.w, c.h});
    return c;
}
