// Plays the scheduled events through the instruments, sends and master
// chain, producing the finished stereo track.
#pragma once

#include "sequencer.h"

#include <cstdint>
#include <vector>

namespace music {

// Bit mask of parts to play (bit i = Part i); the default plays all.
constexpr std::uint32_t kAllParts = (1u << kPartCount) - 1;
constexpr std::uint32_t part_bit(Part p) { return 1u << static_cast<unsigned>(p); }

// Master output, interleaved left/right floats, for song samples
// [start, start + frames). Rendering starts from silence at `start`: events
// before it are not played, so only start = 0 reproduces the track exactly.
// Sample i of the result is song time start + i: the limiter's look-ahead is
// taken out.
std::vector<float> render(const Song& song, const std::vector<Event>& events, std::int64_t start,
                          std::int64_t frames, std::uint32_t parts = kAllParts);

}  // namespace music
