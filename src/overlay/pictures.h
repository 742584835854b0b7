// The picture show: nine pictures loaded at start-up, at most one drawn per
// frame by a schedule of 8-second slots, shaking on the beat.
#pragma once

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
