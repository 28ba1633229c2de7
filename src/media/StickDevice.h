#pragma once

#include "sys/Failure.h"
#include "sys/Result.h"
#include "sys/StopCheck.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ornibe {

// A USB stick that a stick image is written to, as the kernel describes
// it under /sys/block.
struct StickDevice {
    // The device node as the user named it ("/dev/sdb").
    std::string node;
    // Its name under /sys/block ("sdb").
    std::string name;
    // Vendor and model as the device reports them ("SanDisk Cruzer Blade").
    std::string model;
    std::uint64_t bytes = 0;
    // The device numbers ("8:16") of the disk and of each of its partitions.
    std::vector<std::string> numbers;
};

// What the check of a stick is given.
struct StickDeviceRequest {
    std::string node;
    // The image's size in bytes; 0 while it is not known yet.
    std::uint64_t imageBytes = 0;
    // The files and folders the build reads or writes (the source, the work
    // folder, the images, the log, ...); one that does not exist yet is
    // taken by its folder.
    std::vector<std::string> pathsInUse;
    // The folder under which sys/block, sys/dev/block and
    // proc/self/mountinfo are read. Under "/" the node must be a block
    // device; under another root (a test's tree) a regular file named like
    // a sys/block entry stands in for one.
    std::string root = "/";
};

// Describes the stick, or refuses it before anything is written: the user
// may not write the node (neither root nor in its group, "disk"), it is
// not a whole disk, not removable and not on the USB bus, one of its
// partitions (or the disk itself) is mounted, a path in use lies on it, or
// it is smaller than the image.
Result<StickDevice> checkStickDevice(const StickDeviceRequest& request);

// "SanDisk Cruzer Blade（/dev/sdb、7.5 GiB）"
std::string describeStickDevice(const StickDevice& device);

// Copies the image file over the start of the device and flushes it to the
// device before returning. Throws FileError naming the image or the node.
// False when stop asked to stop first (the stick is then half written).
bool writeStickDevice(const std::string& image, const StickDevice& device,
                      const StopCheck& stop = {});

} // namespace ornibe
