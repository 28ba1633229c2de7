#pragma once

#include <string>
#include <vector>

namespace ornibe {

// Where the host's tables of mounts and block devices are read: the
// system's own unless a test names others. bootSourceOf reads the first
// three, the drive list (SystemDriveSource) all but sysDevBlock.
struct MountTables {
    std::string mountInfo = "/proc/self/mountinfo";
    // The block devices by number ("7:0").
    std::string sysDevBlock = "/sys/dev/block";
    std::string dev = "/dev";
    // The block devices by name ("sr0", "loop3").
    std::string sysBlock = "/sys/class/block";
    // The volume labels that udev knows, each a link to its device.
    std::string byLabel = "/dev/disk/by-label";
};

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
