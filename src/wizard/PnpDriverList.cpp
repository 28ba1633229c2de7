#include "wizard/PnpDriverList.h"

#include "wizard/InfListEntries.h"

namespace ornibe {

std::vector<std::string> pnpListWith(std::vector<std::string> entries, const std::string& path) {
    if (!path.empty() && !infListHolds(entries, path)) {
        entries.push_back(path);
    }
    return entries;
}

std::vector<std::string> pnpListWithout(std::vector<std::string> entries, int row) {
    if (row >= 0 && static_cast<std::size_t>(row) < entries.size()) {
        entries.erase(entries.begin() + row);
    }
    return entries;
}

} // namespace ornibe
