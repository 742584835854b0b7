// Parsing the capture tool's command line, without touching SDL or files.
#include "args.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* const kCaptureUsage =
    "usage: quorvex-capture [--from MS] [--to MS] [--fps N] [--frames DIR] [--video FILE]";

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

bool set_path(const char* option, const char* text, std::string& out, std::string& why)
{
    if (text[0] != '\0') {
        out = text;
        return true;
    }
    why = std::string(option) + " wants a non-empty path";
    return false;
}

constexpr int kOptionCount = 5;
constexpr const char* kOptions[kOptionCount] = {"--from", "--to", "--fps", "--frames", "--video"};

// Index of a known option in kOptions, or -1.
int option_index(const char* option)
{
    for (int k = 0; k < kOptionCount; ++k)
        if (std::strcmp(option, kOptions[k]) == 0) return k;
    return -1;
}

bool set_option(int which, const char* value, CaptureArgs& out, std::string& why)
{
    const char* option = kOptions[which];
    std::int64_t fps = 0;
    switch (which) {
    case 0: return set_number(option, value, 0, kMaxShowMs, out.from_ms, why);
    case 1: return set_number(option, value, 1, kMaxShowMs, out.to_ms, why);
    case 2:
        if (!set_number(option, value, 1, kMaxFps, fps, why)) return false;
        out.fps = static_cast<int>(fps);
        return true;
    case 3: return set_path(option, value, out.frames_dir, why);
    default: return set_path(option, value, out.video_file, why);
    }
}

}  // namespace

bool parse_capture_args(int argc, const char* const* argv, CaptureArgs& out, std::string& why)
{
    out = CaptureArgs{};
    bool seen[kOptionCount] = {};
    for (int i = 1; i < argc; i += 2) {
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
        if (i + 1 >= argc) {
            why = std::string(argv[i]) + " needs a value";
            return false;
        }
        if (!set_option(which, argv[i + 1], out, why)) return false;
    }
    if (out.to_ms >= 0 && out.to_ms <= out.from_ms) {
        why = "--to (" + std::to_string(out.to_ms) + ") must be later than --from (" +
              std::to_string(out.from_ms) + ")";
        return false;
    }
    return true;
}
