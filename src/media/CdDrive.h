#pragma once

#include <optional>
#include <string>

namespace ornibe {

// One entry of the CD drive list: an optical drive, or a mounted ISO 9660
// or UDF volume such as a loop-mounted image.
struct CdDrive {
    // The device (/dev/sr0, /dev/loop3); empty when unknown.
    std::string device;
    // Where the files are read: the volume's mount point, or the device
    // path of an optical drive without a mounted volume.
    std::string root;
    // The volume label (possibly empty) when a volume can be read; nothing
    // when the drive holds no readable disc.
    std::optional<std::string> label;

    bool operator==(const CdDrive&) const = default;
};

} // namespace ornibe
