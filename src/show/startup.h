// Start-up, the frame loop and shutdown of the live show.
#pragma once

#include "backdrop/backdrop.h"
#include "common/screen.h"
#include "show/clock.h"

#include <SDL.h>

#include <string>

// The show's screen surface, 800x600 at 32 bits, set once at start-up.
extern SDL_Surface* s;

// The font atlas and the track, relative to the current directory.
constexpr const char* kFontFile = "d/fontsRustyTrans.png";
constexpr const char* kTrackFile = "d/termite.mp3";
constexpr const char* kCaption = "QUORVEX";

// Exactly "-w" as the first argument selects a window; anything else full screen.
bool windowed_mode(int argc, char** argv);

// Builds the stripe table atnt and its packed copy atnb for the fast backdrop;
// false when the memory cannot be had.
bool build_stripe_tables();

// A file named "d/..." in the tables above, taken from data_dir instead of d/.
std::string data_file(const std::string& data_dir, const char* file);

// Loads the font atlas and the nine pictures from data_dir (the live show's
// d/) into fontti and logo. False after the first failure, with "fontti" or
// "kuvia" on standard output and the file and the reason on standard error.
bool load_show_images(const std::string& data_dir = "d");

// Sets the video mode into s; false, with the reason on standard error, when
// it cannot be set or is not the 800x600 32-bit surface the backdrop writes.
bool open_screen(bool windowed);

// Puts the drawn screen in front of the viewer.
void present_screen();

// One frame of the live show at the clock's values: its log line on standard
// output, the drawing, and the flip. The desktop's loop and the page's frame
// callback both run it.
void show_frame(const FrameClock& frame, GlowFilter& glow);

// Runs the whole show. Returns 0 when the viewer quits, 1 when it cannot start.
int run_show(int argc, char** argv);
