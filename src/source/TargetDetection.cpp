#include "source/TargetDetection.h"

#include "inf/VersionCode.h"

namespace ornibe {

std::optional<DetectedVersion> detectTarget(std::string_view cdName) {
    std::optional<DetectedVersion> found;
    if (cdName.find("2000") != std::string_view::npos) {
        found = DetectedVersion{VersionCode::Windows2000, "2195"};
    }
    if (cdName.find("XP") != std::string_view::npos) {
        found = DetectedVersion{VersionCode::WindowsXp, "2600"};
    }
    if (cdName.find("2003") != std::string_view::npos) {
        found = DetectedVersion{VersionCode::Server2003, "3790"};
    }
    return found;
}

} // namespace ornibe
