#include "runner/MemoryProgressLog.h"

namespace ornibe {

void MemoryProgressLog::showText(std::string_view text) {
    text_.append(text);
    ++appendCount_;
}

std::vector<std::string> MemoryProgressLog::lines() const {
    std::vector<std::string> out;
    size_t start = 0;
    while (true) {
        size_t end = text_.find("\r\n", start);
        if (end == std::string::npos) {
            if (start < text_.size()) {
                out.push_back(text_.substr(start));
            }
            return out;
        }
        out.push_back(text_.substr(start, end - start));
        start = end + 2;
    }
}

} // namespace ornibe
