#include "patch/SetupSourceDevice.h"
#include "sys/CaseFold.h"
#include "sys/Trimmed.h"

#include <vector>

namespace ornibe {
namespace {

// A line read with its CR, where there is one.
constexpr std::string_view kBlanks = " \t\r";

// The text split into lines, each with its line break.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

bool isSectionHeader(std::string_view line) {
    return trimmed(line, kBlanks).starts_with('[');
}

bool isSetupDataHeader(std::string_view line) {
    std::string_view text = trimmed(line, kBlanks);
    return text.starts_with('[') &&
           equalsSetupNoCase(trimmed(text.substr(1, text.find(']') - 1), kBlanks), "SETUPDATA");
}

bool isSourceDeviceLine(std::string_view line) {
    std::string_view text = trimmed(line, kBlanks);
    std::size_t equals = text.find('=');
    return equals != std::string_view::npos &&
           equalsSetupNoCase(trimmed(text.substr(0, equals), kBlanks), "SETUPSOURCEDEVICE");
}

} // namespace

std::optional<std::string> withSetupSourceDevice(std::string_view txtsetup) {
    std::string result;
    bool inSection = false;
    bool added = false;
    for (std::string_view line : linesOf(txtsetup)) {
        if (isSectionHeader(line)) {
            inSection = isSetupDataHeader(line);
        } else if (inSection && isSourceDeviceLine(line)) {
            continue;
        }
        result += line;
        if (inSection && !added) {
            // The setup files break their lines with CR LF.
            if (!line.ends_with('\n')) {
                result += "\r\n";
            }
            result += std::string(kSetupSourceDeviceLine) + "\r\n";
            added = true;
        }
    }
    if (!added) {
        return std::nullopt;
    }
    return result;
}

std::size_t setupSourceDeviceLines(std::string_view txtsetup) {
    std::size_t count = 0;
    bool inSection = false;
    for (std::string_view line : linesOf(txtsetup)) {
        if (isSectionHeader(line)) {
            inSection = isSetupDataHeader(line);
        } else if (inSection && isSourceDeviceLine(line)) {
            ++count;
        }
    }
    return count;
}

} // namespace ornibe
