// The capture tool's command line: which stretch of the show to draw, at what
// rate and size, how to encode it, and where the frames go.
#pragma once

#include <cstdint>
#include <string>

// The encoder settings chosen for a YouTube upload: the x264 preset whose
// quality at the default CRF stays within 0.5 dB PSNR of "medium" at a
// fraction of its time, and a CRF whose bitrate meets the upload
// recommendation at every scale.
constexpr const char* kDefaultPreset = "veryfast";
constexpr int kDefaultCrf = 15;

struct CaptureArgs {
    std::int64_t from_ms = 0;
    std::int64_t to_ms = -1;  // -1: not given, the tool works out the show's end
    int fps = 60;
    int scale = 1;            // every pixel becomes a scale x scale block
    int crf = kDefaultCrf;
    std::string preset = kDefaultPreset;
    bool lossless = false;    // FFV1 and FLAC in Matroska instead of H.264 and AAC
    bool resume = false;      // carry on an interrupted --video capture
    std::string data_dir;     // empty: ./d when it exists, else the installed data
    std::string frames_dir;   // empty: no PNG frames
    std::string video_file;   // empty: no video
};

// The highest rate accepted: past 1000 frames a second, frames would repeat milliseconds.
constexpr int kMaxFps = 1000;
// The latest moment accepted, in ms: the live clock's signed 32-bit range.
constexpr std::int64_t kMaxShowMs = 2147483647;
constexpr int kMaxScale = 4;
// x264's CRF range for 8-bit video.
constexpr int kMaxCrf = 51;

// The usage line printed after an argument error.
extern const char* const kCaptureUsage;

// Parses argv[1..argc-1] into out. On an error returns false and puts a
// one-line reason (without a newline) into why; out is then unspecified.
bool parse_capture_args(int argc, const char* const* argv, CaptureArgs& out, std::string& why);
