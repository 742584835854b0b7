// Starting ffmpeg with fork and exec and feeding it frames; the encoder
// settings that make an upload-ready file.
#include "video_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

const char* segment_extension(const EncodeSettings& settings)
{
    return settings.lossless ? ".mkv" : ".mp4";
}

namespace {

const std::vector<std::string> kQuiet = {"-nostdin", "-hide_banner", "-nostats",
                                         "-loglevel", "error",       "-y"};

std::vector<std::string> h264_arguments(const EncodeSettings& settings)
{
    // A keyframe every half second and no scene-cut keyframes, so every GOP
    // has the same length; closed, so a segment joins without its neighbours.
    const std::string gop = std::to_string(settings.fps / 2 > 0 ? settings.fps / 2 : 1);
    return {
        // Converted and tagged as BT.709 so players show the show's colours.
        // The frames carry the tags too: ffmpeg 7 takes the encoder's
        // primaries and transfer from the frames over the options below.
        "-vf", "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p,"
               "setparams=color_primaries=bt709:color_trc=bt709:colorspace=bt709:range=tv",
        "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
        "-color_range", "tv",
        "-c:v", "libx264", "-profile:v", "high", "-preset", settings.preset,
        "-crf", std::to_string(settings.crf),
        "-x264-params", "keyint=" + gop + ":min-keyint=" + gop +
                            ":scenecut=0:open-gop=0:bframes=2:cabac=1:interlaced=0",
        // Without an edit list the first frame must still show at time 0.
        "-movflags", "+negative_cts_offsets", "-use_editlist", "0", "-f", "mp4",
    };
}

std::vector<std::string> ffv1_arguments()
{
    // Every frame its own keyframe, sliced for threads, each slice checked.
    return {"-c:v", "ffv1", "-level", "3", "-g", "1", "-slices", "4", "-slicecrc", "1",
            "-f", "matroska"};
}

std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

std::vector<std::string> segment_arguments(const EncodeSettings& settings, const std::string& out_file)
{
    const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
    // Little-endian 0x00RRGGBB words are the bytes B, G, R, unused.
    std::vector<std::string> args = joined(
        kQuiet, {"-f", "rawvideo", "-pix_fmt", "bgr0", "-video_size", size, "-framerate",
                 std::to_string(settings.fps), "-i", "pipe:0", "-an"});
    args = joined(args, settings.lossless ? ffv1_arguments() : h264_arguments(settings));
    args.push_back(out_file);
    return args;
}

std::vector<std::string> join_arguments(const EncodeSettings& settings, const std::string& list_file,
                                        const std::string& audio_file, const std::string& out_file)
{
    std::vector<std::string> args = joined(
        kQuiet, {"-f", "concat", "-safe", "0", "-i", list_file, "-f", "s16le", "-ar", "48000",
                 "-ac", "2", "-i", audio_file, "-map", "0:v", "-map", "1:a", "-c:v", "copy"});
    if (settings.lossless)
        return joined(args, {"-c:a", "flac", "-f", "matroska", out_file});
    return joined(args, {"-c:a", "aac", "-profile:a", "aac_low", "-b:a", "384k", "-ar", "48000",
                         "-ac", "2", "-movflags", "+faststart+negative_cts_offsets",
                         "-use_editlist", "0", "-f", "mp4", out_file});
}

namespace {

// In the child: its own process group, so a Ctrl-C at the terminal reaches
// only the capture, which then stops it; killed if the capture dies; standard
// input from the pipe, standard error to the log; then ffmpeg.
[[noreturn]] void exec_ffmpeg(const std::string& ffmpeg, const std::vector<std::string>& args,
                              int read_fd, const std::string& log_path)
{
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (read_fd >= 0) {
        dup2(read_fd, STDIN_FILENO);
        close(read_fd);
    }
    const int log_fd = ::open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (log_fd >= 0) {
        dup2(log_fd, STDERR_FILENO);
        close(log_fd);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(ffmpeg.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(ffmpeg.c_str(), argv.data());
    _exit(127);
}

}  // namespace

FfmpegChild::~FfmpegChild()
{
    abandon();
}

bool FfmpegChild::start(const std::string& ffmpeg, const std::vector<std::string>& args,
                        const std::string& log_path, bool with_input, std::string& why)
{
    log_path_ = log_path;
    int fds[2] = {-1, -1};
    if (with_input && pipe(fds) != 0) {
        why = "cannot make a pipe to ffmpeg: " + std::string(std::strerror(errno));
        return false;
    }
    // A dead ffmpeg must show as a failed write, not kill us before we clean up.
    signal(SIGPIPE, SIG_IGN);
    child_ = fork();
    if (child_ == 0) {
        if (fds[1] >= 0) close(fds[1]);
        exec_ffmpeg(ffmpeg, args, fds[0], log_path_);
    }
    if (fds[0] >= 0) close(fds[0]);
    if (child_ < 0) {
        if (fds[1] >= 0) close(fds[1]);
        why = "cannot start ffmpeg: " + std::string(std::strerror(errno));
        return false;
    }
    pipe_fd_ = fds[1];
    if (pipe_fd_ >= 0) {
        fcntl(pipe_fd_, F_SETFD, FD_CLOEXEC);
        // A larger pipe lets a whole frame wait for ffmpeg while the next is drawn.
        fcntl(pipe_fd_, F_SETPIPE_SZ, 1 << 20);
    }
    return true;
}

bool FfmpegChild::write(const void* data, std::size_t size, std::string& why)
{
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(pipe_fd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            why = "ffmpeg stopped taking frames: " + last_error();
            abandon();
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FfmpegChild::finish(std::string& why)
{
    if (pipe_fd_ >= 0) close(pipe_fd_);
    pipe_fd_ = -1;
    int status = 0;
    while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {}
    child_ = -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    why = WIFEXITED(status) && WEXITSTATUS(status) == 127 ? "cannot run ffmpeg"
                                                          : "ffmpeg failed: " + last_error();
    return false;
}

void FfmpegChild::abandon()
{
    if (pipe_fd_ >= 0) close(pipe_fd_);
    pipe_fd_ = -1;
    if (child_ > 0) {
        kill(child_, SIGKILL);
        int status = 0;
        while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {}
    }
    child_ = -1;
}

// The last non-empty line ffmpeg wrote to its log, for a one-line report.
std::string FfmpegChild::last_error() const
{
    std::ifstream log(log_path_);
    std::string line, last = "no message";
    while (std::getline(log, line))
        if (!line.empty()) last = line;
    return last;
}
