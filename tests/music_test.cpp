// The show's music: the grid the notes sit on, repeatable rendering, the
// whole rendered track's form and mastering, the limiter's ceiling, and the
// encoded track as the show's player delivers it.
#include "encoder.h"
#include "effects.h"
#include "loudness.h"
#include "overlay/scroller.h"
#include "render.h"
#include "sequencer.h"
#include "song.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using music::Event;
using music::Part;

constexpr std::int64_t kRate = 48000;

const std::vector<Event>& song_events()
{
    static const std::vector<Event> events = music::schedule(music::the_song());
    return events;
}

std::set<std::int64_t> samples_of(Part part)
{
    std::set<std::int64_t> s;
    for (const Event& e : song_events())
        if (e.part == part)
            s.insert(e.sample);
    return s;
}

bool any_event_of(Part part, double from_s, double to_s)
{
    for (const Event& e : song_events())
        if (e.part == part && e.sample >= std::int64_t(from_s * kRate) && e.sample < std::int64_t(to_s * kRate))
            return true;
    return false;
}

TEST(MusicSchedule, EveryEventStartsOnItsGridStepToTheSample)
{
    ASSERT_GT(song_events().size(), 1000u);
    for (const Event& e : song_events()) {
        ASSERT_EQ(e.sample, e.step * 6000) << "step " << e.step;
        ASSERT_GT(e.length, 0) << "step " << e.step;
        ASSERT_LT(e.sample, music::kSongSamples);
    }
    EXPECT_TRUE(std::is_sorted(song_events().begin(), song_events().end(),
                               [](const Event& a, const Event& b) { return a.sample < b.sample; }));
}

TEST(MusicSchedule, KicksOnEveryBeatWithNoDrift)
{
    // The climax (160-224 s, beats 320-447) and the last approach (504-512 s,
    // beats 1008-1023); a grid built by adding rounded step lengths would have
    // wandered off by then.
    const auto kicks = samples_of(Part::kick);
    for (const std::int64_t first : {320, 1008})
        for (std::int64_t beat = first; beat < first + (first == 320 ? 128 : 16); ++beat)
            EXPECT_EQ(kicks.count(beat * 24000), 1u) << "beat " << beat;
    // Fills put an extra kick on an eighth note, never off that grid.
    for (const std::int64_t k : kicks)
        EXPECT_EQ(k % 12000, 0) << "kick off the eighth-note grid at sample " << k;
}

TEST(MusicSchedule, FormFollowsThePicturesAndTheScrollText)
{
    EXPECT_FALSE(any_event_of(Part::kick, 0, 16)) << "the intro is quiet";
    EXPECT_EQ(*samples_of(Part::kick).begin(), 16 * kRate) << "the beat enters at 16 s";
    EXPECT_EQ(samples_of(Part::crash).count(32 * kRate), 1u) << "lift for the logo at 32 s";
    EXPECT_TRUE(any_event_of(Part::lead, 32, 40));
    EXPECT_FALSE(any_event_of(Part::kick, 48, 56)) << "first flicker slot is a break";
    EXPECT_FALSE(any_event_of(Part::kick, 144, 152)) << "second flicker slot is a break";
    EXPECT_TRUE(any_event_of(Part::snare, 52, 56)) << "a roll leads out of the break";
    EXPECT_EQ(samples_of(Part::crash).count(160 * kRate), 1u) << "the climax starts at 160 s";
    // The show's timeline runs at two beats a second.
    const auto gone = std::int64_t(scroller_end_beat(st, 800) / 2 * kRate);
    const std::int64_t hit = *samples_of(Part::kick).rbegin();
    EXPECT_GT(hit, gone) << "music until the last glyph has left the screen";
    EXPECT_LT(hit, gone + 2 * kRate) << "and the final chord right after it";
    EXPECT_EQ(samples_of(Part::crash).count(hit), 1u);
    EXPECT_LE(music::kSongSamples - hit, 8 * kRate) << "a tail, not a second ending";
    for (const Event& e : song_events())
        EXPECT_LE(e.sample, hit) << "nothing starts after the final chord";
}

