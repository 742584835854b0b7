// What every drawing step shares: the screen's size, channel order and
// locking, fixed when the show is compiled, and the timeline's frac(). The
// desktop's 32-bit screens hold 0x00RRGGBB words; the browser's canvas surface
// holds the bytes R, G, B, A, the word 0xAABBGGRR on its little-endian
// machine. Constants rather than the surface's masks read per pixel, so the
// desktop's inner loops stay as they are; start-up checks the surface against them.
#pragma once

#include <SDL.h>

#include <cmath>
#include <cstdint>

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kScreenBits = 32;

#ifdef __EMSCRIPTEN__
constexpr int kRedShift = 0;
constexpr int kBlueShift = 16;
#else
constexpr int kRedShift = 16;
constexpr int kBlueShift = 0;
#endif
constexpr std::uint32_t kRedMask = 0xffu << kRedShift;
constexpr std::uint32_t kGreenMask = 0xff00u;
constexpr std::uint32_t kBlueMask = 0xffu << kBlueShift;

// Whether drawing must lock the screen first. The browser's SDL says always,
// and copies the whole screen to the canvas at every unlock; there the frame
// is drawn straight into the screen's memory and copied once, by present_screen.
inline bool screen_must_lock(const SDL_Surface* s)
{
#ifdef __EMSCRIPTEN__
    (void)s;
    return false;
#else
    return SDL_MUSTLOCK(s);
#endif
}

// frac(v) = fmod(v, 1), for the non-negative values the timeline produces.
inline double frac(double v)
{
    return std::fmod(v, 1.0);
}
