// The capture run: the show's frames drawn offline at exact moments, sent to
// PNG files, to a video, or only timed.
#pragma once

#include "args.h"

#include "backdrop/backdrop.h"

#include <SDL.h>

#include <cstdint>
#include <string>

// Draws the frame the live show draws at elapsed_ms, with the live draw order,
// carrying the glow filter as the live frame loop does.
void draw_capture_frame(SDL_Surface* surface, std::int64_t elapsed_ms, GlowFilter& glow);

// An 800x600 32-bit surface with the live screen's masks (red 0xff0000, green
// 0xff00, blue 0xff); the caller frees it.
SDL_Surface* make_capture_surface();

// dir/frame-000123.png: frame i with at least six digits.
std::string frame_file_name(const std::string& dir, std::int64_t i);

// Creates dir and any missing parents. False with a reason in why.
bool make_directories(const std::string& dir, std::string& why);

// Runs a whole capture from the show's data directory. Returns the
// process status: 0 on success, 1 after printing one line on what failed.
int run_capture(const CaptureArgs& args);
