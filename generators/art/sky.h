// A daylight sky shared by the outdoor photographs: a gradient, the sun's
// disc and glow, and a layer of fair-weather cloud.
#pragma once

#include "vec.h"

#include <cstdint>

struct SkyLook {
    V3 zenith, horizon;  // linear radiance straight up and at the horizon
    V3 sun_dir;          // unit vector towards the sun
    V3 sun_colour;       // radiance of the glow around the sun
    float cloud_cover;   // 0 clear .. 1 overcast
    std::uint32_t seed;
};

// Linear radiance seen along the unit direction rd.
V3 sky_radiance(const SkyLook& sky, V3 rd);
