#include "support/LogAssertions.h"

#include "support/FileAssertions.h"

namespace ornibe::test {

::testing::AssertionResult hasLinesInOrder(const std::string& text,
                                           const std::vector<std::string>& wanted) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            if (start < text.size()) {
                lines.push_back(text.substr(start));
            }
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    size_t next = 0;
    for (const std::string& want : wanted) {
        while (next < lines.size() && lines[next] != want) {
            ++next;
        }
        if (next == lines.size()) {
            return ::testing::AssertionFailure()
                   << "line \"" << visibleBytes(want) << "\" not found in order in:\n"
                   << visibleBytes(text);
        }
        ++next;
    }
    return ::testing::AssertionSuccess();
}

} // namespace ornibe::test
