// The capture run in order: check the outputs, build what the show builds at
// start-up, work out the stretch to draw, then draw and send every frame.
#include "capture.h"

#include "live_audio.h"
#include "png_writer.h"
#include "progress.h"
#include "timing.h"
#include "video_pipe.h"

#include "backdrop/stripes.h"
#include "overlay/scroller.h"
#include "show/clock.h"
#include "show/frame.h"
#include "show/startup.h"

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

void draw_capture_frame(SDL_Surface* surface, std::int64_t elapsed_ms, GlowFilter& glow)
{
    draw_frame(surface, clock_at(elapsed_ms), glow);
}

SDL_Surface* make_capture_surface()
{
    return SDL_CreateRGBSurface(SDL_SWSURFACE, kScreenWidth, kScreenHeight, kScreenBits, 0xff0000,
                                0xff00, 0xff, 0);
}

std::string frame_file_name(const std::string& dir, std::int64_t i)
{
    char name[40];
    std::snprintf(name, sizeof name, "/frame-%06lld.png", static_cast<long long>(i));
    return dir + name;
}

bool make_directories(const std::string& dir, std::string& why)
{
    for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            why = "cannot create " + part + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    struct stat info {};
    if (stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        why = dir + " is not a directory";
        return false;
    }
    return true;
}

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;

volatile std::sig_atomic_t stop_signal = 0;

void on_stop_signal(int signal_number)
{
    stop_signal = signal_number;
}

// An interrupted capture must still clean up its partial files, so the usual
// stop signals only ask the frame loop to stop.
void catch_stop_signals()
{
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal_number, on_stop_signal);
}

int fail(const std::string& why)
{
    std::fprintf(stderr, "quorvex-capture: %s\n", why.c_str());
    return kFailed;
}

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

// What the live show builds before its first frame: the images and the stripe
// table, the images first so that a missing file is reported at once. False
// with a reason in why, or with why empty when the image loader has already
// reported the failure.
bool build_show(std::string& why)
{
    // The show draws on a surface from a video mode; SDL needs no display for
    // that on its dummy driver, and the capture never shows anything.
    if (std::getenv("SDL_VIDEODRIVER") == nullptr) setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        why = std::string("cannot start SDL: ") + SDL_GetError();
        return false;
    }
    // load_show_images names the file and the reason on standard error itself.
    if (!load_show_images()) return false;
    if (!build_stripe_tables()) {
        why = "cannot allocate the stripe tables";
        return false;
    }
    return true;
}

// The track as the live show plays it, when the capture needs its sound or its end.
bool read_track(const CaptureArgs& args, LiveTrack& track, std::string& why)
{
    if (args.video_file.empty() && args.to_ms >= 0) return true;
    if (!decode_live_track(kTrackFile, track, why)) return false;
    if (!track.loaded)
        std::fprintf(stderr, "quorvex-capture: warning: no sound: cannot load %s: %s\n",
                     kTrackFile, track.why_silent.c_str());
    return true;
}

struct Outputs {
    std::string frames_dir;
    VideoPipe* video = nullptr;
};

bool send_frame(const SDL_Surface* surface, std::int64_t i, const Outputs& out, std::string& why)
{
    if (!out.frames_dir.empty() && !write_png(surface, frame_file_name(out.frames_dir, i), why)) {
        why += " (the frames in " + out.frames_dir + " are incomplete)";
        return false;
    }
    return out.video == nullptr || out.video->write_frame(surface, why);
}

bool draw_frames(const CaptureArgs& args, std::int64_t to_ms, const Outputs& out,
                 std::string& why)
{
    const Surface surface(make_capture_surface());
    if (!surface) {
        why = std::string("cannot make the frame surface: ") + SDL_GetError();
        return false;
    }
    const std::int64_t total = frame_count(args.from_ms, to_ms, args.fps);
    Progress progress(total);
    GlowFilter glow;  // 0 at the first captured frame, as at the live show's first
    for (std::int64_t i = 0; i < total; ++i) {
        if (stop_signal != 0) {
            progress.finish();
            why = "stopped by signal " + std::to_string(stop_signal) + " at frame " +
                  std::to_string(i);
            if (!out.frames_dir.empty()) why += " (the frames in " + out.frames_dir + " are incomplete)";
            return false;
        }
        draw_capture_frame(surface.get(), frame_elapsed_ms(args.from_ms, args.fps, i), glow);
        if (!send_frame(surface.get(), i, out, why)) {
            progress.finish();
            return false;
        }
        progress.frame_done(i + 1);
    }
    const double seconds = progress.finish();
    const char* where = !args.video_file.empty() ? args.video_file.c_str()
                        : !args.frames_dir.empty() ? args.frames_dir.c_str()
                                                   : "nowhere (timing only)";
    std::printf("quorvex-capture: %lld frames, %lld to %lld ms at %d fps, to %s: %.1f s, %.1f fps\n",
                static_cast<long long>(total), static_cast<long long>(args.from_ms),
                static_cast<long long>(to_ms), args.fps, where, seconds,
                seconds > 0 ? double(total) / seconds : 0.0);
    return true;
}

}  // namespace

int run_capture(const CaptureArgs& args)
{
    catch_stop_signals();
    std::string why;
    std::string ffmpeg;
    if (!args.video_file.empty()) {
        ffmpeg = find_on_path("ffmpeg");
        if (ffmpeg.empty()) return fail("--video needs ffmpeg on PATH (Debian package ffmpeg)");
    }
    if (!args.frames_dir.empty() && !make_directories(args.frames_dir, why)) return fail(why);
    if (!build_show(why)) return why.empty() ? kFailed : fail(why);
    LiveTrack track;
    if (!read_track(args, track, why)) return fail(why);

    const std::int64_t to_ms =
        args.to_ms >= 0 ? args.to_ms
                        : default_end_ms(track.end_ms, scroller_end_beat(st, kScreenWidth));
    if (to_ms <= args.from_ms)
        return fail("--from " + std::to_string(args.from_ms) + " is past the show's end at " +
                    std::to_string(to_ms) + " ms");
    const std::int64_t frames = frame_count(args.from_ms, to_ms, args.fps);

    VideoPipe video;
    Outputs out{args.frames_dir, nullptr};
    if (!args.video_file.empty()) {
        const AudioSpan span = audio_span(args.from_ms, frames, args.fps);
        if (!video.open(ffmpeg, args.video_file, kScreenWidth, kScreenHeight, args.fps,
                        live_slice(track, span.first, span.count), why))
            return fail(why);
        out.video = &video;
    }
    if (!draw_frames(args, to_ms, out, why)) return fail(why);
    if (out.video != nullptr && !video.finish(why)) return fail(why);
    SDL_Quit();
    return kOk;
}
