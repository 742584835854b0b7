// The sky: the gradient bends sharply near the horizon, where the air is
// thickest; clouds are a flat layer of noise seen in perspective, lit from
// behind near the sun.
#include "sky.h"

#include "noise.h"

#include <algorithm>
#include <cmath>

V3 sky_radiance(const SkyLook& sky, V3 rd)
{
    const float up = std::max(rd.y, 0.0f);
    V3 c = mix(sky.horizon, sky.zenith, std::pow(up, 0.45f));
    const float towards_sun = std::max(0.0f, dot(rd, sky.sun_dir));
    c = c + sky.sun_colour * (0.3f * std::pow(towards_sun, 24.0f) + 0.6f * std::pow(towards_sun, 200.0f));
    c = c + sky.sun_colour * (60.0f * smoothstep(0.9997f, 0.9999f, towards_sun));
    if (rd.y > 0.01f && sky.cloud_cover > 0.0f) {
        const float dist = 1.0f / rd.y;  // cloud layer at unit height
        const float n = fbm2(rd.x * dist * 1.3f, rd.z * dist * 1.3f, 5, 0.5f, sky.seed);
        const float cover = smoothstep(1.0f - sky.cloud_cover, 1.15f - sky.cloud_cover * 0.6f, n);
        const float fade = smoothstep(0.01f, 0.25f, rd.y);
        const V3 lit = mix(sky.horizon * 1.6f, sky.sun_colour * 0.9f, std::pow(towards_sun, 6.0f));
        c = mix(c, lit * (0.7f + 0.5f * n), cover * fade * 0.9f);
    }
    return c;
}
