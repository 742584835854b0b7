// Converting a screen position to an SDL rectangle's signed 16-bit field.
#pragma once

#include <SDL.h>

// Truncates toward zero and clamps to the field's range, so a position far off
// screen (or a non-number) stays far off screen instead of wrapping back on.
inline Sint16 to_rect_coord(double v)
{
    if (v >= 32767.0) return 32767;
    if (v > -32768.0) return static_cast<Sint16>(static_cast<int>(v));
    return -32768;
}