TEST(MusicSchedule, NoteNames)
{
    EXPECT_EQ(music::parse_note("A4", 2), 69);
    EXPECT_EQ(music::parse_note("G#4", 3), 68);
    EXPECT_EQ(music::parse_note("B3", 2), 59);
    for (const char* bad : {"H4", "C", "C#"})
        EXPECT_EQ(music::parse_note(bad, int(std::strlen(bad))), -1) << bad;
}

std::vector<float> render_seconds(double from_s, double seconds, std::uint32_t parts = music::kAllParts)
{
    return music::render(music::the_song(), song_events(), std::int64_t(from_s * kRate),
                         std::int64_t(seconds * kRate), parts);
}

double rms(const std::vector<float>& pcm)
{
    double sum = 0.0;
    for (const float x : pcm)
        sum += double(x) * x;
    return std::sqrt(sum / double(pcm.size()));
}

TEST(MusicRender, ShortRendersAreBitIdentical)
{
    // From the start and from the middle of a busy section with every part,
    // effects and the limiter at work.
    for (const double from : {0.0, 165.0}) {
        const auto a = render_seconds(from, 1.5);
        const auto b = render_seconds(from, 1.5);
        ASSERT_EQ(a.size(), b.size());
        EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0) << "from " << from;
        EXPECT_GT(rms(a), 0.0);
    }
}

TEST(MusicRender, LateKickStartsOnItsExactSample)
{
    // The kick alone around beat 1020 (510 s): silence right up to the sample
    // of the beat, sound on it. The limiter's delay must be taken out exactly.
    const auto pcm = render_seconds(509.9, 0.2, music::part_bit(Part::kick));
    const std::size_t onset = std::size_t(0.1 * kRate);
    for (std::size_t i = 0; i < onset; ++i)
        ASSERT_EQ(pcm[2 * i], 0.0f) << "frame " << i;
    EXPECT_NE(pcm[2 * onset], 0.0f);
    float loudest = 0.0f;
    for (std::size_t i = onset; i < onset + 2400; ++i)
        loudest = std::max(loudest, std::fabs(pcm[2 * i]));
    EXPECT_GT(loudest, 0.1f);
}

// Each 8-second section of a stereo track as a mono signal with zero mean
// and unit energy, so the dot product of two is their correlation.
std::vector<std::vector<float>> normalised_sections(const std::vector<float>& pcm)
{
    const std::size_t len = 8 * kRate;
    std::vector<std::vector<float>> out(pcm.size() / (2 * len), std::vector<float>(len));
    for (std::size_t s = 0; s < out.size(); ++s) {
        const float* x = &pcm[2 * s * len];
        double mean = 0.0, energy = 0.0;
        for (std::size_t i = 0; i < len; ++i)
            mean += double(x[2 * i]) + x[2 * i + 1];
        mean /= double(len);
        for (std::size_t i = 0; i < len; ++i)
            energy += (double(x[2 * i]) + x[2 * i + 1] - mean) * (double(x[2 * i]) + x[2 * i + 1] - mean);
        const double k = energy > 0.0 ? 1.0 / std::sqrt(energy) : 0.0;
        for (std::size_t i = 0; i < len; ++i)
            out[s][i] = float((double(x[2 * i]) + x[2 * i + 1] - mean) * k);
    }
    return out;
}

// Mean short-term loudness over song seconds [from, to).
double short_term_mean(const music::Loudness& l, int from, int to)
{
    double sum = 0.0;
    int n = 0;
    for (int ms = from * 1000 + 3000; ms <= to * 1000; ms += 100, ++n)
        sum += l.short_term_lufs[std::size_t(ms / 100 - 30)];
    return sum / n;
}

