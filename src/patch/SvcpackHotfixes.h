#pragma once

#include "inf/InfFile.h"

#include <string>
#include <vector>

namespace ornibe {

// One line of SVCPACK.INF's [SetupHotfixesToRun]: the program setup runs
// from SVCPACK and the switches after it.
struct HotfixLine {
    std::string name;
    std::string switches;
};

// The lines of [SetupHotfixesToRun] as the parser reads them, in file order
// (repeated sections merged); code page 932 text as the file holds it.
std::vector<HotfixLine> hotfixLinesOf(const InfFile& file);

// The line's text as SVCPACK.INF holds it: the name, a blank, the switches.
std::string hotfixLineText(const HotfixLine& line);

} // namespace ornibe
