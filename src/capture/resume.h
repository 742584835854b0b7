// What an interrupted --video capture leaves beside its output, FILE.parts/:
// the finished segments (each a closed run of frames, encoded on its own) and
// a progress file naming the settings, how many segments are done and the
// glow filter's state after the last of them. A resumed run starts at the next
// segment in that state, so it makes exactly the segments an uninterrupted
// run makes.
#pragma once

#include "args.h"

#include "backdrop/backdrop.h"

#include <cstdint>
#include <string>

// Seconds of show per segment: the work an interruption can lose.
constexpr int kSegmentSeconds = 10;

struct ResumePoint {
    std::int64_t segments_done = 0;
    GlowFilter glow;  // after the last frame of the last finished segment
};

std::string parts_dir(const std::string& video_file);

// dir/seg-000003.mp4: segment k with at least six digits.
std::string segment_file(const std::string& dir, std::int64_t k, const char* extension);

// One line of every setting that changes the frames or their encoding; the
// same line means the same segments.
std::string capture_signature(const CaptureArgs& args, std::int64_t to_ms);

// Reads dir's progress file. A missing file is the start (nothing done).
// False with a reason when it is damaged or was written for other settings.
bool read_resume_point(const std::string& dir, const std::string& signature, ResumePoint& out,
                       std::string& why);

// Replaces dir's progress file in one step that survives a power cut.
bool write_resume_point(const std::string& dir, const std::string& signature,
                        const ResumePoint& point, std::string& why);

// Removes the files in dir (it holds no directories) and dir itself.
void remove_parts(const std::string& dir);