TEST(MusicRender, WholeTrackDevelopsAndIsMastered)
{
    // The whole song, rendered once as the tool renders it for encoding.
    const auto pcm = render_seconds(0, double(music::kSongSamples) / kRate);
    const std::size_t frames = pcm.size() / 2;

    // No 8-second stretch is played again nearly verbatim more than once.
    const auto sec = normalised_sections(pcm);
    std::vector<int> twins(sec.size(), 0);
    for (std::size_t i = 0; i < sec.size(); ++i)
        for (std::size_t j = i + 1; j < sec.size(); ++j) {
            double dot = 0.0;
            for (std::size_t k = 0; k < sec[i].size(); ++k)
                dot += double(sec[i][k]) * sec[j][k];
            if (dot > 0.95)
                ++twins[i], ++twins[j];
        }
    for (std::size_t i = 0; i < sec.size(); ++i)
        EXPECT_LE(twins[i], 1) << "the section at " << i * 8 << " s is heard three times or more";

    const music::Loudness l = music::measure_loudness(pcm);
    EXPECT_NEAR(l.integrated_lufs, -14.0, 1.0);
    // The climax stands out from the first groove (the logo, 32-48 s).
    EXPECT_GE(short_term_mean(l, 160, 224) - short_term_mean(l, 32, 48), 3.0);

    // Master bus: no offset, and a main part neither mono nor hollow.
    double sum[2] = {}, lr = 0.0, ll = 0.0, rr = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double x = pcm[2 * i], y = pcm[2 * i + 1];
        sum[0] += x;
        sum[1] += y;
        if (i >= std::size_t(16 * kRate) && i < std::size_t(224 * kRate))
            lr += x * y, ll += x * x, rr += y * y;
    }
    EXPECT_LT(std::max(std::fabs(sum[0]), std::fabs(sum[1])) / double(frames), 1e-3) << "DC offset";
    EXPECT_GT(lr / std::sqrt(ll * rr), 0.5) << "stereo correlation of the main part";
    EXPECT_LT(lr / std::sqrt(ll * rr), 0.85) << "stereo correlation of the main part";

    // The final chord rings out to silence within the file.
    EXPECT_LT(rms({pcm.end() - 2 * kRate / 2, pcm.end()}), 1e-3);
}

// The limiter written the obvious way: for every output sample, the minimum
// gain over the whole look-ahead window, released, then averaged over the
// last kLookahead values. The fast one keeps a running queue and sum.
std::vector<double> reference_limit(const std::vector<double>& x, double ceiling)
{
    const auto L = std::int64_t(music::Limiter::kLookahead);
    const double release = std::exp(-1.0 / (music::Limiter::kReleaseSeconds * 48000.0));
    const auto n = std::int64_t(x.size());
    const auto need = [&](std::int64_t i) {
        return i < 0 || std::fabs(x[std::size_t(i)]) <= ceiling ? 1.0 : ceiling / std::fabs(x[std::size_t(i)]);
    };
    std::vector<double> held(x.size());
    double prev = 1.0;
    for (std::int64_t i = 0; i < n; ++i) {
        double m = 1.0;
        for (std::int64_t k = i - L + 1; k <= i; ++k)
            m = std::min(m, need(k));
        prev = held[std::size_t(i)] = std::min(m, 1.0 - (1.0 - prev) * release);
    }
    std::vector<double> out(x.size());
    for (std::int64_t i = 0; i < n; ++i) {
        double sum = 0.0;
        for (std::int64_t k = i - L + 1; k <= i; ++k)
            sum += k < 0 ? 1.0 : held[std::size_t(k)];
        const std::int64_t src = i - music::Limiter::kLatency;
        out[std::size_t(i)] = src < 0 ? 0.0 : x[std::size_t(src)] * sum / double(L);
    }
    return out;
}

