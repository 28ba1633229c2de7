#pragma once

// The steps of parseInfText, one file each: the line grammar, the index
// of runs and keys, and the replacement of string keys. Not part of the
// library's interface.

#include "inf/InfData.h"

#include <cstddef>

namespace ornibe::inf_detail {

// The memory that the parsed form of one file takes, counted against what
// a file of its size may take (InfLimits.h). Every step charges what it
// adds; the text of the file is held from the start.
class ParseMemory {
public:
    ParseMemory(std::size_t fileBytes, std::size_t textBytes, InfProblem* problem);

    // Counts bytes more; false, the file refused in problem (when given),
    // when they pass the budget.
    bool charge(std::size_t bytes);
    // Gives back bytes that are no longer held.
    void release(std::size_t bytes) { used_ -= bytes; }

    std::size_t used() const { return used_; }
    std::size_t budget() const { return budget_; }

private:
    InfProblem* problem_;
    const std::size_t budget_;
    std::size_t used_;
};

// The line grammar (InfLineGrammar.cpp): reads data.text into sections
// and lines in one pass, writing the fields over the text they are read
// from, and cuts the text to what was written. False when the text breaks
// a rule for which Windows setup refuses the whole file, with the line
// and why in problem (when given), or when memory passes its budget. An
// answer file is also refused for a double quote left open on its line.
bool readSectionsAndLines(InfFile::Data& data, ParseMemory& memory, InfProblem* problem,
                          InfStyle style);

// The index (InfIndex.cpp). Every section's runs of lines, one after the
// other in the section's order; a line's index in its section is then
// found from its runs. False when memory passes its budget.
bool placeRuns(InfFile::Data& data, ParseMemory& memory);
// The lines that can be found by their key.
std::size_t findableLines(const InfFile::Data& data);
// The table of the first line of every key of every section, each line
// naming the next one of its key; findable is findableLines(data).
void buildKeyTable(InfFile::Data& data, std::size_t findable);

// The replacement of string keys (InfStrings.cpp): replaces %strkey%
// tokens from the Strings section chosen for the Japanese locale, and
// %dirid% tokens by their folders, as long as memory stays within its
// budget. False when the Strings section alone passes it.
bool substituteStrings(InfFile::Data& data, ParseMemory& memory);

} // namespace ornibe::inf_detail
