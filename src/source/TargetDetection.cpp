#include "source/TargetDetection.h"

#include "inf/SetupArchitecture.h"

namespace ornibe {

WindowsTarget detectTarget(std::string_view cdName, Architecture architecture) {
    WindowsTarget found{WindowsVersion::Unknown, architecture, {}};
    if (cdName.find("2000") != std::string_view::npos) {
        found = {WindowsVersion::Windows2000, architecture, "2195"};
    }
    if (cdName.find("XP") != std::string_view::npos) {
        found = {WindowsVersion::WindowsXp, architecture, "2600"};
    }
    if (cdName.find("2003") != std::string_view::npos) {
        found = {WindowsVersion::Server2003, architecture, "3790"};
    }
    if (architecture == Architecture::Amd64 && !found.buildNumber.empty()) {
        found.buildNumber = kAmd64BuildNumber;
    }
    return found;
}

} // namespace ornibe
