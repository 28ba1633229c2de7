#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ornibe {

// The Windows version that an installation CD's name tells.
struct DetectedVersion {
    // '0' Windows 2000, '1' Windows XP, '2' Windows Server 2003 (see
    // inf/VersionCode.h).
    char versionCode;
    // "2195", "2600" or "3790".
    std::string buildNumber;
};

// The version code and build number told by the name of the installation
// CD as its TXTSETUP.SIF spells it. "2000", "XP" and "2003" are looked for
// in this order, case-sensitively, and a later match wins; with no match
// there is none, and the caller keeps what it had.
std::optional<DetectedVersion> detectTarget(std::string_view cdName);

} // namespace ornibe
