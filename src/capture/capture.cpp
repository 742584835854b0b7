// The capture run in order: check the outputs, build what the show builds at
// start-up, work out the stretch to draw, then draw every frame on this thread
// while another scales, writes and encodes the ones drawn before.
#include "capture.h"

#include "files.h"
#include "frame_queue.h"
#include "live_audio.h"
#include "png_writer.h"
#include "progress.h"
#include "scale.h"
#include "timing.h"
#include "video_out.h"

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
#include <functional>
#include <thread>
#include <vector>

// The show's data as installed; the build sets it from the install prefix.
#ifndef QUORVEX_DATA_DIR
#define QUORVEX_DATA_DIR "/usr/local/share/games/quorvex/d"
#endif

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

// An interrupted capture must still clean up or keep its files as promised, so
// the usual stop signals only ask the frame loop to stop.
void catch_stop_signals()
{
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal_number, on_stop_signal);
}

int fail(const std::string& why)
{
    std::fprintf(stderr, "quorvex-capture: %s\n", why.c_str());
    return kFailed;
}

bool is_directory(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The assets: --data, else ./d where the show is run from its tree, else the
// installed data.
bool choose_data_dir(const CaptureArgs& args, std::string& dir, std::string& why)
{
    dir = !args.data_dir.empty() ? args.data_dir : is_directory("d") ? "d" : QUORVEX_DATA_DIR;
    if (is_directory(dir)) return true;
    why = args.data_dir.empty()
              ? "no show data: neither ./d nor " QUORVEX_DATA_DIR " exists (give --data DIR)"
              : "no show data: " + dir + " is not a directory";
    return false;
}

// What the live show builds before its first frame: the images and the stripe
// table, the images first so that a missing file is reported at once. False
// with a reason in why, or with why empty when the image loader has already
// reported the failure.
bool build_show(const std::string& data_dir, std::string& why)
{
    // The show draws on a surface from a video mode; SDL needs no display for
    // that on its dummy driver, and the capture never shows anything.
    if (std::getenv("SDL_VIDEODRIVER") == nullptr) setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        why = std::string("cannot start SDL: ") + SDL_GetError();
        return false;
    }
    // load_show_images names the file and the reason on standard error itself.
    if (!load_show_images(data_dir)) return false;
    if (!build_stripe_tables()) {
        why = "cannot allocate the stripe tables";
        return false;
    }
    return true;
}

// The track as the live show plays it, when the capture needs its sound or its end.
bool read_track(const CaptureArgs& args, const std::string& data_dir, LiveTrack& track,
                std::string& why)
{
    if (args.video_file.empty() && args.to_ms >= 0) return true;
    const std::string path = data_file(data_dir, kTrackFile);
    if (!decode_live_track(path.c_str(), track, why)) return false;
    if (!track.loaded)
        std::fprintf(stderr, "quorvex-capture: warning: no sound: cannot load %s: %s\n",
                     path.c_str(), track.why_silent.c_str());
    return true;
}

// Where the frames go, at the capture's size.
struct Outputs {
    std::string frames_dir;
    int scale = 1;
    SegmentedVideo* video = nullptr;
    std::vector<std::uint32_t> scaled;  // the frame enlarged, when scale > 1
};

bool send_frame(const DrawnFrame& frame, Outputs& out, std::string& why)
{
    const SDL_Surface* surface = frame.surface.get();
    Surface view;
    if (out.scale > 1) {
        scale_frame(surface, out.scale, out.scaled);
        const int w = surface->w * out.scale, h = surface->h * out.scale;
        view.reset(SDL_CreateRGBSurfaceFrom(out.scaled.data(), w, h, 32, w * 4, 0xff0000,
                                            0xff00, 0xff, 0));
        if (!view) {
            why = std::string("cannot make the enlarged frame: ") + SDL_GetError();
            return false;
        }
        surface = view.get();
    }
    if (!out.frames_dir.empty() &&
        !write_png(surface, frame_file_name(out.frames_dir, frame.index), why)) {
        why += " (the frames in " + out.frames_dir + " are incomplete)";
        return false;
    }
    if (out.video == nullptr) return true;
    // The capture surface has no padding, and scaled rows are packed.
    const auto bytes = static_cast<std::size_t>(surface->pitch) * static_cast<std::size_t>(surface->h);
    return out.video->write(surface->pixels, bytes, frame.index, frame.glow, why);
}

