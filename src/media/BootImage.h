#pragma once

#include "media/MountTable.h"

#include <cstdint>
#include <string>

namespace ornibe {

// The boot image that the El Torito boot catalog of a CD names in its
// initial entry, or why there is none to take.
struct BootImage {
    // The empty text when the entry was found and can be read.
    std::string problem;
    // The first 2048-byte sector of the image and its length in 512-byte
    // sectors, as the entry gives them.
    std::uint32_t lba = 0;
    std::uint32_t sectors = 0;

    bool found() const { return problem.empty(); }
};

// Looks up the initial entry of the boot catalog of the image file or
// device at path (in its last session). Only a no-emulation entry is
// taken: that is what a Windows CD boots from and what the image step
// writes back.
BootImage findBootImage(const std::string& path);

// Writes the boot image found in path to the file destination (replaced
// whole when it exists). The empty text on success; otherwise why not.
std::string writeBootImage(const std::string& path, const std::string& destination);

// Where the boot catalog of a CD source can be read: the image file or
// device itself, or, for a folder on which an ISO 9660 or UDF volume is
// mounted, the device it is mounted from (the backing file of a loop
// device). The empty text when the folder is no mounted volume.
std::string bootSourceOf(const std::string& root, const MountTables& tables = {});

} // namespace ornibe
