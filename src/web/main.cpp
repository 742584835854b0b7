// The show in a browser tab. The page fetches the assets into the program's
// files and starts the show on the viewer's gesture; each frame is drawn from
// the browser's frame callback at the show time the page reads from the
// music's playback position.
#include "common/screen.h"
#include "overlay/pictures.h"
#include "show/clock.h"
#include "show/frame.h"
#include "show/startup.h"

#include <emscripten.h>

#include <cstdio>

namespace {

ShowClock show_clock;
GlowFilter glow;
bool screen_open = false;

// Milliseconds since the music started, never less than the last answer.
EM_JS(double, page_show_ms, (), { return Module.showMs(); });
// The loop stopped on the viewer's quit: the page stops the music.
EM_JS(void, page_show_ended, (), { Module.showEnded(); });

void frame_callback()
{
    show_frame(clock_advance(show_clock, static_cast<std::uint32_t>(page_show_ms())), glow);
    if (quit_requested()) {
        emscripten_cancel_main_loop();
        page_show_ended();
    }
}

bool screen_takes_our_order()
{
    const SDL_PixelFormat* f = s->format;
    if (f->Rmask == kRedMask && f->Gmask == kGreenMask && f->Bmask == kBlueMask) return true;
    std::fprintf(stderr, "quorvex: the canvas surface's channels are not R, G, B, A in memory\n");
    return false;
}

}  // namespace

extern "C" {

// The asset files the page fetches, "d/..." names: the font atlas, then the
// pictures; null past the last.
EMSCRIPTEN_KEEPALIVE const char* web_asset(int i)
{
    if (i == 0) return kFontFile;
    if (i >= 1 && i <= kPictureCount) return lgfn[i - 1];
    return nullptr;
}

// Loads the fetched assets as the desktop program does; 1 when all loaded,
// 0 after "fontti" or "kuvia" and the reason, as the desktop program prints them.
EMSCRIPTEN_KEEPALIVE int web_load()
{
    return screen_open && load_show_images() ? 1 : 0;
}

// Starts the frames at show time 0, with the filter and the clock fresh.
EMSCRIPTEN_KEEPALIVE void web_begin()
{
    show_clock = clock_start(0);
    glow = GlowFilter{};
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    emscripten_set_main_loop(frame_callback, 0, 0);
}

#ifdef QUORVEX_WEB_TEST
// The test build's hook: draws the moment ms into the show with a fresh
// filter, as the capture tool draws its first frame, and shows it unless the
// drawing alone is being timed.
EMSCRIPTEN_KEEPALIVE void web_draw_at(double ms, int present)
{
    GlowFilter fresh;
    draw_frame(s, clock_at(static_cast<std::int64_t>(ms)), fresh);
    if (present != 0) present_screen();
}

// The show time of the last frame drawn.
EMSCRIPTEN_KEEPALIVE double web_elapsed_ms()
{
    return static_cast<double>(show_clock.elapsed_ms);
}
#endif
}

// Builds the stripe table and opens the canvas; the page then fetches the assets.
int main()
{
    if (!build_stripe_tables()) {
        std::fprintf(stderr, "quorvex: cannot allocate the stripe tables: out of memory\n");
        return 1;
    }
    SDL_Init(SDL_INIT_VIDEO);
    if (!open_screen(true) || !screen_takes_our_order()) return 1;
    present_screen();  // gives the screen its memory before the first frame
    screen_open = true;
    return 0;
}
