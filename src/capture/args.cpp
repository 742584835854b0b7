// Parsing the capture tool's command line, without touching SDL or files.
#include "args.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* const kCaptureUsage =
    "usage: quorvex-capture [--from MS] [--to MS] [--fps N] [--scale 1-4] [--frames DIR] "
    "[--video FILE [--crf 0-51] [--preset NAME] [--lossless] [--resume]] [--data DIR]";

namespace {

// Whole decimal digits only: "12abc", "", "+3", " 4" and "1e3" are refused so a
// typo never silently becomes another moment of the show.
bool parse_count(const char* text, std::int64_t max, std::int64_t& out)
{
    if (text[0] == '\0') return false;
    for (const char* p = text; *p != '\0'; ++p)
        if (*p < '0' || *p > '9') return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (errno == ERANGE || v > max) return false;
    out = v;
    return true;
}

bool set_number(const char* option, const char* text, std::int64_t min, std::int64_t max,
                std::int64_t& out, std::string& why)
{
    if (parse_count(text, max, out) && out >= min) return true;
    why = std::string(option) + " wants a whole number from " + std::to_string(min) + " to " +
          std::to_string(max) + ", not '" + text + "'";
    return false;
}

bool set_int(const char* option, const char* text, int min, int max, int& out, std::string& why)
{
    std::int64_t value = 0;
    if (!set_number(option, text, min, max, value, why)) return false;
    out = static_cast<int>(value);
    return true;
}

bool set_path(const char* option, const char* text, std::string& out, std::string& why)
{
    if (text[0] != '\0') {
        out = text;
        return true;
    }
    why = std::string(option) + " wants a non-empty path";
    return false;
}

// x264's presets, fastest first.
constexpr const char* kPresets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                    "medium",    "slow",      "slower",   "veryslow", "placebo"};

bool set_preset(const char* text, std::string& out, std::string& why)
{
    for (const char* preset : kPresets)
        if (std::strcmp(text, preset) == 0) {
            out = text;
            return true;
        }
    why = std::string("--preset wants one of x264's presets (ultrafast ... placebo), not '") +
          text + "'";
    return false;
}

enum Option { kFrom, kTo, kFps, kScale, kFrames, kVideo, kCrf, kPreset, kLossless, kResume, kData, kOptionCount };

struct OptionName {
    const char* name;
    bool takes_value;
};
// Indexed by Option.
constexpr OptionName kOptions[kOptionCount] = {
    {"--from", true},  {"--to", true},     {"--fps", true},       {"--scale", true},
    {"--frames", true}, {"--video", true}, {"--crf", true},       {"--preset", true},
    {"--lossless", false}, {"--resume", false}, {"--data", true},
};

// Index of a known option in kOptions, or -1.
int option_index(const char* option)
{
    for (int k = 0; k < kOptionCount; ++k)
        if (std::strcmp(option, kOptions[k].name) == 0) return k;
    return -1;
}

bool set_option(int which, const char* value, CaptureArgs& out, std::string& why)
{
    const char* option = kOptions[which].name;
    switch (which) {
    case kFrom: return set_number(option, value, 0, kMaxShowMs, out.from_ms, why);
    case kTo: return set_number(option, value, 1, kMaxShowMs, out.to_ms, why);
    case kFps: return set_int(option, value, 1, kMaxFps, out.fps, why);
    case kScale: return set_int(option, value, 1, kMaxScale, out.scale, why);
    case kFrames: return set_path(option, value, out.frames_dir, why);
    case kVideo: return set_path(option, value, out.video_file, why);
    case kCrf: return set_int(option, value, 0, kMaxCrf, out.crf, why);
    case kPreset: return set_preset(value, out.preset, why);
    case kLossless: out.lossless = true; return true;
    case kResume: out.resume = true; return true;
    default: return set_path(option, value, out.data_dir, why);
    }
}

// Options that only make sense together.
bool check_combination(const CaptureArgs& out, const bool* seen, std::string& why)
{
    if (out.to_ms >= 0 && out.to_ms <= out.from_ms) {
        why = "--to (" + std::to_string(out.to_ms) + ") must be later than --from (" +
              std::to_string(out.from_ms) + ")";
        return false;
    }
    for (int k : {kCrf, kPreset, kLossless, kResume})
        if (seen[k] && out.video_file.empty()) {
            why = std::string(kOptions[k].name) + " needs --video";
            return false;
        }
    if (out.lossless && (seen[kCrf] || seen[kPreset])) {
        why = "--lossless takes neither --crf nor --preset";
        return false;
    }
    return true;
}

}  // namespace

bool parse_capture_args(int argc, const char* const* argv, CaptureArgs& out, std::string& why)
{
    out = CaptureArgs{};
    bool seen[kOptionCount] = {};
    for (int i = 1; i < argc; ++i) {
        const int which = option_index(argv[i]);
        if (which < 0) {
            why = std::string("unknown option '") + argv[i] + "'";
            return false;
        }
        // Given twice is almost always a mistake in a script; refuse rather than guess.
        if (seen[which]) {
            why = std::string(argv[i]) + " given twice";
            return false;
        }
        seen[which] = true;
        const char* value = "";
        if (kOptions[which].takes_value) {
            if (i + 1 >= argc) {
                why = std::string(argv[i]) + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (!set_option(which, value, out, why)) return false;
    }
    return check_combination(out, seen, why);
}
