// Frames are counted over one-second windows; a window holding half as many
// again as the refresh rate means nothing waits for the display, and from then
// on each frame waits for the next refresh on a clock of its own.
#include "show/pacing.h"

#include <SDL.h>
#include <SDL_loadso.h>

#include <cstring>

namespace {

constexpr std::uint32_t kWindowMs = 1000;
constexpr int kDefaultRefreshHz = 60;

// The moment of the n-th refresh after the origin, exact in integers so the
// refreshes never drift however long the show runs.
std::uint32_t refresh_tick(const Pacer& pacer, std::int64_t n)
{
    return pacer.origin + std::uint32_t(n * 1000 / pacer.refresh_hz);
}

void watch_for_unpaced_frames(Pacer& pacer, std::uint32_t now)
{
    if (pacer.window_frames < 0 || now - pacer.window_start >= kWindowMs) {
        const bool unpaced = pacer.window_frames * 2 > pacer.refresh_hz * 3;
        pacer.window_start = now;
        pacer.window_frames = 0;
        if (!unpaced) return;
        pacer.engaged = true;
        pacer.origin = now;
        pacer.refreshes = 0;
        return;
    }
    ++pacer.window_frames;
}

// SDL2's desktop display mode, as sdl12-compat's own SDL2 reports it. SDL 1.2
// has no refresh rate, so the function is looked up in the SDL2 library that
// sdl12-compat has already loaded.
struct Sdl2DisplayMode {
    std::uint32_t format;
    int w;
    int h;
    int refresh_rate;
    void* driverdata;
};

int desktop_refresh_hz()
{
#if defined(__EMSCRIPTEN__)
    return 0;  // the page's frames come with the browser's refresh
#else
#ifdef _WIN32
    void* sdl2 = SDL_LoadObject("SDL2.dll");
#else
    void* sdl2 = SDL_LoadObject("libSDL2-2.0.so.0");
#endif
    if (sdl2 == nullptr) return 0;
    using GetMode = int (*)(int, Sdl2DisplayMode*);
    auto get_mode = reinterpret_cast<GetMode>(SDL_LoadFunction(sdl2, "SDL_GetDesktopDisplayMode"));
    Sdl2DisplayMode mode{};
    const int hz = get_mode != nullptr && get_mode(0, &mode) == 0 ? mode.refresh_rate : 0;
    SDL_UnloadObject(sdl2);
    return hz;
#endif
}

}  // namespace

Pacer pacer_start(int refresh_hz)
{
    Pacer pacer;
    pacer.refresh_hz = refresh_hz;
    return pacer;
}

std::uint32_t pacer_wait_ms(Pacer& pacer, std::uint32_t now)
{
    if (pacer.refresh_hz <= 0) return 0;
    if (!pacer.engaged) {
        watch_for_unpaced_frames(pacer, now);
        return 0;
    }
    ++pacer.refreshes;
    const std::uint32_t due = refresh_tick(pacer, pacer.refreshes);
    const auto ahead = std::int32_t(due - now);
    if (ahead >= 0) return std::uint32_t(ahead);
    // A frame later than a whole refresh starts the count again rather than
    // rushing the next frames to catch up.
    if (std::int64_t(-ahead) * pacer.refresh_hz >= 1000) {
        pacer.origin = now;
        pacer.refreshes = 0;
    }
    return 0;
}

int paced_refresh_hz()
{
    if (SDL_Linked_Version()->patch < 50) return 0;  // the classic library has no vsync
    const char* sync = SDL_getenv("SDL12COMPAT_SYNC_TO_VBLANK");
    if (sync == nullptr || std::strcmp(sync, "0") == 0 || SDL_strcasecmp(sync, "false") == 0) return 0;
    const int hz = desktop_refresh_hz();
    return hz > 0 ? hz : kDefaultRefreshHz;
}
