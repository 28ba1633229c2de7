#include "runner/TargetDetection.h"

namespace ornibe {

void detectTarget(std::string_view cdName, ConfirmData& data) {
    if (cdName.find("2000") != std::string_view::npos) {
        data.versionCode = '0';
        data.buildNumber = "2195";
    }
    if (cdName.find("XP") != std::string_view::npos) {
        data.versionCode = '1';
        data.buildNumber = "2600";
    }
    if (cdName.find("2003") != std::string_view::npos) {
        data.versionCode = '2';
        data.buildNumber = "3790";
    }
}

} // namespace ornibe
