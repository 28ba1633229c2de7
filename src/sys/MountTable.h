#pragma once

#include <string>
#include <vector>

namespace ornibe {

// One line of a mount table (/proc/self/mountinfo), its escapes undone.
struct Mount {
    std::string deviceNumber; // "major:minor"
    std::string mountPoint;
    std::string fsType;
    std::string source;
};

// A file system that a CD or its image mounts as.
bool isCdFileSystem(const std::string& fsType);

// The mounts of a mountinfo file in its order (a later mount on the same
// folder hides an earlier one); nothing when it cannot be read.
std::vector<Mount> readMounts(const std::string& mountInfo);

// The first line of a small file (/sys attributes), without its line
// break; empty when it cannot be read.
std::string firstLine(const std::string& path);

} // namespace ornibe
