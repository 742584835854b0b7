// The picture show: nine pictures loaded at start-up, at most one drawn per
// frame by a schedule of 8-second slots, shaking on the beat.
#pragma once

#include "overlay/compositor.h"

#include <SDL.h>

constexpr int kPictureCount = 9;

// Picture files in load order, relative to the current directory. Pictures 0
// to 4 are the photographs the flicker slots choose from.
constexpr const char* lgfn[kPictureCount] = {
    "d/marvo.jpg",  "d/IMG_2473.JPG", "d/IMG_2021.JPG",     "d/IMG_2471.JPG", "d/kelpi.jpg",
    "d/paita1.png", "d/ruosteQVXPNG.png", "d/yellow.png", "d/blue.png",
};

// The loaded pictures, set once at start-up.
extern SDL_Surface* logo[kPictureCount];
// The pictures converted for the compositor at load (see make_overlay_sprites).
extern Sprite logo_sprite[kPictureCount];

constexpr int kScheduleSlots = 40;
// Beats per schedule slot (8 seconds).
constexpr int kBeatsPerSlot = 16;
// Schedule entries that are not a picture index.
constexpr int kShowNothing = -1;
constexpr int kFlicker = -2;

// The picture schedule, one entry per 16-beat slot: a picture index 0 to 8,
// kShowNothing, or kFlicker (a pick among the photographs that quickens
// through the slot). Every beat from the last slot on reads the last entry.
constexpr int lgsj[kScheduleSlots] = {
    -1, -1, 5, 5, 6, 6, -2, 5, 7, 7,   // 0-80 s
    6,  7,  8, 7, 6, 6, 8,  8, -2, 0,  // 80-160 s
    5,  5,  5, 5, 5, 5, 5,  5, 3, -1,  // 160-240 s
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
};

// The schedule slot of a beat, 0 to 39.
int picture_slot(double beat);

// The picture shown at a beat, or -1 for none.
int picture_pick(double beat);

// Where a pw x ph picture lands on a screen_w wide screen: centred, resting
// near the top, shaken hardest at the start of every 8 beats.
SDL_Rect picture_place(double beat, double phase, int screen_w, int pw, int ph);

// Draws this frame's picture, if any, onto s through blitter.
void draw_picture(SDL_Surface* s, double beat, double phase, Blitter blitter = Blitter::simd);

// Converts fontti and logo into their sprites, once after loading; an image
// the compositor does not reproduce keeps an empty sprite and SDL's blit.
void make_overlay_sprites();
