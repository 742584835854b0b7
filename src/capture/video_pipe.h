// The video output's encoder runs: the ffmpeg arguments for a segment of
// frames and for the final join with the sound, and an ffmpeg child process
// fed raw frames through a pipe.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

struct EncodeSettings {
    int width = 0;   // of the frames sent, after scaling
    int height = 0;
    int fps = 0;
    int crf = 0;
    std::string preset;
    bool lossless = false;
};

// Sample frames of silence ffmpeg's AAC encoder puts before the sound. An MP4
// without an edit list cannot tell a player to skip them, so the join drops as
// many from the front of the sound: each sample is then heard at its frame.
constexpr std::int64_t kAacPriming = 1024;

// The extension of a segment file: .mp4 (H.264) or .mkv (FFV1).
const char* segment_extension(const EncodeSettings& settings);

// Reads bgr0 frames of width x height from standard input and writes one
// segment of video alone to out_file: H.264 High, yuv420p tagged BT.709, a
// closed GOP of half the frame rate with up to two B-frames and CABAC; or,
// lossless, FFV1 of the same RGB words in Matroska.
std::vector<std::string> segment_arguments(const EncodeSettings& settings, const std::string& out_file);

// Joins the segments named in the concat list without re-encoding and adds
// the sound (48 kHz 16-bit stereo PCM in audio_file): AAC-LC 384 kbps into an
// MP4 with its index at the front and no edit list, or FLAC into Matroska.
std::vector<std::string> join_arguments(const EncodeSettings& settings, const std::string& list_file,
                                        const std::string& audio_file, const std::string& out_file);

// One ffmpeg run, its standard error kept in a log file for the report.
class FfmpegChild {
public:
    FfmpegChild() = default;
    FfmpegChild(const FfmpegChild&) = delete;
    FfmpegChild& operator=(const FfmpegChild&) = delete;
    ~FfmpegChild();

    // Starts ffmpeg with args, reading a pipe when with_input. False with a reason in why.
    bool start(const std::string& ffmpeg, const std::vector<std::string>& args,
               const std::string& log_path, bool with_input, std::string& why);
    // Sends bytes to its standard input.
    bool write(const void* data, std::size_t size, std::string& why);
    // Ends the input and waits; false with ffmpeg's last message when it failed.
    bool finish(std::string& why);
    // Stops it if it still runs.
    void abandon();

private:
    std::string last_error() const;

    std::string log_path_;
    int pipe_fd_ = -1;
    pid_t child_ = -1;
};
