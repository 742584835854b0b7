// The live show: build the stripe table, bring up video and audio, load the
// assets, start the music in step with the clock, run frames until told to quit.
#include "show/startup.h"

#include "backdrop/stripe_bits.h"
#include "backdrop/stripes.h"
#include "overlay/glyphs.h"
#include "overlay/pictures.h"
#include "overlay/text.h"
#include "show/assets.h"
#include "show/clock.h"
#include "show/frame.h"
#include "show/pacing.h"
#include "show/track.h"

#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

SDL_Surface* s = nullptr;

namespace {

constexpr int kExitQuit = 0;
constexpr int kExitFailed = 1;

int fail_start(const char* why, const char* detail)
{
    std::fprintf(stderr, "quorvex: %s: %s\n", why, detail);
    SDL_Quit();
    return kExitFailed;
}

// The font atlas must hold every glyph rectangle.
constexpr ImageLimits kFontLimits = {kAtlasMinWidth, kAtlasMinHeight, 4096, 4096};

bool env_set(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// sdl12-compat (SDL 1.2 over SDL2) reports patch levels from 50 up; the
// classic library ended at 1.2.15.
bool on_sdl12_compat()
{
    return SDL_Linked_Version()->patch >= 50;
}

// SDL 1.2 without a display quietly falls back to console drivers (or exits
// inside one), so with no display and no driver chosen we stop first. Over
// SDL2 a Wayland session is a display too; Windows always has its own.
bool display_available()
{
#ifdef _WIN32
    return true;
#endif
    return env_set("SDL_VIDEODRIVER") || env_set("DISPLAY") ||
           (env_set("WAYLAND_DISPLAY") && on_sdl12_compat());
}

// sdl12-compat reads these when the video mode is set (the classic library
// ignores them): wait for the display at each flip instead of tearing, and
// scale full screen by whole pixels. A value the user set is kept. SDL's own
// environment calls reach what sdl12-compat reads on every system, Windows
// included; the settings must outlive the call.
void choose_compat_defaults()
{
#ifndef __EMSCRIPTEN__  // the browser's SDL has neither setting
    static char sync[] = "SDL12COMPAT_SYNC_TO_VBLANK=1";
    static char scale[] = "SDL12COMPAT_SCALE_METHOD=nearest";
    if (SDL_getenv("SDL12COMPAT_SYNC_TO_VBLANK") == nullptr) SDL_putenv(sync);
    if (SDL_getenv("SDL12COMPAT_SCALE_METHOD") == nullptr) SDL_putenv(scale);
#endif
}

bool screen_fits(const SDL_Surface* screen)
{
    return screen->w == kScreenWidth && screen->h == kScreenHeight &&
           screen->format->BitsPerPixel == kScreenBits &&
           screen->pitch >= kScreenWidth * 4;
}

}  // namespace

std::string data_file(const std::string& data_dir, const char* file)
{
    return data_dir + (file + 1);  // file + 1 is "/name"
}

bool load_show_images(const std::string& data_dir)
{
    std::string error;
    const std::string font_file = data_file(data_dir, kFontFile);
    fontti = load_image_file(font_file.c_str(), kFontLimits, error);
    if (fontti == nullptr) {
        std::printf("fontti\n");
        std::fprintf(stderr, "quorvex: cannot load %s: %s\n", font_file.c_str(), error.c_str());
        return false;
    }
    for (int i = 0; i < kPictureCount; ++i) {
        const std::string picture_file = data_file(data_dir, lgfn[i]);
        logo[i] = load_image_file(picture_file.c_str(), kPictureLimits, error);
        if (logo[i] == nullptr) {
            std::printf("kuvia\n");
            std::fprintf(stderr, "quorvex: cannot load %s: %s\n", picture_file.c_str(), error.c_str());
            return false;
        }
    }
    make_overlay_sprites();
    return true;
}

bool build_stripe_tables()
{
    atnt = static_cast<std::uint8_t*>(std::malloc(kStripeBytes));
    if (atnt == nullptr) return false;
    fill_stripe_table_fast(atnt);
    atnb = static_cast<std::uint64_t*>(std::malloc(kStripeBitsWords * sizeof(std::uint64_t)));
    if (atnb == nullptr) return false;
    pack_stripe_table(atnt, atnb);
    return true;
}

namespace {

// Opens the mixer paused, in the track's own format, and queues the track to
// play once. Without a device or a usable track the show runs silent, with
// one warning.
void queue_music()
{
    TrackFormat format;
    std::string error = read_track_format(kTrackFile, format);
    if (!error.empty()) {
        std::fprintf(stderr, "quorvex: warning: no sound: %s: %s\n", kTrackFile, error.c_str());
        return;
    }
    error = open_mixer(format);
    if (!error.empty()) {
        std::fprintf(stderr, "quorvex: warning: no sound: %s\n", error.c_str());
        return;
    }
    Mix_Music* music = Mix_LoadMUS(kTrackFile);
    if (music == nullptr) {
        std::fprintf(stderr, "quorvex: warning: no sound: cannot load %s: %s\n", kTrackFile,
                     Mix_GetError());
        return;
    }
    Mix_PlayMusic(music, 1);
}

}  // namespace

bool open_screen(bool windowed)
{
    s = SDL_SetVideoMode(kScreenWidth, kScreenHeight, kScreenBits, windowed ? 0 : SDL_FULLSCREEN);
    if (s == nullptr) {
        std::fprintf(stderr, "quorvex: %s: %s\n",
                     windowed ? "cannot open an 800x600 32-bit window"
                              : "cannot set 800x600 at 32 bits full screen (try -w for a window)",
                     SDL_GetError());
        return false;
    }
    if (!screen_fits(s)) {
        std::fprintf(stderr, "quorvex: the video mode is not 800x600 at 32 bits: got %dx%d at %d bits\n",
                     s->w, s->h, s->format->BitsPerPixel);
        return false;
    }
    return true;
}

void present_screen()
{
#ifdef __EMSCRIPTEN__
    // The browser's SDL copies the screen to the canvas when it is unlocked.
    SDL_LockSurface(s);
    SDL_UnlockSurface(s);
#endif
    SDL_Flip(s);
}

void show_frame(const FrameClock& frame, GlowFilter& glow)
{
    char line[64];
    format_log_line(line, sizeof line, frame);
    std::fputs(line, stdout);
    draw_frame(s, frame, glow);
    present_screen();
}

namespace {

int run_frames(ShowClock clock, Pacer pacer)
{
    GlowFilter glow;
    for (;;) {
        show_frame(clock_advance(clock, SDL_GetTicks()), glow);
        if (quit_requested()) return kExitQuit;
        const std::uint32_t wait = pacer_wait_ms(pacer, SDL_GetTicks());
        if (wait > 0) SDL_Delay(wait);
    }
}

}  // namespace

bool windowed_mode(int argc, char** argv)
{
    return argc >= 2 && std::strcmp(argv[1], "-w") == 0;
}

int run_show(int argc, char** argv)
{
    if (!display_available())
        return fail_start("no display", on_sdl12_compat()
                                            ? "neither DISPLAY nor WAYLAND_DISPLAY is set (run it in "
                                              "an X or Wayland session, or choose a video driver "
                                              "with SDL_VIDEODRIVER)"
                                            : "DISPLAY is not set (run it in an X session, or "
                                              "choose a video driver with SDL_VIDEODRIVER)");
    if (!build_stripe_tables()) return fail_start("cannot allocate the stripe tables", "out of memory");

    choose_compat_defaults();
    SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO);
    if (!open_screen(windowed_mode(argc, argv)) || !load_show_images()) {
        SDL_Quit();
        return kExitFailed;
    }

    SDL_ShowCursor(SDL_DISABLE);
    queue_music();
    SDL_WM_SetCaption(kCaption, nullptr);
    SDL_Delay(800);
    SDL_PauseAudio(0);
    const Pacer pacer = pacer_start(paced_refresh_hz());
    const ShowClock clock = clock_start(SDL_GetTicks());
    const int status = run_frames(clock, pacer);
    SDL_Quit();
    return status;
}