TEST(MusicLimiter, HoldsTheCeilingAndMatchesTheStraightforwardVersion)
{
    // Loud bursts, isolated spikes and quiet stretches, so the queue, the
    // release, the moving average and the latency are all exercised.
    music::Noise noise(5);
    std::vector<double> x;
    for (int i = 0; i < 30000; ++i) {
        const double level = (i / 1700) % 3 == 0 ? 2.5 : 0.2;
        x.push_back(i % 4111 == 0 ? -6.0 : level * noise.next());
    }
    const auto expected = reference_limit(x, 0.7);
    music::Limiter lim(0.7);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double y = lim.process({x[i], 0.0}).l;
        ASSERT_NEAR(y, expected[i], 1e-9) << "sample " << i;
        ASSERT_LE(std::fabs(y), 0.7 * (1.0 + 1e-9)) << "sample " << i << " above the ceiling";
    }
}

// ---- Playback through the show's own player ----

#ifndef QUORVEX_SOURCE_DIR
#error "QUORVEX_SOURCE_DIR must name the source tree"
#endif

std::vector<std::uint8_t> read_bytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void capture_music(void* arg, Uint8* stream, int len)
{
    // Only chunks mixed while the track plays; it is queued before the
    // device is unpaused, so the first of them starts with its first sample.
    if (Mix_PlayingMusic()) {
        auto* bytes = static_cast<std::vector<std::uint8_t>*>(arg);
        bytes->insert(bytes->end(), stream, stream + len);
    }
}

