// The video output: raw frames piped into an ffmpeg child process that encodes
// them with the capture's audio into an MP4 ready to upload.
#pragma once

#include <SDL.h>

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// The full path of an executable named name on PATH, or "" when there is none.
std::string find_on_path(const char* name);

// The ffmpeg arguments (after the program name) that read frames_per_second
// bgr0 frames of w x h from standard input and 48 kHz 16-bit stereo PCM from
// audio_file, and write H.264 High (yuv420p) with AAC 48 kHz to out_file as MP4
// with its index at the front.
std::vector<std::string> ffmpeg_arguments(int w, int h, int frames_per_second,
                                          const std::string& audio_file,
                                          const std::string& out_file);

// One encoding run. The MP4 is written to "<file>.partial" and renamed to
// <file> only when ffmpeg has finished it without error; every failure removes
// what was written.
class VideoPipe {
public:
    VideoPipe() = default;
    VideoPipe(const VideoPipe&) = delete;
    VideoPipe& operator=(const VideoPipe&) = delete;
    ~VideoPipe();

    // Checks that file can be written, stores the audio (interleaved stereo
    // samples) in a temporary file and starts ffmpeg. False with a reason in why.
    bool open(const std::string& ffmpeg, const std::string& file, int w, int h, int fps,
              const std::vector<std::int16_t>& audio, std::string& why);
    // Sends one 32-bit frame (red 0xff0000, green 0xff00, blue 0xff).
    bool write_frame(const SDL_Surface* surface, std::string& why);
    // Ends the input, waits for ffmpeg and publishes the file on success.
    bool finish(std::string& why);

private:
    void abandon();
    std::string last_ffmpeg_error() const;

    std::string file_;
    std::string partial_;
    std::string audio_path_;
    std::string log_path_;
    int pipe_fd_ = -1;
    pid_t child_ = -1;
};
