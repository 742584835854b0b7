// Delay, reverb and limiter processing.
#include "effects.h"

#include <algorithm>
#include <cmath>

namespace music {

PingPongDelay::PingPongDelay(std::size_t delay_samples, double feedback)
    : l_(delay_samples), r_(delay_samples), d_(delay_samples), fb_(feedback)
{
    lp_l_.set_hz(4500.0);
    lp_r_.set_hz(4500.0);
    hp_l_.set_hz(250.0);
    hp_r_.set_hz(250.0);
}

Stereo PingPongDelay::process(double in)
{
    const double ol = l_.read(d_);
    const double orr = r_.read(d_);
    // The input enters on the left; each side feeds the other, so the
    // repeats alternate left, right, left.
    l_.write(in + fb_ * hp_l_.high(lp_l_.low(orr)));
    r_.write(fb_ * hp_r_.high(lp_r_.low(ol)));
    // The left side hears every repeat one feedback pass before the right;
    // taking one pass off it makes the echoes come in equal pairs, so the
    // delay sits in the middle.
    return {ol * fb_, orr};
}

namespace {
// Mutually prime lengths between 30 and 58 ms, so the echoes never line up.
constexpr std::size_t kReverbLengths[8] = {1433, 1601, 1867, 2053, 2251, 2399, 2617, 2791};
constexpr std::size_t kPreDelay = 960;  // 20 ms before the room answers
// Short all-pass lengths that smear each input before the network, so a
// held chord does not ring out the network's own resonances.
constexpr std::size_t kDiffuserLengths[2][2] = {{142, 379}, {107, 277}};
// Rows of an 8x8 Hadamard matrix: how each input feeds the lines and how each
// output taps them. Mutually orthogonal, so left and right stay distinct yet
// equally loud whatever the input's pitch.
constexpr double kFeedLeft[8] = {1, -1, 1, -1, 1, -1, 1, -1};
constexpr double kFeedRight[8] = {1, 1, -1, -1, 1, 1, -1, -1};
constexpr double kTapLeft[8] = {1, 1, 1, 1, -1, -1, -1, -1};
constexpr double kTapRight[8] = {1, -1, -1, 1, -1, 1, 1, -1};
}  // namespace

AllPass::AllPass(std::size_t length, double gain) : line_(length), len_(length), g_(gain) {}

double AllPass::process(double x)
{
    const double delayed = line_.read(len_);
    const double v = x + g_ * delayed;
    line_.write(v);
    return delayed - g_ * v;
}

Reverb::Reverb(double decay_s)
    : lines_{DelayLine(kReverbLengths[0]), DelayLine(kReverbLengths[1]), DelayLine(kReverbLengths[2]),
             DelayLine(kReverbLengths[3]), DelayLine(kReverbLengths[4]), DelayLine(kReverbLengths[5]),
             DelayLine(kReverbLengths[6]), DelayLine(kReverbLengths[7])},
      pre_l_(kPreDelay), pre_r_(kPreDelay),
      diffuse_{AllPass(kDiffuserLengths[0][0], 0.6), AllPass(kDiffuserLengths[0][1], 0.6),
               AllPass(kDiffuserLengths[1][0], 0.6), AllPass(kDiffuserLengths[1][1], 0.6)}
{
    for (std::size_t i = 0; i < kLines; ++i) {
        len_[i] = kReverbLengths[i];
        // Each pass through line i must lose len/(decay*rate) of 60 dB.
        gain_[i] = std::pow(10.0, -3.0 * static_cast<double>(len_[i]) / (decay_s * kSampleRate));
        damp_[i].set_hz(5000.0);
    }
    in_hp_l_.set_hz(180.0);
    in_hp_r_.set_hz(180.0);
}

Stereo Reverb::process(Stereo in)
{
    double il = in_hp_l_.high(pre_l_.read(kPreDelay));
    double ir = in_hp_r_.high(pre_r_.read(kPreDelay));
    pre_l_.write(in.l);
    pre_r_.write(in.r);
    il = diffuse_[1].process(diffuse_[0].process(il));
    ir = diffuse_[3].process(diffuse_[2].process(ir));

    std::array<double, kLines> o;
    double sum = 0.0;
    for (std::size_t i = 0; i < kLines; ++i) {
        o[i] = damp_[i].low(lines_[i].read(len_[i]));
        sum += o[i];
    }
    // Householder reflection: lossless mixing of every line into every other.
    const double s = sum * (2.0 / kLines);
    Stereo out;
    for (std::size_t i = 0; i < kLines; ++i) {
        lines_[i].write((o[i] - s) * gain_[i] + 0.5 * (kFeedLeft[i] * il + kFeedRight[i] * ir));
        out.l += kTapLeft[i] * o[i];
        out.r += kTapRight[i] * o[i];
    }
    out.l *= 0.35;
    out.r *= 0.35;
    return out;
}

Limiter::Limiter(double ceiling) : ceiling_(ceiling), release_(decay_coeff(kReleaseSeconds))
{
    need_.fill(1.0);
    box_.fill(1.0);
}

Stereo Limiter::process(Stereo in)
{
    const double peak = std::max(std::fabs(in.l), std::fabs(in.r));
    const double need = peak > ceiling_ ? ceiling_ / peak : 1.0;

    // Window minimum of the gains needed by the last kLookahead inputs.
    while (q_tail_ != q_head_) {
        const std::size_t back = (q_tail_ + q_idx_.size() - 1) % q_idx_.size();
        if (q_val_[back] < need)
            break;
        q_tail_ = back;
    }
    q_idx_[q_tail_] = n_;
    q_val_[q_tail_] = need;
    q_tail_ = (q_tail_ + 1) % q_idx_.size();
    const auto lookahead = static_cast<std::int64_t>(kLookahead);
    while (q_idx_[q_head_] <= n_ - lookahead)
        q_head_ = (q_head_ + 1) % q_idx_.size();
    const double window_min = q_val_[q_head_];

    held_ = std::min(window_min, 1.0 - (1.0 - held_) * release_);
    box_sum_ += held_ - box_[pos_];
    box_[pos_] = held_;

    // The oldest sample in the delay, input n - (kLookahead - 1), lies in the
    // window of every gain now in the box, so their mean cannot exceed what
    // that sample needs.
    delay_[pos_] = in;
    pos_ = (pos_ + 1) % kLookahead;
    const Stereo out = delay_[pos_];
    ++n_;
    const double g = box_sum_ / static_cast<double>(kLookahead);
    return {out.l * g, out.r * g};
}

}  // namespace music
