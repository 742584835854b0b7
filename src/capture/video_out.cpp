// Segments are written under a name unique to this process and renamed when
// complete and synced, so neither a crash nor a stale encoder from a killed
// run can leave a damaged segment under a finished name.
#include "video_out.h"

#include "files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

bool ends_with(const std::string& text, const char* tail)
{
    const std::size_t n = std::strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

// Unfinished files of an earlier run: segments under way and a progress update.
void remove_partials(const std::string& dir)
{
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(d))
            if (ends_with(entry->d_name, ".partial"))
                std::remove((dir + "/" + entry->d_name).c_str());
        closedir(d);
    }
}

std::string base_name(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool write_samples(const std::string& path, const std::int16_t* samples, std::size_t count)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    // The PCM goes to ffmpeg as s16le; the samples are already little-endian here.
    out.write(reinterpret_cast<const char*>(samples), static_cast<std::streamsize>(count * 2));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

bool SegmentedVideo::open(const std::string& ffmpeg, const std::string& file,
                          const EncodeSettings& settings, const std::string& signature,
                          std::int64_t total, bool resume, std::string& why)
{
    ffmpeg_ = ffmpeg;
    file_ = file;
    dir_ = parts_dir(file);
    signature_ = signature;
    settings_ = settings;
    total_ = total;
    per_segment_ = std::int64_t(settings.fps) * kSegmentSeconds;
    if (mkdir(dir_.c_str(), 0777) != 0) {
        if (errno != EEXIST) {
            why = "cannot create " + dir_ + ": " + std::strerror(errno);
            return false;
        }
        if (!resume) {
            why = dir_ + " holds an unfinished capture: add --resume to carry it on, or remove it";
            return false;
        }
        if (!read_resume_point(dir_, signature_, start_, why)) return false;
        for (std::int64_t k = 0; k < start_.segments_done; ++k)
            if (access(segment_file(dir_, k, segment_extension(settings_)).c_str(), R_OK) != 0) {
                why = dir_ + " has lost segment " + std::to_string(k) + "; remove it to start over";
                return false;
            }
        remove_partials(dir_);
        return true;
    }
    return write_resume_point(dir_, signature_, start_, why);
}

std::int64_t SegmentedVideo::first_frame() const
{
    return std::min(start_.segments_done * per_segment_, total_);
}

std::int64_t SegmentedVideo::segment_frames(std::int64_t k) const
{
    return std::min(per_segment_, total_ - k * per_segment_);
}

bool SegmentedVideo::start_segment(std::int64_t k, std::string& why)
{
    segment_ = k;
    segment_partial_ = segment_file(dir_, k, segment_extension(settings_)) + "." +
                       std::to_string(getpid()) + ".partial";
    return encoder_.start(ffmpeg_, segment_arguments(settings_, segment_partial_),
                          dir_ + "/ffmpeg.log", true, why);
}

bool SegmentedVideo::finish_segment(const GlowFilter& glow, std::string& why)
{
    if (!encoder_.finish(why)) return false;
    const std::string done = segment_file(dir_, segment_, segment_extension(settings_));
    if (!publish_file(segment_partial_, done)) {
        why = "cannot publish " + done + ": " + std::strerror(errno);
        return false;
    }
    segment_partial_.clear();
    const ResumePoint point{segment_ + 1, glow};
    segment_ = -1;
    return write_resume_point(dir_, signature_, point, why);
}

bool SegmentedVideo::write(const void* pixels, std::size_t bytes, std::int64_t index,
                           const GlowFilter& glow, std::string& why)
{
    const std::int64_t k = index / per_segment_;
    if (segment_ < 0 && !start_segment(k, why)) return false;
    if (!encoder_.write(pixels, bytes, why)) return false;
    if (index + 1 == k * per_segment_ + segment_frames(k)) return finish_segment(glow, why);
    return true;
}

void SegmentedVideo::interrupt()
{
    encoder_.abandon();
    if (!segment_partial_.empty()) std::remove(segment_partial_.c_str());
    segment_partial_.clear();
    segment_ = -1;
}

bool SegmentedVideo::join(const std::vector<std::int16_t>& sound, std::string& why)
{
    // The concat list: each segment with its exact length, so the joined
    // timestamps run on without a gap or an overlap.
    const std::string list = dir_ + "/join.txt";
    const std::int64_t segments = (total_ + per_segment_ - 1) / per_segment_;
    {
        std::ofstream out(list, std::ios::trunc);
        out << "ffconcat version 1.0\n";
        for (std::int64_t k = 0; k < segments; ++k)
            out << "file '" << base_name(segment_file(dir_, k, segment_extension(settings_)))
                << "'\nduration " << segment_frames(k) * 1000000 / settings_.fps << "us\n";
        out.close();
        if (!out) {
            why = "cannot write " + list;
            return false;
        }
    }
    // An MP4 has no edit list to skip the AAC encoder's priming, so the sound
    // it hears starts that much later and each sample decodes at its moment.
    const std::size_t skip = settings_.lossless ? 0 : std::min<std::size_t>(sound.size(), kAacPriming * 2);
    const std::string sound_file = dir_ + "/sound.pcm";
    if (!write_samples(sound_file, sound.data() + skip, sound.size() - skip)) {
        why = "cannot write " + sound_file;
        return false;
    }
    const std::string partial = file_ + ".partial";
    FfmpegChild joiner;
    if (!joiner.start(ffmpeg_, join_arguments(settings_, list, sound_file, partial),
                      dir_ + "/ffmpeg.log", false, why) ||
        !joiner.finish(why)) {
        std::remove(partial.c_str());
        return false;
    }
    if (!publish_file(partial, file_)) {
        why = "cannot rename " + partial + " to " + file_ + ": " + std::strerror(errno);
        std::remove(partial.c_str());
        return false;
    }
    remove_parts(dir_);
    return true;
}
