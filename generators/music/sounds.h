// The band's sounds and mix: one constant patch per instrument, and each
// part's level, pan, effect sends and side-chain depth.
#pragma once

#include "instruments.h"
#include "sequencer.h"

namespace music {

// f_start, f_end Hz; pitch fall s; hold s; decay s; click; drive.
constexpr KickPatch kKick = {160.0, 47.0, 0.03, 0.035, 0.16, 0.25, 1.8};
// tone Hz, tone decay s; noise band Hz, noise decay s; tone mix.
constexpr SnarePatch kSnare = {190.0, 0.07, 2000.0, 0.13, 0.7};
// band Hz; tail decay s.
constexpr ClapPatch kClap = {1150.0, 0.12};
// pitch multiplier; high-pass Hz; decay s; noise mix.
constexpr MetalPatch kHat = {1.6, 7500.0, 0.035, 0.5};
constexpr MetalPatch kOpenHat = {1.6, 6500.0, 0.2, 0.5};
constexpr MetalPatch kCrash = {2.3, 4000.0, 0.9, 0.65};

// saws, detune cents, square, sub; attack, decay s, sustain, release s;
// filter attack, decay s; cutoff Hz, env octaves, key track, q;
// LFO octaves, LFO Hz; vibrato cents, vibrato delay s; width, drive.
constexpr SynthPatch kBass = {1, 0.0, 0.45, 0.35, 0.002, 0.3, 0.7, 0.03, 0.001, 0.14,
                              150.0, 3.2, 0.5, 1.7, 0.0, 0.0, 0.0, 0.0, 0.0, 1.6};
// The pad's and the arpeggio's cutoffs come from the section sweeps instead.
constexpr SynthPatch kPad = {3, 14.0, 0.0, 0.0, 0.5, 1.5, 0.85, 0.6, 0.6, 2.0,
                             1000.0, 0.7, 0.3, 1.1, 0.45, 0.125, 0.0, 0.0, 0.75, 0.0};
constexpr SynthPatch kArp = {2, 9.0, 0.35, 0.0, 0.002, 0.2, 0.0, 0.1, 0.001, 0.1,
                             1000.0, 1.8, 0.4, 3.5, 0.6, 0.5, 0.0, 0.0, 0.9, 0.0};
constexpr SynthPatch kLead = {3, 10.0, 0.3, 0.0, 0.008, 0.6, 0.7, 0.22, 0.004, 0.3,
                              1300.0, 2.0, 0.5, 1.4, 0.15, 0.25, 16.0, 0.3, 0.9, 1.0};
// The second lead: a plucked, bell-like voice for counter-melodies, dying
// away on long notes so it never covers the first.
constexpr SynthPatch kLead2 = {1, 0.0, 0.7, 0.0, 0.002, 0.35, 0.2, 0.35, 0.001, 0.18,
                               1400.0, 2.6, 0.7, 1.2, 0.0, 0.25, 8.0, 0.4, 0.0, 0.0};

// How each part sits in the mix.
struct PartMix {
    double gain_db;
    double pan;     // -1 left .. +1 right
    double delay;   // send to the ping-pong delay
    double reverb;  // send to the reverb
    double duck;    // how deep the kick ducks it, 0..1
};
constexpr PartMix kMix[kPartCount] = {
    /* kick     */ {-3.0, 0.0, 0.0, 0.0, 0.0},
    /* snare    */ {-2.0, 0.1, 0.0, 0.25, 0.0},
    /* clap     */ {-3.0, -0.15, 0.1, 0.3, 0.0},
    /* hat      */ {-2.0, 0.5, 0.0, 0.05, 0.0},
    /* open hat */ {-4.0, -0.45, 0.0, 0.1, 0.0},
    /* crash    */ {-6.0, -0.25, 0.0, 0.3, 0.0},
    /* riser    */ {-19.0, 0.0, 0.2, 0.4, 0.3},
    /* bass     */ {-4.0, 0.0, 0.0, 0.0, 0.75},
    /* pad      */ {-9.0, 0.0, 0.0, 0.45, 0.55},
    /* arp      */ {-1.0, 0.5, 0.7, 0.25, 0.4},
    /* lead     */ {0.0, 0.1, 0.5, 0.3, 0.25},
    /* lead 2   */ {-3.0, -0.45, 0.35, 0.35, 0.2},
};

constexpr double kDelayReturnDuck = 0.3;  // the echoes dip with the kick too
constexpr double kDelayFeedback = 0.42;
constexpr double kReverbDecay = 2.6;      // s to -60 dB

// Master: gain into the limiter (set so the track measures -14 LUFS) and the
// limiter's ceiling, low enough that the MP3 stays under -1 dBTP.
constexpr double kMasterGainDb = -2.4;
constexpr double kCeilingDb = -2.4;
// The last second of the final chord's tail fades to silence so the file
// ends on a clean zero.
constexpr double kFadeSeconds = 1.0;
// The master high-pass, two Butterworth stages (24 dB per octave, -6 dB at
// 30 Hz): below the kick's lowest note (47 Hz) and the lowest bass (41 Hz).
constexpr double kMasterHighPassHz = 30.0;
// Gain on the master's side signal (L - R): the kick and bass sit in the
// middle and would otherwise leave the band's stereo image narrow.
constexpr double kSideGain = 1.25;

}  // namespace music
