// Running SDL_mixer offline: open the mixer on the disk driver, queue the track
// as the show does, and record every mixed chunk from the unpause on.
#include "live_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace {

struct Recorder {
    std::vector<std::int16_t>* pcm;
    std::int64_t music_frames = 0;  // sample frames up to the last chunk with music
    bool stopped = false;
};

// Runs on SDL's audio thread, after the mixer has mixed the music into stream.
void record_chunk(void* user, Uint8* stream, int len)
{
    auto* recorder = static_cast<Recorder*>(user);
    const auto* samples = reinterpret_cast<const std::int16_t*>(stream);
    recorder->pcm->insert(recorder->pcm->end(), samples, samples + len / 2);
    // The music may run out part way through a chunk, and the mixer does not say
    // where: the first chunk after which it is stopped still counts, so the end
    // is known to one chunk (21 ms) and no music is cut.
    if (recorder->stopped) return;
    recorder->music_frames = std::int64_t(recorder->pcm->size() / 2);
    recorder->stopped = !Mix_PlayingMusic();
}

// SDL's disk driver announces itself on standard error when it opens; that is
// noise in the capture tool's progress output, so it goes to /dev/null.
int open_mixer_quietly()
{
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int null_fd = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null_fd >= 0) dup2(null_fd, STDERR_FILENO);
    const int result = Mix_OpenAudio(48000, AUDIO_S16LSB, 2, 1024);
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

}  // namespace

bool decode_live_track(const char* path, LiveTrack& out, std::string& why)
{
    out = LiveTrack{};
    // The disk driver with no delay calls the mixer back to back instead of in
    // real time, and /dev/null takes what it writes.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0 || open_mixer_quietly() < 0) {
        why = std::string("cannot start the audio decoder: ") + SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    // The show's own order: pause, queue the track, unpause; the first chunk
    // mixed after the unpause is the show clock's origin.
    SDL_PauseAudio(1);
    Mix_Music* music = Mix_LoadMUS(path);
    if (music == nullptr) {
        out.why_silent = Mix_GetError();
        close_mixer();
        return true;
    }
    Recorder recorder{&out.pcm};
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
    out.pcm.resize(static_cast<std::size_t>(recorder.music_frames) * 2);
    out.loaded = true;
    out.end_ms = (recorder.music_frames * 1000 + 47999) / 48000;
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