// The output thread: sends every drawn frame until drawing ends, a signal
// arrives or an output fails (why set).
void send_frames(FrameQueue& queue, Outputs& out, Progress& progress, std::string& why)
{
    while (DrawnFrame* frame = queue.take_drawn()) {
        if (why.empty() && stop_signal == 0) {
            if (send_frame(*frame, out, why))
                progress.frame_done(frame->index + 1);
            else
                queue.stop_output();
        }
        queue.put_free(frame);
    }
}

// Draws frames [first, total) and sends them; false with a reason on a failure or a signal.
bool draw_frames(const CaptureArgs& args, std::int64_t first, std::int64_t total,
                 GlowFilter glow, Outputs& out, Progress& progress, std::string& why)
{
    FrameQueue queue;
    if (!queue.make_frames(make_capture_surface)) {
        why = std::string("cannot make the frame surfaces: ") + SDL_GetError();
        return false;
    }
    std::string output_why;
    std::thread output(send_frames, std::ref(queue), std::ref(out), std::ref(progress),
                       std::ref(output_why));
    std::int64_t i = first;
    for (; i < total && stop_signal == 0; ++i) {
        DrawnFrame* frame = queue.take_free();
        if (frame == nullptr) break;
        draw_capture_frame(frame->surface.get(), frame_elapsed_ms(args.from_ms, args.fps, i), glow);
        frame->index = i;
        frame->glow = glow;
        queue.put_drawn(frame);
    }
    queue.end_drawing();
    output.join();
    if (!output_why.empty()) {
        why = output_why;
        return false;
    }
    if (stop_signal == 0) return true;
    why = "stopped by signal " + std::to_string(stop_signal);
    if (out.video != nullptr)
        why += "; " + out.video->parts() + " keeps the finished segments: run the same command "
               "with --resume to carry on";
    if (!out.frames_dir.empty()) why += " (the frames in " + out.frames_dir + " are incomplete)";
    return false;
}

EncodeSettings encode_settings(const CaptureArgs& args)
{
    EncodeSettings settings;
    settings.width = kScreenWidth * args.scale;
    settings.height = kScreenHeight * args.scale;
    settings.fps = args.fps;
    settings.crf = args.crf;
    settings.preset = args.preset;
    settings.lossless = args.lossless;
    return settings;
}

void print_summary(const CaptureArgs& args, std::int64_t to_ms, std::int64_t frames, double seconds)
{
    const char* where = !args.video_file.empty() ? args.video_file.c_str()
                        : !args.frames_dir.empty() ? args.frames_dir.c_str()
                                                   : "nowhere (timing only)";
    std::printf("quorvex-capture: %lld frames, %lld to %lld ms at %d fps, to %s: %.1f s, %.1f fps\n",
                static_cast<long long>(frames), static_cast<long long>(args.from_ms),
                static_cast<long long>(to_ms), args.fps, where, seconds,
                seconds > 0 ? double(frames) / seconds : 0.0);
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
    std::string data_dir;
    if (!choose_data_dir(args, data_dir, why)) return fail(why);
    if (!args.frames_dir.empty() && !make_directories(args.frames_dir, why)) return fail(why);
    if (!build_show(data_dir, why)) return why.empty() ? kFailed : fail(why);
    LiveTrack track;
    if (!read_track(args, data_dir, track, why)) return fail(why);

    const std::int64_t to_ms =
        args.to_ms >= 0 ? args.to_ms
                        : default_end_ms(track.end_ms, scroller_end_beat(st, kScreenWidth));
    if (to_ms <= args.from_ms)
        return fail("--from " + std::to_string(args.from_ms) + " is past the show's end at " +
                    std::to_string(to_ms) + " ms");
    const std::int64_t frames = frame_count(args.from_ms, to_ms, args.fps);

    SegmentedVideo video;
    Outputs out{args.frames_dir, args.scale, nullptr, {}};
    std::int64_t first = 0;
    GlowFilter glow;  // 0 at the first captured frame, as at the live show's first
    if (!args.video_file.empty()) {
        if (!video.open(ffmpeg, args.video_file, encode_settings(args),
                        capture_signature(args, to_ms), frames, args.resume, why))
            return fail(why);
        out.video = &video;
        first = video.first_frame();
        glow = video.start().glow;
    }
    Progress progress(frames, first);
    const bool drawn = draw_frames(args, first, frames, glow, out, progress, why);
    const double seconds = progress.finish();
    if (!drawn) {
        video.interrupt();
        return fail(why);
    }
    if (out.video != nullptr) {
        const AudioSpan span = audio_span(args.from_ms, frames, args.fps);
        if (!video.join(live_slice(track, span.first, span.count), why)) return fail(why);
    }
    print_summary(args, to_ms, frames - first, seconds);
    SDL_Quit();
    return kOk;
}
