// BS.1770 integrated loudness with the standard's 48 kHz K-weighting filter.
#include "loudness.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace music {
namespace {

struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0.0, z2 = 0.0;
    double run(double x)
    {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// The two K-weighting stages at 48 kHz: a high shelf for the head's
// acoustics, then a high-pass that ignores the lowest rumble.
Biquad shelf() { return {1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241, 0.73248077421585}; }
Biquad highpass() { return {1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621}; }

double to_lufs(double mean_square) { return -0.691 + 10.0 * std::log10(mean_square); }

}  // namespace

Loudness measure_loudness(const std::vector<float>& pcm)
{
    const std::size_t frames = pcm.size() / 2;
    constexpr std::size_t kStep = 4800;  // 100 ms: blocks of 400 ms overlap by 75%
    std::vector<double> step_energy(frames / kStep, 0.0);
    Biquad s[2] = {shelf(), shelf()};
    Biquad h[2] = {highpass(), highpass()};
    double peak = 0.0;
    for (std::size_t i = 0; i < step_energy.size() * kStep; ++i) {
        for (std::size_t c = 0; c < 2; ++c) {
            const double x = pcm[2 * i + c];
            peak = std::max(peak, std::fabs(x));
            const double y = h[c].run(s[c].run(x));
            step_energy[i / kStep] += y * y;
        }
    }
    std::vector<double> blocks, short_term;
    for (std::size_t i = 3; i < step_energy.size(); ++i)
        blocks.push_back((step_energy[i] + step_energy[i - 1] + step_energy[i - 2] + step_energy[i - 3]) /
                         (4.0 * kStep));
    double window = 0.0;  // energy of the last 30 steps
    for (std::size_t i = 0; i < step_energy.size(); ++i) {
        window += step_energy[i] - (i >= 30 ? step_energy[i - 30] : 0.0);
        if (i >= 29)
            short_term.push_back(window > 0.0 ? to_lufs(window / (30.0 * kStep)) : -200.0);
    }
    const auto gated_mean = [&](double gate_lufs) {
        double sum = 0.0;
        std::size_t n = 0;
        for (const double b : blocks)
            if (b > 0.0 && to_lufs(b) > gate_lufs) {
                sum += b;
                ++n;
            }
        return n ? sum / static_cast<double>(n) : 0.0;
    };
    const double ungated = gated_mean(-70.0);
    const double integrated = ungated > 0.0 ? to_lufs(gated_mean(to_lufs(ungated) - 10.0)) : -100.0;
    return {integrated, peak > 0.0 ? 20.0 * std::log10(peak) : -200.0, short_term};
}

}  // namespace music
