// The progress line: on a terminal it is rewritten in place, elsewhere (a log
// file, a CI run) it is a new line every few seconds.
#include "progress.h"

#include <unistd.h>

#include <cstdio>

std::string progress_line(std::int64_t done, std::int64_t total, double seconds, std::int64_t first)
{
    const double rate = seconds > 0 ? double(done - first) / seconds : 0;
    char left[32] = "--:--";
    if (rate > 0) {
        const auto s = static_cast<std::int64_t>(double(total - done) / rate + 0.5);
        std::snprintf(left, sizeof left, "%lld:%02lld", static_cast<long long>(s / 60),
                      static_cast<long long>(s % 60));
    }
    char line[128];
    std::snprintf(line, sizeof line, "frame %lld/%lld  %.1f fps  %s left",
                  static_cast<long long>(done), static_cast<long long>(total), rate, left);
    return line;
}

Progress::Progress(std::int64_t total, std::int64_t first)
    : total_(total), first_(first), start_(std::chrono::steady_clock::now()), terminal_(isatty(STDERR_FILENO) != 0)
{
}

double Progress::seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Progress::frame_done(std::int64_t done)
{
    const double now = seconds();
    const double every = terminal_ ? 0.5 : 5.0;
    if (now - last_print_ < every && done != total_) return;
    last_print_ = now;
    const std::string line = progress_line(done, total_, now, first_);
    std::fprintf(stderr, terminal_ ? "\r%s\033[K" : "%s\n", line.c_str());
    printed_ = true;
}

double Progress::finish()
{
    if (printed_ && terminal_) std::fputc('\n', stderr);
    return seconds();
}
