#include "runner/ProgressLog.h"

namespace ornibe {

std::string withoutCarriageReturns(std::string_view text) {
    std::string lines(text);
    std::erase(lines, '\r');
    return lines;
}

void ProgressLog::append(std::string_view text) {
    size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    showText(text);
}

} // namespace ornibe
