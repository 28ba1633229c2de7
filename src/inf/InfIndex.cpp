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
//
// The slot of each key is fetched a few lines ahead: the hashes of the
// lines to come wait in a small ring while their slots are on their way.
void buildKeyTable(InfFile::Data& data) {
    data.keyTable.reset(findableLines(data));
    constexpr std::size_t kAhead = 16;
    std::size_t hashes[kAhead] = {};
    auto hashOf = [&](const Line& line) {
        return InfFile::Data::keyHash(line.section, data.key(line));
    };
    auto ahead = data.lines.rbegin();
    for (std::size_t n = 0; n < kAhead && ahead != data.lines.rend(); ++n, ++ahead) {
        if (ahead->findable()) {
            hashes[n] = hashOf(*ahead);
            data.keyTable.prefetch(hashes[n]);
        }
    }
    std::uint32_t i = static_cast<std::uint32_t>(data.lines.size());
    for (auto at = data.lines.rbegin(); at != data.lines.rend(); ++at) {
        --i;
        Line& line = *at;
        const std::size_t ring = (data.lines.size() - 1 - i) % kAhead;
        const std::size_t hash = hashes[ring];
        if (ahead != data.lines.rend()) {
            if (ahead->findable()) {
                hashes[ring] = hashOf(*ahead);
                data.keyTable.prefetch(hashes[ring]);
            }
            ++ahead;
        }
        if (!line.findable())
            continue;
        std::string_view key = data.key(line);
        std::size_t slot = data.keyTable.slotOf(hash, [&](std::uint32_t id) {
            const Line& other = data.lines[id];
            return other.section == line.section && foldEqualsStored(data.fields(other), key);
        });
        line.nextSameKey = data.keyTable.at(slot);
        data.keyTable.put(slot, i);
    }
}

} // namespace ornibe::inf_detail
