// quorvex-capture: renders the show offline, frame-exact, to PNG frames or to
// a video with its music, from ./d, the installed data or --data DIR.
#include "args.h"
#include "capture.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%s\n", kCaptureUsage);
        return 0;
    }
    CaptureArgs args;
    std::string why;
    if (!parse_capture_args(argc, argv, args, why)) {
        std::fprintf(stderr, "quorvex-capture: %s (%s)\n", why.c_str(), kCaptureUsage);
        return 1;
    }
    return run_capture(args);
}
