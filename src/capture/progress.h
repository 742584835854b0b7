// Progress of a capture on standard error: frames done of total, the rendering
// rate and the time left, refreshed about twice a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// One progress line, e.g. "frame 1200/14400  52.3 fps  4:12 left" (no newline),
// the rate counting the frames done since first (a resumed capture's start).
std::string progress_line(std::int64_t done, std::int64_t total, double seconds,
                          std::int64_t first = 0);

class Progress {
public:
    Progress(std::int64_t total, std::int64_t first);
    // Called after each frame; prints only when half a second has passed.
    void frame_done(std::int64_t done);
    // Ends the progress line; returns the seconds since the start.
    double finish();

private:
    double seconds() const;

    std::int64_t total_;
    std::int64_t first_;
    std::chrono::steady_clock::time_point start_;
    double last_print_ = 0;
    bool terminal_;
    bool printed_ = false;
};
