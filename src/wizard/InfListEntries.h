#pragma once

#include "wizard/SettingsForm.h"

#include <string>
#include <vector>

namespace ornibe {

// Whether the driver INF list already holds text: the same text, letter
// case aside, as adding an entry to the list judges it.
bool infListHolds(const std::vector<std::string>& entries, const std::string& text);

// The driver INF list as "次へ >" takes it: the list's entries, then the
// text typed into the field above the list and not yet added, as adding it
// would leave the list. So a driver the user typed is never silently left
// out of the build.
std::vector<std::string> infEntriesOnNext(const SettingsForm& form);

} // namespace ornibe
