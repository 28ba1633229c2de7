#include "check/HardwareIdsDatabase.h"

namespace ornibe {

std::vector<std::pair<std::string, std::string>> hardwareIdsDatabase(const InfFile& txtsetup) {
    std::vector<std::pair<std::string, std::string>> ids;
    for (auto line = txtsetup.findFirstLine("HardwareIdsDatabase"); line;
         line = txtsetup.findNextLine(*line)) {
        auto id = txtsetup.stringField(*line, 0);
        if (!id || id->empty())
            continue;
        ids.emplace_back(*id, txtsetup.stringField(*line, 1).value_or(""));
    }
    return ids;
}

} // namespace ornibe
