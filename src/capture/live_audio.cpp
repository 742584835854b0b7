// Running SDL_mixer offline: open the mixer on the disk driver, queue the track
// as the show does, and record every mixed chunk from the unpause on.
#include "live_audio.h"

#include "show/track.h"
#include "timing.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

struct Recorder {
    std::vector<std::int16_t>* pcm;
    int sink_fd;                      // the disk driver's output file, emptied as it goes
    std::int64_t music_frames = 0;  // sample frames up to the last chunk with music
    bool stopped = false;
};

// Runs on SDL's audio thread, after the mixer has mixed the music into stream.
void record_chunk(void* user, Uint8* stream, int len)
{
    auto* recorder = static_cast<Recorder*>(user);
    const auto* samples = reinterpret_cast<const std::int16_t*>(stream);
    recorder->pcm->insert(recorder->pcm->end(), samples, samples + len / 2);
    // The driver writes each chunk after this call at an ever-growing offset;
    // emptying the file first leaves only holes behind, so the file holds at
    // most one chunk whatever the track's length.
    // Should that fail, the file merely grows.
    if (ftruncate(recorder->sink_fd, 0) != 0) recorder->sink_fd = -1;
    // The music may run out part way through a chunk, and the mixer does not say
    // where: the first chunk after which it is stopped still counts, so the end
    // is known to one chunk (21 ms) and no music is cut.
    if (recorder->stopped) return;
    recorder->music_frames = std::int64_t(recorder->pcm->size() / 2);
    recorder->stopped = !Mix_PlayingMusic();
}

// SDL's disk driver announces itself on standard error when it opens; that is
// noise in the capture tool's progress output, so it goes to /dev/null.
std::string open_mixer_quietly(const TrackFormat& format)
{
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int null_fd = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null_fd >= 0) dup2(null_fd, STDERR_FILENO);
    std::string result = open_mixer(format);
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
    if (null_fd >= 0) close(null_fd);
    return result;
}

void close_mixer()
{
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// The disk driver needs a file to write to. Newer SDLs open only regular files
// and pipes (not /dev/null), so it gets a private temporary file, removed from
// the directory as soon as the driver holds it open. Returns its descriptor,
// or -1 with why set.
int make_sink_file(std::string& path, std::string& why)
{
    const char* dir = std::getenv("TMPDIR");
    path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/quorvex-audio-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) why = "cannot start the audio decoder: cannot make a temporary file " + path + ": " + std::strerror(errno);
    return fd;
}

}  // namespace

bool decode_live_track(const char* path, LiveTrack& out, std::string& why)
{
    out = LiveTrack{};
    // The show opens the mixer in the track's own format; the capture's sound
    // is 48 kHz stereo throughout, so a track in another format stays silent.
    TrackFormat format;
    out.why_silent = read_track_format(path, format);
    if (!out.why_silent.empty()) return true;
    if (format.rate != kAudioRate || format.channels != 2) {
        out.why_silent = "the capture takes 48 kHz stereo tracks, not " + std::to_string(format.rate) +
                         " Hz in " + std::to_string(format.channels) + " channel(s)";
        return true;
    }
    std::string sink_path;
    const int sink_fd = make_sink_file(sink_path, why);
    if (sink_fd < 0) return false;
    // The disk driver with no delay calls the mixer back to back instead of in
    // real time (SDL 3 reads the delay as a time scale).
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", sink_path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    setenv("SDL_AUDIO_DISK_TIMESCALE", "0", 1);
    const bool audio = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    const std::string mixer_error = audio ? open_mixer_quietly(format) : SDL_GetError();
    unlink(sink_path.c_str());
    if (!mixer_error.empty()) {
        why = "cannot start the audio decoder: " + mixer_error;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        close(sink_fd);
        return false;
    }
    // The show's own order: pause, queue the track, unpause; the first chunk
    // mixed after the unpause is the show clock's origin.
    SDL_PauseAudio(1);
    Mix_Music* music = Mix_LoadMUS(path);
    if (music == nullptr) {
        out.why_silent = Mix_GetError();
        close_mixer();
        close(sink_fd);
        return true;
    }
    Recorder recorder{&out.pcm, sink_fd};
    Mix_SetPostMix(record_chunk, &recorder);
    Mix_PlayMusic(music, 1);
    SDL_PauseAudio(0);
    while (Mix_PlayingMusic()) SDL_Delay(5);
    SDL_PauseAudio(1);
    SDL_LockAudio();
    Mix_SetPostMix(nullptr, nullptr);
    SDL_UnlockAudio();
    Mix_FreeMusic(music);
    close_mixer();
    close(sink_fd);
    out.pcm.resize(static_cast<std::size_t>(recorder.music_frames) * 2);
    out.loaded = true;
    out.end_ms = (recorder.music_frames * 1000 + kAudioRate - 1) / kAudioRate;
    return true;
}

std::vector<std::int16_t> live_slice(const LiveTrack& track, std::int64_t first, std::int64_t count)
{
    std::vector<std::int16_t> slice(static_cast<std::size_t>(count) * 2, 0);
    const auto have = static_cast<std::int64_t>(track.pcm.size() / 2);
    const std::int64_t from = std::min(first, have);
    const std::int64_t to = std::min(first + count, have);
    std::copy(track.pcm.begin() + from * 2, track.pcm.begin() + to * 2, slice.begin());
    return slice;
}
