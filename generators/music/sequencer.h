// Turns the song's tables into note events on exact sample positions and
// gives the per-section controls (filter sweeps, levels) at any song time.
#pragma once

#include "song.h"

#include <cstdint>
#include <vector>

namespace music {

// The parts the renderer plays, one instrument each.
enum class Part : std::uint8_t {
    kick, snare, clap, hat, open_hat, crash, riser, bass, pad, arp, lead, lead2
};
constexpr int kPartCount = 12;

struct Event {
    std::int64_t step;    // index on the 16th-note grid from the song's start
    std::int64_t sample;  // song time in samples: step_sample(step)
    std::int64_t length;  // how long the note is held, samples (one-shots: their span)
    Part part;
    std::int8_t note;     // MIDI note (drums: 0)
    float velocity;       // 0..1
};

// Every event of the song, ordered by time (and by part within a step).
std::vector<Event> schedule(const Song& song);

// Section-driven settings at one song time; cutoffs glide geometrically
// across their section so the sweeps sound even.
struct Controls {
    double pad_cutoff;  // Hz
    double arp_cutoff;  // Hz
    double pad_gain;    // linear
    double arp_gain;    // linear
    double lead_gain;   // linear
    double lead2_gain;  // linear
    double band_gain;   // linear, on the whole band
};
Controls controls_at(const Song& song, std::int64_t sample);

// MIDI note of a name such as "C5" or "G#4"; -1 if it is not one.
int parse_note(const char* token, int length);

}  // namespace music
