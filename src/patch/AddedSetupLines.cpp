#include "patch/AddedSetupLines.h"

#include "sys/CaseFold.h"

#include <algorithm>
#include <set>

namespace ornibe {
namespace {

std::string_view trimmed(std::string_view text) {
    const std::string_view blanks = " \t\"";
    std::size_t start = text.find_first_not_of(blanks);
    if (start == std::string_view::npos) {
        return {};
    }
    std::size_t end = text.find_last_not_of(blanks);
    return text.substr(start, end - start + 1);
}

} // namespace

std::vector<AddedSetupLine> addedSetupLines(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1A'));
    std::vector<AddedSetupLine> lines;
    std::set<std::string> seen;
    std::string section;
    bool repeated = false;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        std::string_view line = trimmed(bytes.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line = trimmed(line.substr(0, line.size() - 1));
        }
        if (line.starts_with("[") && line.find(']') != std::string_view::npos) {
            section = foldSetupText(trimmed(line.substr(1, line.find(']') - 1)));
            repeated = !seen.insert(section).second;
            continue;
        }
        std::size_t equals = line.find('=');
        if (!repeated || equals == std::string_view::npos) {
            continue;
        }
        std::string_view value = line.substr(equals + 1);
        lines.push_back({section, std::string(trimmed(line.substr(0, equals))),
                         std::string(trimmed(value.substr(0, value.find(','))))});
    }
    return lines;
}

} // namespace ornibe
