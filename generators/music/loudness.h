// Loudness of the finished track as broadcasters measure it (ITU-R BS.1770:
// K-weighting, 400 ms blocks, absolute and relative gates), so the tool can
// report it before encoding.
#pragma once

#include <vector>

namespace music {

struct Loudness {
    double integrated_lufs;
    double sample_peak_db;  // dBFS of the largest sample
    // Short-term loudness (3-s window) every 100 ms: element i covers the
    // window that ends at (i + 30) * 100 ms.
    std::vector<double> short_term_lufs;
};

// pcm: interleaved stereo at 48 kHz.
Loudness measure_loudness(const std::vector<float>& pcm);

}  // namespace music
