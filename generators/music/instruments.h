// The instruments: patch descriptions and the voices that play them (drum
// voices built for one sound each, and one subtractive voice for the
// pitched parts).
#pragma once

#include "dsp.h"

#include <array>
#include <cstdint>

namespace music {

// Kick: a sine whose pitch falls from f_start to f_end, with a noise click.
struct KickPatch {
    double f_start, f_end;  // Hz
    double pitch_time;      // pitch fall time constant, s
    double hold;            // full level before the decay, s
    double amp_time;        // body decay time constant, s
    double click;           // level of the noise click
    double drive;           // tanh drive, 1 = gentle
};

// Snare: a falling tone and band-passed noise.
struct SnarePatch {
    double tone_hz, tone_time;    // Hz, s
    double noise_hz, noise_time;  // band centre Hz, s
    double tone_mix;              // 0 = noise only
};

// Clap: band-passed noise in three quick bursts and a tail.
struct ClapPatch {
    double band_hz;
    double tail_time;  // s
};

// Hats and crash: six detuned square waves and noise, high-passed.
struct MetalPatch {
    double pitch;     // multiplier on the square waves' base frequencies
    double hp_hz;     // high-pass cutoff
    double time;      // decay time constant, s
    double noise_mix; // 0 = squares only
};

// Subtractive synth voice: up to three detuned saws, a square and a sub sine
// through a resonant low-pass whose cutoff an envelope and an LFO move.
struct SynthPatch {
    int saws;                 // unison saws, 1..3
    double detune_cents;      // spread of the outer saws
    double square;            // square-wave level (same pitch)
    double sub;               // sine an octave below
    double attack, decay, sustain, release;  // amplitude envelope (s, s, 0..1, s)
    double f_attack, f_decay; // filter envelope (s); it falls back to 0
    double cutoff_hz;         // cutoff with the envelope closed, at note 60
    double env_octaves;       // how far the envelope opens the filter
    double key_track;         // 1 = cutoff follows the pitch fully
    double q;                 // resonance
    double lfo_octaves;       // cutoff LFO depth
    double lfo_hz;            // cutoff LFO rate, locked to song time
    double vibrato_cents;     // pitch vibrato depth (5.5 Hz), fading in
    double vibrato_delay;     // s
    double width;             // stereo spread of the outer saws, 0..1
    double drive;             // soft saturation after the filter
};

class KickVoice {
public:
    void trigger(const KickPatch& p, double velocity);
    double next(const KickPatch& p, Noise& noise);

private:
    double phase_ = 0.0, pitch_ = 0.0, amp_ = 0.0, click_ = 0.0, vel_ = 0.0;
    double kp_ = 0.0, ka_ = 0.0;
    std::int64_t hold_ = 0;
};

class SnareVoice {
public:
    void trigger(const SnarePatch& p, double velocity);
    double next(Noise& noise);

private:
    Oscillator tone_;
    Svf band_;
    double hz_ = 0.0, bend_ = 0.0, tone_amp_ = 0.0, noise_amp_ = 0.0;
    double kb_ = 0.0, kt_ = 0.0, kn_ = 0.0;
};

class ClapVoice {
public:
    void trigger(const ClapPatch& p, double velocity);
    double next(Noise& noise);

private:
    Svf band_;
    std::int64_t t_ = -1;
    double vel_ = 0.0, tail_k_ = 0.0, tail_ = 0.0;
};

class MetalVoice {
public:
    void trigger(const MetalPatch& p, double velocity);
    void choke() { k_ = decay_coeff(0.006); }
    double next(Noise& noise);

private:
    std::array<Oscillator, 6> sq_;
    Svf hp_;
    double amp_ = 0.0, k_ = 0.0, noise_mix_ = 0.0;
};

// A band-passed noise sweep that rises over its length and stops on the
// next downbeat.
class RiserVoice {
public:
    void trigger(std::int64_t length, double velocity);
    Stereo next(Noise& noise);

private:
    Svf l_, r_;
    std::int64_t t_ = 0, length_ = 0;
    double vel_ = 0.0;
};

class SynthVoice {
public:
    void start(const SynthPatch& p, int note, double velocity, std::int64_t gate);
    bool active() const { return amp_.active(); }
    double level() const { return amp_.level(); }
    // Called every control block: base cutoff in Hz, LFO value in -1..1.
    void control(const SynthPatch& p, double cutoff_hz, double lfo);
    Stereo next(const SynthPatch& p);

private:
    std::array<Oscillator, 3> saw_;
    Oscillator sub_;
    Adsr amp_, fenv_;
    Svf fl_, fr_;
    int note_ = 0;
    double vel_ = 0.0;
    std::int64_t gate_ = 0, age_ = 0;
};

// Samples between updates of filter cutoffs and pitches.
constexpr int kControlBlock = 32;

}  // namespace music
