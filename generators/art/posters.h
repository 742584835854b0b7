// The four pictures with transparency: the show's logo, the T-shirt bearing
// its print, and the yellow and blue emblems. Each fits within 800 x 476.
#pragma once

#include "canvas.h"
#include "type.h"

Canvas paint_logo(const Face& face);
Canvas paint_shirt(const Face& face);
Canvas paint_yellow_emblem(const Face& face);
Canvas paint_blue_emblem(const Face& face);

// The application icon: the logo's rusted Q on a transparent square of
// kIconSide pixels, shrunk for the smaller sizes.
constexpr int kIconSide = 256;
Canvas paint_icon(const Face& face);
