#include "support/FileAssertions.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace ornibe::test {
namespace {

bool readAll(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    out = content.str();
    return true;
}

} // namespace

std::string visibleBytes(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out;
}

::testing::AssertionResult fileEndsWith(const std::string& path, std::string_view tail) {
    std::string content;
    if (!readAll(path, content)) {
        return ::testing::AssertionFailure() << "cannot read " << path;
    }
    if (content.size() >= tail.size() &&
        std::string_view(content).substr(content.size() - tail.size()) == tail) {
        return ::testing::AssertionSuccess();
    }
    size_t shown = std::min(content.size(), tail.size() + 16);
    return ::testing::AssertionFailure()
           << path << " ends with \"" << visibleBytes(content.substr(content.size() - shown))
           << "\", expected the end \"" << visibleBytes(tail) << "\"";
}

::testing::AssertionResult fileHolds(const std::string& path, std::string_view bytes) {
    std::string content;
    if (!readAll(path, content)) {
        return ::testing::AssertionFailure() << "cannot read " << path;
    }
    if (content == bytes) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << path << " holds \"" << visibleBytes(content)
                                         << "\", expected \"" << visibleBytes(bytes) << "\"";
}

} // namespace ornibe::test
