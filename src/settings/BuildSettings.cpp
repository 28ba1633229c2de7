#include "settings/BuildSettings.h"

#include "sys/CaseFold.h"
#include "sys/HostPath.h"

#include <algorithm>

namespace ornibe {

std::string BuildSettings::GetDriverInf(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= driverInfs.size()) {
        return {};
    }
    return driverInfs[static_cast<size_t>(index)];
}

void BuildSettings::AddDriverInf(const std::string& path) {
    // An empty entry would end every reader's walk early.
    if (path.empty()) {
        return;
    }
    for (const std::string& entry : driverInfs) {
        if (equalsHostNoCase(entry, path)) {
            return;
        }
    }
    driverInfs.push_back(path);
}

void BuildSettings::SetWorkFolder(const std::string& value) {
    workFolder = withoutTrailingSlash(value);
}

void BuildSettings::AddDriverEntry(const DriverEntryChoice& choice) {
    if (std::find(driverEntries.begin(), driverEntries.end(), choice) == driverEntries.end()) {
        driverEntries.push_back(choice);
    }
}

} // namespace ornibe
