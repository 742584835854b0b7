// Small signal-processing building blocks shared by the instruments and the
// effects: noise, band-limited oscillators, filters and envelopes.
#pragma once

#include <cmath>
#include <cstdint>

namespace music {

constexpr int kSampleRate = 48000;  // samples per second, per channel
constexpr double kPi = 3.14159265358979323846;

struct Stereo {
    double l = 0.0;
    double r = 0.0;
};

// Frequency in Hz of MIDI note n (69 = A4 = 440 Hz).
inline double note_hz(double n) { return 440.0 * std::exp2((n - 69.0) / 12.0); }

inline double db_to_gain(double db) { return std::pow(10.0, db / 20.0); }

// Equal-power pan: p from -1 (left) to +1 (right).
inline Stereo pan(double x, double p)
{
    const double a = (p + 1.0) * 0.25 * kPi;
    return {x * std::cos(a), x * std::sin(a)};
}

// White noise in [-1, 1) from a 32-bit xorshift; seeded explicitly so that
// every render of the song is the same.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : s_(seed ? seed : 1u) {}
    double next()
    {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return static_cast<double>(s_) * (2.0 / 4294967296.0) - 1.0;
    }

private:
    std::uint32_t s_;
};

// Correction that removes most aliasing from a hard edge at phase 0
// (polynomial band-limited step); dt is the phase increment per sample.
inline double poly_blep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// Phase accumulator in cycles [0, 1) with band-limited saw and square.
class Oscillator {
public:
    void reset(double phase) { ph_ = phase; }
    void set_hz(double hz) { dt_ = hz / kSampleRate; }
    double phase() const { return ph_; }
    double saw() const { return 2.0 * ph_ - 1.0 - poly_blep(ph_, dt_); }
    double square() const
    {
        double half = ph_ + 0.5;
        if (half >= 1.0)
            half -= 1.0;
        return (ph_ < 0.5 ? 1.0 : -1.0) + poly_blep(ph_, dt_) - poly_blep(half, dt_);
    }
    double sine() const { return std::sin(2.0 * kPi * ph_); }
    void advance()
    {
        ph_ += dt_;
        if (ph_ >= 1.0)
            ph_ -= 1.0;
    }

private:
    double ph_ = 0.0;
    double dt_ = 0.0;
};

// One-pole smoother / low-pass; coefficient from a cutoff in Hz.
class OnePole {
public:
    void set_hz(double hz) { a_ = 1.0 - std::exp(-2.0 * kPi * hz / kSampleRate); }
    double low(double x) { return z_ += a_ * (x - z_); }
    double high(double x) { return x - low(x); }

private:
    double a_ = 1.0;
    double z_ = 0.0;
};

struct SvfOut {
    double low;
    double band;
    double high;
};

// Resonant state-variable filter in trapezoidal form; it stays stable while
// its cutoff is swept every few samples, which the modulated voices need.
class Svf {
public:
    // cutoff in Hz (clamped below Nyquist), q from 0.5 (soft) up to ~20.
    void set(double hz, double q)
    {
        const double nyq = 0.45 * kSampleRate;
        const double fc = hz < 20.0 ? 20.0 : (hz > nyq ? nyq : hz);
        g_ = std::tan(kPi * fc / kSampleRate);
        k_ = 1.0 / q;
        a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
    }
    SvfOut run(double x)
    {
        const double v3 = x - ic2_;
        const double v1 = a1_ * ic1_ + g_ * a1_ * v3;
        const double v2 = ic2_ + g_ * v1;
        ic1_ = 2.0 * v1 - ic1_;
        ic2_ = 2.0 * v2 - ic2_;
        return {v2, v1, x - k_ * v1 - v2};
    }

private:
    double g_ = 0.1, k_ = 1.0, a1_ = 1.0;
    double ic1_ = 0.0, ic2_ = 0.0;
};

// Attack-decay-sustain-release envelope: linear attack, exponential decay and
// release (time constants in seconds), level 0..1.
class Adsr {
public:
    void set(double attack, double decay, double sustain, double release)
    {
        att_step_ = attack > 0.0 ? 1.0 / (attack * kSampleRate) : 1.0;
        dec_k_ = std::exp(-1.0 / (decay * kSampleRate));
        sus_ = sustain;
        rel_k_ = std::exp(-1.0 / (release * kSampleRate));
    }
    void gate_on() { stage_ = Stage::attack; }
    void gate_off()
    {
        if (stage_ != Stage::idle)
            stage_ = Stage::release;
    }
    bool active() const { return stage_ != Stage::idle; }
    double level() const { return v_; }
    double next()
    {
        switch (stage_) {
        case Stage::attack:
            v_ += att_step_;
            if (v_ >= 1.0) {
                v_ = 1.0;
                stage_ = Stage::decay;
            }
            break;
        case Stage::decay:
            v_ = sus_ + (v_ - sus_) * dec_k_;
            break;
        case Stage::release:
            v_ *= rel_k_;
            if (v_ < 1e-4) {  // -80 dB: gone under anything else playing
                v_ = 0.0;
                stage_ = Stage::idle;
            }
            break;
        case Stage::idle:
            break;
        }
        return v_;
    }

private:
    enum class Stage { idle, attack, decay, release };
    Stage stage_ = Stage::idle;
    double v_ = 0.0;
    double att_step_ = 1.0, dec_k_ = 0.0, sus_ = 0.0, rel_k_ = 0.0;
};

// Soft saturation shaped like tanh (a Pade approximant that meets +-1 at
// +-3), at a fraction of the cost in the per-voice loops.
inline double soft_clip(double x)
{
    if (x <= -3.0)
        return -1.0;
    if (x >= 3.0)
        return 1.0;
    const double x2 = x * x;
    return x * (27.0 + x2) / (27.0 + 9.0 * x2);
}

// Removes a constant offset: a zero at DC and a pole just inside it
// (corner about 3.5 Hz), so nothing audible is touched.
class DcBlocker {
public:
    double run(double x)
    {
        y_ = x - x1_ + 0.99955 * y_;
        x1_ = x;
        return y_;
    }

private:
    double x1_ = 0.0, y_ = 0.0;
};

// Second-order Butterworth high-pass (bilinear transform), for rumble below
// the kick's lowest note that only eats a loudspeaker's headroom.
class HighPass {
public:
    explicit HighPass(double hz)
    {
        const double k = std::tan(kPi * hz / kSampleRate);
        const double norm = 1.0 / (1.0 + std::sqrt(2.0) * k + k * k);
        b0_ = norm;
        a1_ = 2.0 * (k * k - 1.0) * norm;
        a2_ = (1.0 - std::sqrt(2.0) * k + k * k) * norm;
    }
    double run(double x)
    {
        // Transposed direct form II; b1 = -2 b0 and b2 = b0.
        const double y = b0_ * x + z1_;
        z1_ = -2.0 * b0_ * x - a1_ * y + z2_;
        z2_ = b0_ * x - a2_ * y;
        return y;
    }

private:
    double b0_, a1_, a2_;
    double z1_ = 0.0, z2_ = 0.0;
};

// Exponential decay multiplier per sample for a time constant in seconds.
inline double decay_coeff(double seconds) { return std::exp(-1.0 / (seconds * kSampleRate)); }

}  // namespace music
