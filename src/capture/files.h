// The file-system steps of the capture's outputs: finding a program on PATH
// and publishing a finished file so that it survives a power cut.
#pragma once

#include <string>

// The full path of an executable named name on PATH, or "" when there is none.
std::string find_on_path(const char* name);

// Flushes a file or directory to the disk, so a rename after it survives a
// power cut with its contents. False when it cannot be opened or flushed.
bool sync_path(const std::string& path);

// Flushes partial and renames it to done in one step; false (errno set) when
// either fails.
bool publish_file(const std::string& partial, const std::string& done);
