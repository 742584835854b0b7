// The progress file: three text lines, replaced through a synced temporary
// file and a rename so a crash leaves either the old or the new one.
#include "resume.h"

#include "files.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kProgressName = "/progress";
constexpr const char* kProgressHeader = "quorvex-capture parts 1";

}  // namespace

std::string parts_dir(const std::string& video_file)
{
    return video_file + ".parts";
}

std::string segment_file(const std::string& dir, std::int64_t k, const char* extension)
{
    char name[40];
    std::snprintf(name, sizeof name, "/seg-%06lld", static_cast<long long>(k));
    return dir + name + extension;
}

std::string capture_signature(const CaptureArgs& args, std::int64_t to_ms)
{
    std::ostringstream line;
    line << "from=" << args.from_ms << " to=" << to_ms << " fps=" << args.fps
         << " scale=" << args.scale;
    if (args.lossless)
        line << " lossless";
    else
        line << " crf=" << args.crf << " preset=" << args.preset;
    return line.str();
}

bool read_resume_point(const std::string& dir, const std::string& signature, ResumePoint& out,
                       std::string& why)
{
    out = ResumePoint{};
    const std::string path = dir + kProgressName;
    std::ifstream in(path);
    if (!in) return true;
    std::string header, settings, done;
    std::getline(in, header);
    std::getline(in, settings);
    std::getline(in, done);
    long long segments = -1;
    int glow1 = 0, glow2 = 0;
    if (header != kProgressHeader ||
        std::sscanf(done.c_str(), "segments=%lld glow=%d,%d", &segments, &glow1, &glow2) != 3 ||
        segments < 0) {
        why = path + " is damaged; remove " + dir + " to start over";
        return false;
    }
    if (settings != signature) {
        why = dir + " holds a capture with other settings (" + settings +
              "); give the same ones, or remove it to start over";
        return false;
    }
    out.segments_done = segments;
    out.glow = GlowFilter{glow1, glow2};
    return true;
}

bool write_resume_point(const std::string& dir, const std::string& signature,
                        const ResumePoint& point, std::string& why)
{
    const std::string path = dir + kProgressName;
    const std::string temp = path + ".partial";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << kProgressHeader << '\n'
            << signature << '\n'
            << "segments=" << point.segments_done << " glow=" << point.glow.glow1 << ','
            << point.glow.glow2 << '\n';
        out.close();
        if (!out) {
            why = "cannot write " + temp;
            return false;
        }
    }
    if (!publish_file(temp, path) || !sync_path(dir)) {
        why = "cannot update " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void remove_parts(const std::string& dir)
{
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(d))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                std::remove((dir + "/" + entry->d_name).c_str());
        closedir(d);
    }
    rmdir(dir.c_str());
}
