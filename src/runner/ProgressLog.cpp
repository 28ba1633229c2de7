#include "runner/ProgressLog.h"

namespace ornibe {

void ProgressLog::append(std::string_view text) {
    size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    showText(text);
}

} // namespace ornibe
