// The song's timing grid and the shape of its data: chords, drum bars, riffs,
// phrases and the order list of 8-second sections that song.cpp fills in.
#pragma once

#include <cstdint>

namespace music {

// 120 beats per minute at 48 kHz: a 16th note (one step) is exactly 6,000
// samples, a beat 24,000, a bar 96,000 and a section (16 beats) 384,000.
constexpr std::int64_t kSamplesPerStep = 6000;
constexpr int kStepsPerBar = 16;
constexpr int kBarsPerSection = 4;
constexpr int kStepsPerSection = kStepsPerBar * kBarsPerSection;
constexpr std::int64_t kSamplesPerBeat = 4 * kSamplesPerStep;
constexpr std::int64_t kSamplesPerSection = kStepsPerSection * kSamplesPerStep;

// Song time of step n of the 16th-note grid; always computed from n, never by
// adding step lengths, so no error can build up over the song.
constexpr std::int64_t step_sample(std::int64_t n) { return n * kSamplesPerStep; }

// 65 sections take the arrangement to 520 s: the scroll text's last glyph
// leaves the screen at 513.4 s, the final chord is struck at 514 s and rings
// out over the last six seconds.
constexpr int kSectionCount = 65;
constexpr std::int64_t kSongSamples = 520 * std::int64_t(48000);

// One chord of the harmony: the bass root and four pad tones (MIDI notes).
struct Chord {
    std::int8_t bass_root;
    std::int8_t tones[4];
};

// One bar of drums: one 16-character row per drum, one character per step.
// '.' is a rest, '1'..'9' a hit at that many ninths of full velocity and
// 'x' a full-velocity hit.
struct DrumBar {
    const char* kick;
    const char* snare;
    const char* clap;
    const char* hat;
    const char* open_hat;
};

// One 8-second section (four bars, one chord per bar) of the order list.
// Pattern indexes of -1 leave that part silent.
struct Section {
    std::uint8_t progression;  // index into the progressions (four chords)
    std::int8_t transpose;     // semitones added to every pitched note (the key)
    std::uint8_t drums[4];     // drum bar for each of the four bars
    std::int8_t bass;          // bass riff, repeated every bar
    std::int8_t arp;           // arpeggio pattern, repeated every bar
    std::int8_t lead;          // four-bar lead phrase
    bool lead_octave;          // lead doubled an octave up
    std::int8_t lead2;         // four-bar phrase of the second lead (a pluck)
    std::int8_t crash_bar;     // bar (0-3) whose first beat has a cymbal crash, -1 none
    bool riser;                // noise sweep over the section's last two bars
    std::uint8_t bars;         // bars that play (1..4); the rest is silence
    float pad_cutoff[2];       // pad filter, Hz, swept from [0] to [1]
    float arp_cutoff[2];       // arpeggio filter, Hz, swept from [0] to [1]
    float pad_db;              // pad level (dB; -99 mutes it)
    float arp_db;              // arpeggio level (dB)
    float lead_db;             // lead level (dB)
    float lead2_db;            // second lead level (dB)
    float band_db;             // the whole band's level (dB): the arrangement's dynamics
};

// Everything song.cpp defines, as pointers into its constant tables.
struct Song {
    const Chord* chords;
    const std::uint8_t (*progressions)[4];  // chord indexes, one per bar
    const DrumBar* drum_bars;
    const char* const* bass_riffs;   // 16 tokens: degree from the root or '-'/'.'
    const char* const* arp_patterns; // 16 tokens: chord tone 0-3, 4-7 an octave up
    const char* const* lead_phrases; // 64 tokens: note names such as "G#4" (both leads)
    const Section* sections;
    int section_count;
};

const Song& the_song();

}  // namespace music
