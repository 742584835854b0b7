// The bitmap font atlas: every glyph of the glyph table painted in rusted
// metal inside its rectangle, transparent everywhere else.
#pragma once

#include "canvas.h"
#include "type.h"

// A kAtlasMinWidth x kAtlasMinHeight canvas holding the font.
Canvas paint_font_atlas(const Face& face);
