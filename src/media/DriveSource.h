#pragma once

#include "media/CdDrive.h"

#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// Where the CD drive list comes from: the machine's drives, or a fake in
// tests.
class DriveSource {
public:
    virtual ~DriveSource() = default;

    // Every drive, in a fixed order, read anew at each call.
    virtual std::vector<CdDrive> listDrives() = 0;

    // The drive named by root (its mount point or its device path) as it
    // is now, when a volume can be read in it; nothing otherwise.
    virtual std::optional<CdDrive> readVolume(const std::string& root) = 0;
};

} // namespace ornibe
