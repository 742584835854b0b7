// The two texts over the backdrop: the intro caption typed out in the first
// seconds, and the long message scrolling along the bottom on the beat.
#pragma once

#include "overlay/compositor.h"

#include <SDL.h>

#include <cstdint>

// The scroll text: one line of font characters and spaces, opening with nine spaces.
extern const char* const st;

// The caption is drawn while the beat is below this.
constexpr double kCaptionEndBeat = 31;

void draw_caption(SDL_Surface* s, double beat, double phase, Blitter blitter = Blitter::simd);
void draw_scroller(SDL_Surface* s, double beat, Blitter blitter = Blitter::simd);

// The scroller's left edge at a beat: the screen's right edge at beat 5,
// moving 300 pixels per beat; clamped to 32 bits for arbitrarily late beats.
std::int32_t scroller_x(double beat, int screen_w);

// The beat from which the last glyph of text has left a screen_w wide screen
// (its pen has passed -100), or 0 for a text without glyphs.
double scroller_end_beat(const char* text, int screen_w);
