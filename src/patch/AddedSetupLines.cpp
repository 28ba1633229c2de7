#include "patch/AddedSetupLines.h"

#include "sys/CaseFold.h"
#include "sys/Trimmed.h"

#include <algorithm>
#include <set>

namespace ornibe {
namespace {

// Values may stand in quotes.
constexpr std::string_view kBlanks = " \t\"";

} // namespace

std::vector<AddedSetupLine> addedSetupLines(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1A'));
    std::vector<AddedSetupLine> lines;
    std::set<std::string> seen;
    std::string section;
    bool repeated = false;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        std::string_view line = trimmed(bytes.substr(start, end - start), kBlanks);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line = trimmed(line.substr(0, line.size() - 1), kBlanks);
        }
        if (line.starts_with("[") && line.find(']') != std::string_view::npos) {
            section = foldSetupText(trimmed(line.substr(1, line.find(']') - 1), kBlanks));
            repeated = !seen.insert(section).second;
            continue;
        }
        std::size_t equals = line.find('=');
        if (!repeated || equals == std::string_view::npos) {
            continue;
        }
        std::string_view value = line.substr(equals + 1);
        lines.push_back({section, std::string(trimmed(line.substr(0, equals), kBlanks)),
                         std::string(trimmed(value.substr(0, value.find(',')), kBlanks))});
    }
    return lines;
}

} // namespace ornibe
