// quorvex-music: renders the show's track and writes it as the MP3 the show
// plays, or as a WAV excerpt for checking by ear and by meter.
//
//   quorvex-music OUT.mp3                     the whole track, ready for d/
//   quorvex-music --wav OUT.wav [FROM [SECONDS]]  song time FROM.., as rendered
#include "dsp.h"
#include "encoder.h"
#include "loudness.h"
#include "render.h"
#include "sequencer.h"
#include "song.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

int usage()
{
    std::fprintf(stderr,
                 "usage: quorvex-music OUT.mp3\n"
                 "       quorvex-music --wav OUT.wav [FROM_SECONDS [SECONDS]]\n");
    return 2;
}

void report_loudness(const std::vector<float>& pcm)
{
    const music::Loudness l = music::measure_loudness(pcm);
    std::printf("loudness %.2f LUFS, sample peak %.2f dBFS\n", l.integrated_lufs, l.sample_peak_db);
}

int write_wav(const std::string& path, double from_s, double seconds)
{
    const auto events = music::schedule(music::the_song());
    const auto start = static_cast<std::int64_t>(from_s * music::kSampleRate);
    const auto frames = static_cast<std::int64_t>(seconds * music::kSampleRate);
    const auto pcm = music::render(music::the_song(), events, start, frames);
    report_loudness(pcm);
    if (!music::write_file(path, music::encode_wav(pcm))) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

int write_mp3(const std::string& path)
{
    const auto t0 = Clock::now();
    const auto events = music::schedule(music::the_song());
    auto pcm = music::render(music::the_song(), events, 0, music::kSongSamples);
    const double render_s = seconds_since(t0);
    report_loudness(pcm);
    // The player starts the decoded stream kPlaybackDelay samples late, so
    // the encoder gets the song from that point on: song time t then comes
    // out of the player at exactly t.
    pcm.erase(pcm.begin(), pcm.begin() + 2 * music::kPlaybackDelay);
    const auto t1 = Clock::now();
    const auto mp3 = music::encode_mp3(pcm, music::kMp3Kbps);
    const double encode_s = seconds_since(t1);
    if (mp3.empty() || !music::write_file(path, mp3)) {
        std::fprintf(stderr, "cannot encode or write %s\n", path.c_str());
        return 1;
    }
    std::printf("%zu events, rendered in %.1f s, encoded in %.1f s, %zu bytes\n", events.size(),
                render_s, encode_s, mp3.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && argv[1][0] != '-')
        return write_mp3(argv[1]);
    if (argc >= 3 && argc <= 5 && std::string(argv[1]) == "--wav") {
        const double from = argc > 3 ? std::atof(argv[3]) : 0.0;
        const double seconds =
            argc > 4 ? std::atof(argv[4]) : double(music::kSongSamples) / music::kSampleRate - from;
        return write_wav(argv[2], from, seconds);
    }
    return usage();
}
