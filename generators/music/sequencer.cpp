// Reads the order list section by section and writes out each part's notes
// as events whose times come straight from their grid step.
#include "sequencer.h"

#include "dsp.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace music {
namespace {

// The whitespace-separated tokens of a pattern line.
std::vector<std::string_view> tokens_of(const char* line)
{
    std::vector<std::string_view> out;
    const std::string_view s(line);
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == ' ')
            ++i;
        std::size_t j = i;
        while (j < s.size() && s[j] != ' ')
            ++j;
        if (j > i)
            out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

// Writes the notes of one tracker line starting at grid step first_step.
// A note token starts a note that lasts until the next note, a '-' or the
// end of the line; note_of maps a token to a MIDI note.
template <typename NoteOf>
void emit_line(const char* line, std::int64_t first_step, Part part, float velocity,
               NoteOf note_of, std::vector<Event>& out)
{
    const auto toks = tokens_of(line);
    std::size_t open = out.size();  // index of the sounding note, or size when none
    bool sounding = false;
    const auto close = [&](std::int64_t step) {
        if (sounding)
            out[open].length = step_sample(step) - out[open].sample;
        sounding = false;
    };
    for (std::size_t i = 0; i < toks.size(); ++i) {
        const std::int64_t step = first_step + static_cast<std::int64_t>(i);
        if (toks[i] == ".")
            continue;
        close(step);
        if (toks[i] == "-")
            continue;
        const int note = note_of(toks[i]);
        if (note < 0)
            continue;
        out.push_back({step, step_sample(step), 0, part, static_cast<std::int8_t>(note), velocity});
        open = out.size() - 1;
        sounding = true;
    }
    close(first_step + static_cast<std::int64_t>(toks.size()));
}

float drum_velocity(char c)
{
    if (c == 'x')
        return 1.0f;
    if (c >= '1' && c <= '9')
        return static_cast<float>(c - '0') / 9.0f;
    return 0.0f;
}

// How long each drum rings; the renderer only needs it for bookkeeping.
constexpr std::int64_t kDrumSpan = 2 * kSamplesPerBeat;

void emit_drum_row(const char* row, std::int64_t bar_step, Part part, std::vector<Event>& out)
{
    for (int i = 0; i < kStepsPerBar && row[i] != '\0'; ++i) {
        const float v = drum_velocity(row[i]);
        if (v > 0.0f) {
            const std::int64_t step = bar_step + i;
            out.push_back({step, step_sample(step), kDrumSpan, part, 0, v});
        }
    }
}

int bass_offset(std::string_view t)
{
    switch (t[0]) {
    case '1': return 0;
    case '4': return 5;
    case '5': return 7;
    case '7': return 10;
    case '8': return 12;
    default: return -1;
    }
}

void emit_bar(const Song& song, const Section& sec, int bar, std::int64_t bar_step,
              std::vector<Event>& out)
{
    const DrumBar& drums = song.drum_bars[sec.drums[bar]];
    emit_drum_row(drums.kick, bar_step, Part::kick, out);
    emit_drum_row(drums.snare, bar_step, Part::snare, out);
    emit_drum_row(drums.clap, bar_step, Part::clap, out);
    emit_drum_row(drums.hat, bar_step, Part::hat, out);
    emit_drum_row(drums.open_hat, bar_step, Part::open_hat, out);

    // The section's key: the chord as written, moved by its transposition.
    Chord chord = song.chords[song.progressions[sec.progression][bar]];
    chord.bass_root = static_cast<std::int8_t>(chord.bass_root + sec.transpose);
    for (std::int8_t& tone : chord.tones)
        tone = static_cast<std::int8_t>(tone + sec.transpose);
    // A chord that stays for the next bar is held, not struck again.
    const bool held = bar > 0 && song.progressions[sec.progression][bar] ==
                                     song.progressions[sec.progression][bar - 1];
    if (sec.pad_db > -90.0f && held) {
        for (Event& e : out)
            if (e.part == Part::pad && e.sample + e.length == step_sample(bar_step))
                e.length += step_sample(kStepsPerBar);
    } else if (sec.pad_db > -90.0f) {
        for (const std::int8_t tone : chord.tones)
            out.push_back({bar_step, step_sample(bar_step), step_sample(kStepsPerBar), Part::pad,
                           tone, 1.0f});
    }
    if (sec.bass >= 0) {
        emit_line(song.bass_riffs[sec.bass], bar_step, Part::bass, 1.0f,
                  [&](std::string_view t) {
                      const int off = bass_offset(t);
                      return off < 0 ? -1 : chord.bass_root + off;
                  },
                  out);
    }
    if (sec.arp >= 0) {
        const std::size_t first = out.size();
        emit_line(song.arp_patterns[sec.arp], bar_step, Part::arp, 0.8f,
                  [&](std::string_view t) {
                      const int d = t[0] - '0';
                      return (d < 0 || d > 7) ? -1 : chord.tones[d % 4] + 12 * (1 + d / 4);
                  },
                  out);
        // Notes on the beat are played harder so the line has a pulse.
        for (std::size_t i = first; i < out.size(); ++i)
            if (out[i].step % 4 == 0)
                out[i].velocity = 1.0f;
    }
}

void emit_lead(const Song& song, const Section& sec, int phrase, Part part, std::int64_t first_step,
               std::vector<Event>& out)
{
    const std::size_t first = out.size();
    emit_line(song.lead_phrases[phrase], first_step, part, 1.0f,
              [&](std::string_view t) {
                  const int n = parse_note(t.data(), static_cast<int>(t.size()));
                  return n < 0 ? -1 : n + sec.transpose;
              },
              out);
    // A phrase stops where the section stops playing.
    const std::int64_t end = step_sample(first_step + sec.bars * kStepsPerBar);
    out.erase(std::remove_if(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                             [&](const Event& e) { return e.sample >= end; }),
              out.end());
    const std::size_t last = out.size();
    for (std::size_t i = first; i < last; ++i) {
        out[i].length = std::min(out[i].length, end - out[i].sample);
        if (sec.lead_octave && part == Part::lead) {
            Event up = out[i];
            up.note = static_cast<std::int8_t>(up.note + 12);
            up.velocity = 0.45f;
            out.push_back(up);
        }
    }
}

void emit_section(const Song& song, int index, std::vector<Event>& out)
{
    const Section& sec = song.sections[index];
    const std::int64_t first_step = std::int64_t(index) * kStepsPerSection;
    for (int bar = 0; bar < sec.bars; ++bar)
        emit_bar(song, sec, bar, first_step + bar * kStepsPerBar, out);
    if (sec.lead >= 0)
        emit_lead(song, sec, sec.lead, Part::lead, first_step, out);
    if (sec.lead2 >= 0)
        emit_lead(song, sec, sec.lead2, Part::lead2, first_step, out);
    if (sec.crash_bar >= 0) {
        const std::int64_t s = first_step + sec.crash_bar * kStepsPerBar;
        out.push_back({s, step_sample(s), 4 * kSamplesPerBeat, Part::crash, 0, 1.0f});
    }
    if (sec.riser) {
        const std::int64_t s = first_step + kStepsPerSection / 2;
        out.push_back({s, step_sample(s), step_sample(kStepsPerSection / 2), Part::riser, 0, 1.0f});
    }
}

}  // namespace

