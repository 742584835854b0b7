// Linked into every unit test: SDL's dummy video and audio drivers, set
// before main, so that no test opens the machine's display or sound card
// (CTest's ENVIRONMENT property cannot carry both through test discovery).
// The Windows build's tests are run under Wine with the drivers named.
#include <cstdlib>

namespace {

struct DummyDrivers {
    DummyDrivers()
    {
#ifndef _WIN32
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
#endif
    }
} const dummy_drivers;

}  // namespace
