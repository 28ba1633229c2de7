#pragma once

#include <string>
#include <string_view>

namespace ornibe {

// The stored text of a chosen CD drive: its root folder (a mount point, or
// the device path of a drive without a mounted disc), " [ ", the volume
// label (possibly empty) and " ]".
std::string makeCdDriveEntry(std::string_view root, std::string_view label);

// The root folder that an entry made by makeCdDriveEntry names: the text
// before its first " [ " (a label may hold " [ ", a mount point of a CD
// practically never). An entry without one is all root.
std::string cdDriveRoot(std::string_view entry);

} // namespace ornibe
