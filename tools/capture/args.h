// The capture tool's command line: which stretch of the show to draw, at what
// rate, and where the frames go.
#pragma once

#include <cstdint>
#include <string>

struct CaptureArgs {
    std::int64_t from_ms = 0;
    std::int64_t to_ms = -1;  // -1: not given, the tool works out the show's end
    int fps = 60;
    std::string frames_dir;  // empty: no PNG frames
    std::string video_file;  // empty: no video
};

// The highest rate accepted: past 1000 frames a second, frames would repeat milliseconds.
constexpr int kMaxFps = 1000;
// The latest moment accepted, in ms: the live clock's signed 32-bit range.
constexpr std::int64_t kMaxShowMs = 2147483647;

// The usage line printed after an argument error.
extern const char* const kCaptureUsage;

// Parses argv[1..argc-1] into out. On an error returns false and puts a
// one-line reason (without a newline) into why; out is then unspecified.
bool parse_capture_args(int argc, const char* const* argv, CaptureArgs& out, std::string& why);
