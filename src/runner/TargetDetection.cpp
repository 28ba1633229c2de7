#include "runner/TargetDetection.h"

#include "inf/VersionCode.h"

namespace ornibe {

void detectTarget(std::string_view cdName, ConfirmData& data) {
    if (cdName.find("2000") != std::string_view::npos) {
        data.versionCode = VersionCode::Windows2000;
        data.buildNumber = "2195";
    }
    if (cdName.find("XP") != std::string_view::npos) {
        data.versionCode = VersionCode::WindowsXp;
        data.buildNumber = "2600";
    }
    if (cdName.find("2003") != std::string_view::npos) {
        data.versionCode = VersionCode::Server2003;
        data.buildNumber = "3790";
    }
}

} // namespace ornibe
