#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// One line of a section that TXTSETUP.SIF names a second time: the driver
// integration adds to the CD's sections by repeating them at the file's
// end, so these lines are what earlier builds added. The section name is
// folded (foldSetupText), the key and the value (the first field, quotes
// and blanks taken off) are as the file has them, in code page 932.
struct AddedSetupLine {
    std::string section;
    std::string key;
    std::string value;
};

// The added lines of the TXTSETUP.SIF text, in file order; the text ends
// at its first end-of-file byte (0x1A), as setup reads it.
std::vector<AddedSetupLine> addedSetupLines(std::string_view bytes);

} // namespace ornibe
