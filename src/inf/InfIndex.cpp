#include "inf/InfData.h"
#include "inf/InfParseSteps.h"

namespace ornibe::inf_detail {

bool placeRuns(InfFile::Data& data, ParseMemory& memory) {
    std::uint32_t previous = kNone;
    for (const Line& line : data.lines) {
        if (line.section != previous)
            ++data.sections[line.section].runCount;
        previous = line.section;
    }
    std::size_t total = 0;
    for (Section& section : data.sections) {
        section.firstRun = static_cast<std::uint32_t>(total);
        total += section.runCount;
        section.runCount = 0;
        section.lineCount = 0;
    }
    if (!memory.charge(total * sizeof(Run)))
        return false;
    data.runs.resize(total);
    previous = kNone;
    std::uint32_t index = 0;
    for (const Line& line : data.lines) {
        Section& section = data.sections[line.section];
        if (line.section != previous)
            data.runs[section.firstRun + section.runCount++] = Run{index, section.lineCount};
        ++section.lineCount;
        previous = line.section;
        ++index;
    }
    return true;
}

std::size_t findableLines(const InfFile::Data& data) {
    std::size_t findable = 0;
    for (const Line& line : data.lines)
        findable += line.findable() ? 1 : 0;
    return findable;
}

// Lines are entered from the last to the first, so that each one's slot
// ends holding the first line of its key and every line names the next
// one of its key.
void buildKeyTable(InfFile::Data& data) {
    data.keyTable.reset(findableLines(data));
    for (std::size_t i = data.lines.size(); i-- > 0;) {
        Line& line = data.lines[i];
        if (!line.findable())
            continue;
        std::string_view key = data.key(line);
        std::size_t slot =
            data.keyTable.slotOf(InfFile::Data::keyHash(line.section, key), [&](std::uint32_t id) {
                const Line& other = data.lines[id];
                return other.section == line.section && FoldEqual()(data.key(other), key);
            });
        line.nextSameKey = data.keyTable.at(slot);
        data.keyTable.put(slot, static_cast<std::uint32_t>(i));
    }
}

} // namespace ornibe::inf_detail
