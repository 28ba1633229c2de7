#pragma once

#include "inf/InfFile.h"

#include <functional>
#include <string>
#include <string_view>
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

// A setup file's bytes (UTF-16LE after the mark FF FE, else 8-bit up to its
// first end-of-file byte 0x1A) without the lines of section whose text
// (code page 932, blanks trimmed) drop answers true for: the inverse of
// adding them as a repeated section (SetupFileEditor::AppendText). A
// repeated header that follows a blank line and is left with no line goes
// too, with that blank line, and with the blank line that AppendText wrote
// before the end-of-file byte when it was the last. Every other byte stays.
std::string withoutSectionLines(const std::string& bytes, std::string_view section,
                                const std::function<bool(std::string_view text)>& drop);

} // namespace ornibe