int parse_note(const char* token, int length)
{
    static constexpr int kPitchClass[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (length < 2 || token[0] < 'A' || token[0] > 'G')
        return -1;
    int pc = kPitchClass[token[0] - 'A'];
    int i = 1;
    if (token[i] == '#') {
        ++pc;
        ++i;
    }
    if (i != length - 1 || token[i] < '0' || token[i] > '9')
        return -1;
    return 12 * (token[i] - '0' + 1) + pc;
}

std::vector<Event> schedule(const Song& song)
{
    std::vector<Event> out;
    for (int i = 0; i < song.section_count; ++i)
        emit_section(song, i, out);
    std::stable_sort(out.begin(), out.end(), [](const Event& a, const Event& b) {
        return a.sample != b.sample ? a.sample < b.sample : a.part < b.part;
    });
    return out;
}

Controls controls_at(const Song& song, std::int64_t sample)
{
    std::int64_t index = sample / kSamplesPerSection;
    index = std::clamp<std::int64_t>(index, 0, song.section_count - 1);
    const Section& sec = song.sections[index];
    const double t = std::clamp(
        static_cast<double>(sample - index * kSamplesPerSection) / kSamplesPerSection, 0.0, 1.0);
    const auto glide = [t](const float (&c)[2]) {
        return double(c[0]) * std::pow(double(c[1]) / double(c[0]), t);
    };
    const auto level = [](float db) { return db <= -90.0f ? 0.0 : db_to_gain(db); };
    return {glide(sec.pad_cutoff), glide(sec.arp_cutoff), level(sec.pad_db), level(sec.arp_db),
            level(sec.lead_db), level(sec.lead2_db), level(sec.band_db)};
}

}  // namespace music
