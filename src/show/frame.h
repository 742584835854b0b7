// One frame of the show, drawn back to front, and the quit check between frames.
#pragma once

#include "backdrop/backdrop.h"
#include "overlay/compositor.h"
#include "show/clock.h"

#include <SDL.h>

// Which routines draw a frame: the show's (the fast backdrop, the compositor
// across SIMD lanes), or the references they are measured and tested against.
struct FramePaths {
    bool fast_backdrop = true;
    Blitter blitter = Blitter::simd;
};

// Draws backdrop, picture, caption and scroller for this frame's clock values,
// carrying the glow filter. The live show and the capture tool both draw this
// way, with the show's paths.
void draw_frame(SDL_Surface* s, const FrameClock& clock, GlowFilter& glow, FramePaths paths = {});

// A window close, or the release (not the press) of Escape.
bool is_quit_event(const SDL_Event& event);

// Drains the event queue; true at the first quit event, leaving the rest queued.
bool quit_requested();
