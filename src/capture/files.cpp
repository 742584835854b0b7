// The file-system steps of the capture's outputs: finding a program on PATH
// and publishing a finished file so that it survives a power cut.
#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

std::string find_on_path(const char* name)
{
    const char* path = std::getenv("PATH");
    if (path == nullptr) return "";
    std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        // An empty PATH entry means the current directory.
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

bool sync_path(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    const bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

bool publish_file(const std::string& partial, const std::string& done)
{
    return sync_path(partial) && std::rename(partial.c_str(), done.c_str()) == 0;
}