// Plays an MP3 as the show does (48 kHz, signed 16-bit, stereo, 1,024-frame
// chunks, queued while paused) into SDL's disk audio driver and returns the
// first `frames` stereo frames of the track as SDL_mixer mixed them.
std::vector<std::int16_t> play_through_sdl_mixer(const std::string& mp3, std::size_t frames)
{
    const std::string raw = testing::TempDir() + "quorvex_music_disk.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);  // as fast as it can decode
    setenv("SDL_AUDIO_DISK_TIMESCALE", "0", 1);  // the same under SDL 3 (else real time)
    EXPECT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    EXPECT_EQ(Mix_OpenAudio(48000, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
    SDL_PauseAudio(1);
    Mix_Music* m = Mix_LoadMUS(mp3.c_str());
    EXPECT_NE(m, nullptr) << Mix_GetError();
    std::vector<std::uint8_t> mixed;  // what SDL_mixer produced while the track played
    Mix_SetPostMix(capture_music, &mixed);
    Mix_PlayMusic(m, 1);
    SDL_PauseAudio(0);
    const std::size_t want = frames * 4;
    for (int tries = 0; tries < 20000; ++tries) {
        SDL_LockAudio();
        const bool done = mixed.size() >= want || !Mix_PlayingMusic();
        SDL_UnlockAudio();
        if (done)
            break;
        SDL_Delay(2);
    }
    SDL_PauseAudio(1);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_HaltMusic();
    if (m)
        Mix_FreeMusic(m);
    Mix_CloseAudio();
    SDL_Quit();

    std::remove(raw.c_str());
    const std::size_t n = std::min(want, mixed.size());
    std::vector<std::int16_t> out(n / 2);
    std::memcpy(out.data(), mixed.data(), n);
    EXPECT_GE(out.size(), frames * 2) << "the track ended early";
    return out;
}

TEST(MusicPlayback, EncoderDelayThroughSdlMixerIsWhatWeCompensate)
{
    // One loud click at frame 24,000 of the encoder's input, left channel
    // positive and right negative so a channel swap would show.
    std::vector<float> pcm(2 * 96000, 0.0f);
    pcm[2 * 24000] = 0.9f;
    pcm[2 * 24000 + 1] = -0.9f;
    const std::string path = testing::TempDir() + "quorvex_click.mp3";
    ASSERT_TRUE(music::write_file(path, music::encode_mp3(pcm, music::kMp3Kbps)));
    const auto out = play_through_sdl_mixer(path, 48000);
    std::remove(path.c_str());
    std::size_t peak = 0;
    for (std::size_t i = 0; i < out.size() / 2; ++i)
        if (out[2 * i] > out[2 * peak])
            peak = i;
    EXPECT_EQ(std::int64_t(peak), 24000 + music::kPlaybackDelay);
    EXPECT_GT(out[2 * peak], 10000);
    EXPECT_LT(out[2 * peak + 1], -10000);
}

TEST(MusicPlayback, CommittedTrackIsMpeg1Layer3At48kHzStereoAndLongEnough)
{
    const auto f = read_bytes(QUORVEX_SOURCE_DIR "/d/termite.mp3");
    std::size_t at = 0;
    if (f.size() > 10 && f[0] == 'I' && f[1] == 'D' && f[2] == '3')
        at = 10 + ((f[6] & 0x7fu) << 21 | (f[7] & 0x7fu) << 14 | (f[8] & 0x7fu) << 7 | (f[9] & 0x7fu));
    // Walk every frame: each decodes to 1,152 samples.
    static constexpr int kKbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    std::int64_t samples = 0;
    while (at + 4 <= f.size()) {
        const std::uint32_t h = std::uint32_t(f[at]) << 24 | std::uint32_t(f[at + 1]) << 16 |
                                std::uint32_t(f[at + 2]) << 8 | f[at + 3];
        ASSERT_EQ(h >> 21, 0x7ffu) << "frame sync at byte " << at;
        ASSERT_EQ((h >> 19) & 3u, 3u) << "MPEG-1";
        ASSERT_EQ((h >> 17) & 3u, 1u) << "Layer III";
        ASSERT_EQ((h >> 10) & 3u, 1u) << "48 kHz";
        ASSERT_NE((h >> 6) & 3u, 3u) << "not mono";
        const int kbps = kKbps[(h >> 12) & 15u];
        ASSERT_GE(kbps, 192);
        at += std::size_t(144 * 1000 * kbps / 48000) + ((h >> 9) & 1u);
        samples += 1152;
    }
    // The player starts song time 0 where the stream starts (the cut made
    // for its delay), so the decoded length is the song time covered.
    EXPECT_GE(double(samples) / kRate, scroller_end_beat(st, 800) / 2 + 1.0)
        << "the music lasts until the scroll text has gone, and its final chord after it";
}

TEST(MusicPlayback, CommittedTrackPlaysItsFirstKickOnTheBeat)
{
    // The first kick is on beat 32 (16 s). Line the player's output up with
    // our own render around it: the best match must be within 1 ms.
    const std::int64_t kick = *samples_of(Part::kick).begin();
    ASSERT_EQ(kick, 16 * kRate);
    const auto out = play_through_sdl_mixer(QUORVEX_SOURCE_DIR "/d/termite.mp3", std::size_t(kick + kRate / 2));
    const auto ref = render_seconds(0, double(kick + kRate / 2) / kRate);
    ASSERT_GE(out.size(), ref.size());

    const std::int64_t from = kick - 2400, to = kick + 9600;  // 50 ms before to 200 ms after
    std::int64_t best_lag = 0;
    double best = -1e300, out_energy = 0.0, ref_energy = 0.0;
    for (std::int64_t lag = -2400; lag <= 2400; ++lag) {
        double dot = 0.0;
        for (std::int64_t i = from; i < to; ++i)
            dot += double(out[std::size_t(2 * (i + lag))]) * ref[std::size_t(2 * i)] +
                   double(out[std::size_t(2 * (i + lag) + 1)]) * ref[std::size_t(2 * i + 1)];
        if (dot > best) {
            best = dot;
            best_lag = lag;
        }
    }
    for (std::int64_t i = from; i < to; ++i) {
        const auto o = std::size_t(2 * (i + best_lag));
        out_energy += double(out[o]) * out[o] + double(out[o + 1]) * out[o + 1];
        ref_energy += double(ref[std::size_t(2 * i)]) * ref[std::size_t(2 * i)] +
                      double(ref[std::size_t(2 * i + 1)]) * ref[std::size_t(2 * i + 1)];
    }
    EXPECT_LE(std::abs(best_lag), 48) << "first kick lands " << best_lag << " samples off the beat";
    // The match is the same music, not a chance resemblance: at the best lag
    // the player's output and our render agree closely in shape.
    EXPECT_GT(best / std::sqrt(out_energy * ref_energy), 0.95);
}

}  // namespace
