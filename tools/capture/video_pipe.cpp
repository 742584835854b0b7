// Starting ffmpeg with fork and exec, feeding it frames, and publishing its
// output only when it succeeds.
#include "video_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

std::string find_on_path(const char* name)
{
    const char* path = std::getenv("PATH");
    if (path == nullptr) return "";
    std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        // An empty PATH entry means the current directory.
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

std::vector<std::string> ffmpeg_arguments(int w, int h, int frames_per_second,
                                          const std::string& audio_file,
                                          const std::string& out_file)
{
    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    const std::string rate = std::to_string(frames_per_second);
    return {
        "-nostdin", "-hide_banner", "-nostats", "-loglevel", "error", "-y",
        // Little-endian 0x00RRGGBB words are the bytes B, G, R, unused.
        "-f", "rawvideo", "-pix_fmt", "bgr0", "-video_size", size, "-framerate", rate,
        "-i", "pipe:0",
        "-f", "s16le", "-ar", "48000", "-ac", "2", "-i", audio_file,
        "-map", "0:v", "-map", "1:a",
        // Converted and tagged as BT.709 so players show the show's colours.
        "-vf", "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p",
        "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
        "-c:v", "libx264", "-profile:v", "high", "-preset", "medium", "-crf", "18",
        "-r", rate,
        "-c:a", "aac", "-ar", "48000", "-b:a", "192k",
        "-movflags", "+faststart", "-f", "mp4", out_file,
    };
}

namespace {

std::string temp_path(const char* stem)
{
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir != nullptr && dir[0] != '\0' ? dir : "/tmp") + "/" +
                          stem + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return "";
    close(fd);
    return name.data();
}

bool write_all(int fd, const void* data, std::size_t size)
{
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool write_file(const std::string& path, const std::vector<std::int16_t>& samples)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    // The PCM goes to ffmpeg as s16le; the samples are already little-endian here.
    out.write(reinterpret_cast<const char*>(samples.data()),
              static_cast<std::streamsize>(samples.size() * sizeof samples[0]));
    out.close();
    return static_cast<bool>(out);
}

// In the child: standard input from the pipe, standard error to the log, then ffmpeg.
[[noreturn]] void exec_ffmpeg(const std::string& ffmpeg, const std::vector<std::string>& args,
                              int read_fd, const std::string& log_path)
{
    dup2(read_fd, STDIN_FILENO);
    close(read_fd);
    const int log_fd = ::open(log_path.c_str(), O_WRONLY | O_TRUNC);
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

VideoPipe::~VideoPipe()
{
    abandon();
}

bool VideoPipe::open(const std::string& ffmpeg, const std::string& file, int w, int h, int fps,
                     const std::vector<std::int16_t>& audio, std::string& why)
{
    file_ = file;
    partial_ = file + ".partial";
    const int probe = ::open(partial_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (probe < 0) {
        why = "cannot write " + partial_ + ": " + std::strerror(errno);
        partial_.clear();
        return false;
    }
    close(probe);
    audio_path_ = temp_path("quorvex-capture-audio");
    log_path_ = temp_path("quorvex-capture-ffmpeg");
    if (audio_path_.empty() || log_path_.empty() || !write_file(audio_path_, audio)) {
        why = "cannot write a temporary audio file: " + std::string(std::strerror(errno));
        abandon();
        return false;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        why = "cannot make a pipe to ffmpeg: " + std::string(std::strerror(errno));
        abandon();
        return false;
    }
    // A dead ffmpeg must show as a failed write, not kill us before we clean up.
    signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> args = ffmpeg_arguments(w, h, fps, audio_path_, partial_);
    child_ = fork();
    if (child_ == 0) {
        close(fds[1]);
        exec_ffmpeg(ffmpeg, args, fds[0], log_path_);
    }
    close(fds[0]);
    if (child_ < 0) {
        close(fds[1]);
        why = "cannot start ffmpeg: " + std::string(std::strerror(errno));
        abandon();
        return false;
    }
    pipe_fd_ = fds[1];
    fcntl(pipe_fd_, F_SETFD, FD_CLOEXEC);
    return true;
}

bool VideoPipe::write_frame(const SDL_Surface* surface, std::string& why)
{
    const auto* pixels = static_cast<const char*>(surface->pixels);
    const auto row_bytes = static_cast<std::size_t>(surface->w) * 4;
    for (int y = 0; y < surface->h; ++y) {
        if (!write_all(pipe_fd_, pixels + y * surface->pitch, row_bytes)) {
            why = "ffmpeg stopped taking frames: " + last_ffmpeg_error();
            abandon();
            return false;
        }
    }
    return true;
}

bool VideoPipe::finish(std::string& why)
{
    close(pipe_fd_);
    pipe_fd_ = -1;
    int status = 0;
    while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {}
    child_ = -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        why = WIFEXITED(status) && WEXITSTATUS(status) == 127
                  ? "cannot run ffmpeg"
                  : "ffmpeg failed: " + last_ffmpeg_error();
        abandon();
        return false;
    }
    if (std::rename(partial_.c_str(), file_.c_str()) != 0) {
        why = "cannot rename " + partial_ + " to " + file_ + ": " + std::strerror(errno);
        abandon();
        return false;
    }
    partial_.clear();
    abandon();
    return true;
}

// Stops ffmpeg if it still runs and removes every file this run made but did
// not publish.
void VideoPipe::abandon()
{
    if (pipe_fd_ >= 0) close(pipe_fd_);
    pipe_fd_ = -1;
    if (child_ > 0) {
        kill(child_, SIGTERM);
        int status = 0;
        while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {}
    }
    child_ = -1;
    for (std::string* path : {&partial_, &audio_path_, &log_path_})
        if (!path->empty()) std::remove(path->c_str());
    partial_.clear();
    audio_path_.clear();
    log_path_.clear();
}

// The last non-empty line ffmpeg wrote to its log, for a one-line report.
std::string VideoPipe::last_ffmpeg_error() const
{
    std::ifstream log(log_path_);
    std::string line, last = "no message";
    while (std::getline(log, line))
        if (!line.empty()) last = line;
    return last;
}
