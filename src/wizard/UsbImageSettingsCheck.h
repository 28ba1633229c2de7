#pragma once

#include "inf/WindowsTarget.h"
#include "source/Medium.h"
#include "sys/Failure.h"
#include "sys/Result.h"
#include "sys/SearchPath.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace ornibe {

// A size as the user types it: bytes, or a number with K, M or G (KiB,
// MiB, GiB; small letters too). Empty text is 0, the size that fits.
Result<std::uint64_t> parseUsbImageSize(const std::string& text);

// What the USB stick image's check needs to know of the build.
struct UsbImageRequest {
    // As typed; a relative name is taken against workFolder (absolute).
    std::string path;
    std::string sizeText;
    std::string workFolder;
    WindowsTarget target;
    // The tree the build starts from: the source it reads, or the work
    // folder that holds the tree already; and whether a Service Pack is
    // applied.
    const Medium* tree = nullptr;
    bool servicePack = false;
};

// The checks of the stick image made before anything changes: a file
// name whose folder exists and is writable, a size that parses and that
// FAT32 can have, a system a stick can install, syslinux on this machine,
// and room for the tree in the image's folder (asked through freeBytes).
// The size in bytes, 0 for one that fits.
Result<std::uint64_t>
validateUsbImage(const UsbImageRequest& request, const ToolSearch& tools,
                 const std::function<std::optional<std::uint64_t>(const std::string&)>& freeBytes);

} // namespace ornibe
