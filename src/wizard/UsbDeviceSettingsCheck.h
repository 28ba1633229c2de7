#pragma once

#include "media/StickDevice.h"
#include "sys/Result.h"
#include "wizard/NamedPaths.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ornibe {

// What the check of the stick to write needs to know of the build.
struct UsbDeviceRequest {
    // As typed ("/dev/sdb"); empty for none.
    std::string node;
    // The stick image's name as typed; the stick is written from it.
    std::string usbImage;
    // The image's size when it is known before the build (given, or the
    // tree's bytes, which it holds at least); 0 when unknown.
    std::uint64_t imageBytes = 0;
    // Every path of the build, read or written.
    std::vector<NamedPath> paths;
    // Where sys and proc are read (see StickDeviceRequest).
    std::string root = "/";
};

// Checks the stick before anything changes (see checkStickDevice), and
// that a stick image is made to write to it.
Result<StickDevice> validateUsbDevice(const UsbDeviceRequest& request);

// The question asked before the stick is written: it names the stick by
// its model and size and says that all it holds is erased.
std::string usbDeviceQuestion(const StickDevice& device);

} // namespace ornibe
