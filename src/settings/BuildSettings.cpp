#include "settings/BuildSettings.h"

#include "sys/CaseFold.h"
#include "sys/HostPath.h"

#include <algorithm>

namespace ornibe {

namespace {

std::string entryAt(const std::vector<std::string>& list, int index) {
    if (index < 0 || static_cast<size_t>(index) >= list.size()) {
        return {};
    }
    return list[static_cast<size_t>(index)];
}

void addEntry(std::vector<std::string>& list, const std::string& path) {
    // An empty entry would end every reader's walk early.
    if (path.empty()) {
        return;
    }
    for (const std::string& entry : list) {
        if (equalsHostNoCase(entry, path)) {
            return;
        }
    }
    list.push_back(path);
}

} // namespace

std::string BuildSettings::GetDriverInf(int index) const {
    return entryAt(driverInfs, index);
}

void BuildSettings::AddDriverInf(const std::string& path) {
    addEntry(driverInfs, path);
}

void BuildSettings::addPnpDriverInf(const std::string& path) {
    addEntry(pnpDriverInfs, path);
}

void BuildSettings::SetWorkFolder(const std::string& value) {
    workFolder = withoutTrailingSlash(value);
}

void BuildSettings::addDriverEntry(const DriverEntryChoice& choice) {
    if (std::find(driverEntries.begin(), driverEntries.end(), choice) == driverEntries.end()) {
        driverEntries.push_back(choice);
    }
}

} // namespace ornibe
