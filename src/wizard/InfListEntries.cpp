#include "wizard/InfListEntries.h"

#include "sys/CaseFold.h"

#include <algorithm>

namespace ornibe {

bool infListHolds(const std::vector<std::string>& entries, const std::string& text) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const std::string& entry) { return equalsHostNoCase(entry, text); });
}

std::vector<std::string> infEntriesOnNext(const SettingsForm& form) {
    std::vector<std::string> entries = form.infEntries();
    std::string pending = form.pendingInfText();
    if (!pending.empty() && !infListHolds(entries, pending)) {
        entries.push_back(std::move(pending));
    }
    return entries;
}

} // namespace ornibe
