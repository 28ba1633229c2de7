#pragma once

#include "media/ImageDevice.h"
#include "media/MountTable.h"
#include "sys/Failure.h"
#include "sys/Result.h"

#include <cstdint>
#include <string>

namespace ornibe {

// The boot image that the El Torito boot catalog of a CD names in its
// initial entry: its first 2048-byte sector and its length in 512-byte
// sectors, as the entry gives them.
struct BootImage {
    std::uint32_t lba = 0;
    std::uint32_t sectors = 0;
};

// Looks up the initial entry of the boot catalog of the image file or
// device at path (in its last session). Only a no-emulation entry is
// taken: that is what a Windows CD boots from and what the image step
// writes back. Without one, the failure says what the medium lacks; its
// path is empty, as the caller names the medium.
Result<BootImage> findBootImage(const std::string& path);
// The same for a medium already open.
Result<BootImage> findBootImage(const ImageDevice& device);

// Writes the boot image found in path to the file destination (replaced
// whole when it exists). A failure in the medium has no path, as for
// findBootImage; one in writing names the destination.
Outcome writeBootImage(const std::string& path, const std::string& destination);

// Where the boot catalog of a CD source can be read: the image file or
// device itself, or, for a folder on which an ISO 9660 or UDF volume is
// mounted, the device it is mounted from (the backing file of a loop
// device). The empty text when the folder is no mounted volume.
std::string bootSourceOf(const std::string& root, const MountTables& tables = {});

} // namespace ornibe
