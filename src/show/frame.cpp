// The frame's drawing order and the event drain.
#include "show/frame.h"

#include "backdrop/backdrop_fast.h"
#include "backdrop/stripe_bits.h"
#include "backdrop/stripes.h"
#include "overlay/pictures.h"
#include "overlay/scroller.h"

void draw_frame(SDL_Surface* s, const FrameClock& clock, GlowFilter& glow, FramePaths paths)
{
    // The backdrop writes the pixels directly; the blits lock for themselves.
    const bool lock = screen_must_lock(s);
    if (lock && SDL_LockSurface(s) < 0) return;
    if (!paths.fast_backdrop || !draw_backdrop_fast(s, atnb, clock.phase, clock.beat, glow))
        draw_backdrop(s, atnt, clock.phase, clock.beat, glow);
    if (lock) SDL_UnlockSurface(s);

    draw_picture(s, clock.beat, clock.phase, paths.blitter);
    if (clock.beat < kCaptionEndBeat) draw_caption(s, clock.beat, clock.phase, paths.blitter);
    draw_scroller(s, clock.beat, paths.blitter);
}

bool is_quit_event(const SDL_Event& event)
{
    if (event.type == SDL_QUIT) return true;
    return event.type == SDL_KEYUP && event.key.keysym.sym == SDLK_ESCAPE;
}

bool quit_requested()
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if (is_quit_event(event)) return true;
    return false;
}
