#include "inf/InfParser.h"

#include "inf/InfData.h"
#include "inf/InfLimits.h"
#include "inf/InfParseSteps.h"

#include <utility>

namespace ornibe {
namespace inf_detail {

ParseMemory::ParseMemory(std::size_t fileBytes, std::size_t textBytes, InfProblem* problem)
    : problem_(problem), budget_(infMemoryBudget(fileBytes)), used_(textBytes) {}

bool ParseMemory::charge(std::size_t bytes) {
    used_ += bytes;
    if (used_ <= budget_)
        return true;
    if (problem_ != nullptr)
        *problem_ = infTooManyParts();
    return false;
}

} // namespace inf_detail

// The fields are written into the text they are read from, behind the
// reading position: a line's fields and their NUL ends are never longer
// than the line with its separators and line end, and the brackets of the
// first section header leave room for the last line of a file that ends
// without a line end. So the text is held once, and the parsed form costs
// little more than the file.
bool parseInfText(std::string text, std::size_t fileBytes, InfFile::Data& data, InfProblem* problem,
                  InfStyle style) {
    using namespace inf_detail;
    data.text = std::move(text);
    ParseMemory memory(fileBytes, data.text.size(), problem);
    if (!readSectionsAndLines(data, memory, problem, style) || !placeRuns(data, memory))
        return false;
    // The key table is counted before string keys are replaced, so that
    // replacements never take the room the table needs.
    const std::size_t findable = findableLines(data);
    if (!memory.charge(IdTable::bytesFor(findable)) || !substituteStrings(data, memory))
        return false;
    buildKeyTable(data, findable);
    return true;
}

} // namespace ornibe
