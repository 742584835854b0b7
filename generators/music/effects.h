// The send effects (ping-pong delay, reverb), the kick's side-chain ducker
// and the master limiter.
#pragma once

#include "dsp.h"

#include <array>
#include <cstdint>
#include <vector>

namespace music {

// Fixed-length delay line. read(d), called before this sample's write(),
// returns the input of d samples ago; d runs from 1 to the length.
class DelayLine {
public:
    explicit DelayLine(std::size_t length) : buf_(length, 0.0) {}
    double read(std::size_t d) const
    {
        std::size_t i = pos_ + buf_.size() + 1 - d;
        while (i >= buf_.size())
            i -= buf_.size();
        return buf_[i];
    }
    void write(double x)
    {
        if (++pos_ == buf_.size())
            pos_ = 0;
        buf_[pos_] = x;
    }

private:
    std::vector<double> buf_;
    std::size_t pos_ = 0;
};

// Echoes that bounce between left and right; the feedback path is band-
// limited so the repeats get darker and thinner, like tape.
class PingPongDelay {
public:
    PingPongDelay(std::size_t delay_samples, double feedback);
    Stereo process(double in);

private:
    DelayLine l_, r_;
    std::size_t d_;
    double fb_;
    OnePole lp_l_, lp_r_, hp_l_, hp_r_;
};

// Schroeder all-pass: flat magnitude, smeared phase; diffuses a signal.
class AllPass {
public:
    AllPass(std::size_t length, double gain);
    double process(double x);

private:
    DelayLine line_;
    std::size_t len_;
    double g_;
};

// Feedback delay network of eight lines mixed by a Householder matrix, with
// damping in the loop; decay_s is the time to fall by 60 dB.
class Reverb {
public:
    explicit Reverb(double decay_s);
    Stereo process(Stereo in);

private:
    static constexpr std::size_t kLines = 8;
    std::array<DelayLine, kLines> lines_;
    std::array<std::size_t, kLines> len_;
    std::array<double, kLines> gain_;
    std::array<OnePole, kLines> damp_;
    DelayLine pre_l_, pre_r_;
    OnePole in_hp_l_, in_hp_r_;
    std::array<AllPass, 4> diffuse_;  // two in series per side
};

// Gain that dips when the kick hits and recovers, so the bass and pads make
// room for it. gain(depth) = 1 - depth * envelope.
class Ducker {
public:
    void trigger() { target_ = 1.0; }
    void next()
    {
        // A 2 ms rise avoids a click; then a 90 ms fall.
        env_ += (target_ - env_) * 0.01;
        if (env_ > 0.97 * target_ && target_ > 0.0)
            target_ = 0.0;
        if (target_ == 0.0)
            env_ *= fall_;
    }
    double gain(double depth) const { return 1.0 - depth * env_; }

private:
    double env_ = 0.0, target_ = 0.0;
    double fall_ = decay_coeff(0.09);
};

// Look-ahead peak limiter: delays the signal by kLatency samples and never
// lets an output sample exceed the ceiling. The gain is the minimum needed
// over the look-ahead window, smoothed by a moving average of the same
// length (so it cannot rise above what any sample needs) and released slowly.
class Limiter {
public:
    static constexpr std::size_t kLookahead = 96;  // 2 ms
    static constexpr std::int64_t kLatency = kLookahead - 1;
    static constexpr double kReleaseSeconds = 0.15;  // time constant of the gain's recovery
    explicit Limiter(double ceiling);
    Stereo process(Stereo in);

private:
    double ceiling_;
    double release_;
    double held_ = 1.0;  // released minimum, before smoothing
    std::array<Stereo, kLookahead> delay_{};
    std::array<double, kLookahead> need_{};
    std::array<double, kLookahead> box_{};
    std::size_t pos_ = 0;
    double box_sum_ = static_cast<double>(kLookahead);
    std::int64_t n_ = 0;
    // Monotonic queue of (index, need) for the window minimum.
    std::array<std::int64_t, kLookahead + 1> q_idx_{};
    std::array<double, kLookahead + 1> q_val_{};
    std::size_t q_head_ = 0, q_tail_ = 0;
};

}  // namespace music
