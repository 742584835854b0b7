// The --video output: frames encoded in closed segments of kSegmentSeconds
// kept in FILE.parts/, each published there once complete, then joined
// without re-encoding and given the sound. An interrupted capture keeps its
// finished segments for --resume.
#pragma once

#include "resume.h"
#include "video_pipe.h"

#include <cstdint>
#include <string>
#include <vector>

class SegmentedVideo {
public:
    // Prepares FILE.parts for a capture of total frames: a fresh one, or, with
    // resume, the one left by an interrupted run with the same signature. An
    // unfinished capture found without resume is refused, never overwritten.
    bool open(const std::string& ffmpeg, const std::string& file, const EncodeSettings& settings,
              const std::string& signature, std::int64_t total, bool resume, std::string& why);
    // Where this run starts: the first frame not yet in a finished segment and
    // the glow filter's state before it.
    const ResumePoint& start() const { return start_; }
    std::int64_t first_frame() const;
    // Sends frame index (frames arrive in order), glow being the filter's state
    // after drawing it; closes and publishes a segment after its last frame.
    bool write(const void* pixels, std::size_t bytes, std::int64_t index, const GlowFilter& glow,
               std::string& why);
    // Joins the segments with the sound (interleaved stereo at 48 kHz, as long
    // as the video) into FILE and removes FILE.parts.
    bool join(const std::vector<std::int16_t>& sound, std::string& why);
    // Stops the segment under way and drops it; the finished ones stay.
    void interrupt();
    const std::string& parts() const { return dir_; }

private:
    bool start_segment(std::int64_t k, std::string& why);
    bool finish_segment(const GlowFilter& glow, std::string& why);
    std::int64_t segment_frames(std::int64_t k) const;

    std::string ffmpeg_;
    std::string file_;
    std::string dir_;
    std::string signature_;
    EncodeSettings settings_;
    std::int64_t total_ = 0;
    std::int64_t per_segment_ = 1;
    ResumePoint start_;
    std::int64_t segment_ = -1;  // under way, or -1
    std::string segment_partial_;
    FfmpegChild encoder_;
};
