#include "check/ServiceOrigin.h"

#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/TextEncoding.h"

#include <set>
#include <vector>

namespace ornibe {
namespace {

std::string trimmed(std::string_view text) {
    const std::string_view blanks = " \t\"";
    std::size_t start = text.find_first_not_of(blanks);
    if (start == std::string_view::npos) {
        return {};
    }
    std::size_t end = text.find_last_not_of(blanks);
    return std::string(text.substr(start, end - start + 1));
}

// Every value of every line of the INF, folded: what tells which files it
// copies.
std::vector<std::string> valuesOf(const InfFile& inf) {
    std::vector<std::string> values;
    for (const std::string& section : inf.sectionNames()) {
        for (auto at = inf.findFirstLine(section); at; at = inf.findNextLine(*at)) {
            for (std::size_t i = 0; i <= inf.fieldCount(*at); ++i) {
                if (auto field = inf.stringField(*at, i)) {
                    values.push_back(foldSetupText(*field));
                }
            }
        }
    }
    return values;
}

} // namespace

ServiceOrigins::ServiceOrigins(CheckedTree& tree) {
    std::optional<std::string> path = tree.plainFile("TXTSETUP.SIF");
    std::string bytes;
    try {
        bytes = path ? readFile(*path) : std::string();
    } catch (const FileError&) {
        return;
    }
    bytes = bytes.substr(0, bytes.find('\x1A'));
    std::set<std::string> seen;
    std::string section;
    bool repeated = false;
    std::vector<std::string> infNames;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        std::string line = trimmed(std::string_view(bytes).substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line = trimmed(std::string_view(line).substr(0, line.size() - 1));
        }
        if (line.starts_with("[") && line.find(']') != std::string::npos) {
            section = foldSetupText(trimmed(line.substr(1, line.find(']') - 1)));
            repeated = !seen.insert(section).second;
            continue;
        }
        std::size_t equals = line.find('=');
        if (!repeated || equals == std::string::npos) {
            continue;
        }
        std::string key = trimmed(std::string_view(line).substr(0, equals));
        std::string value = line.substr(equals + 1);
        value = trimmed(value.substr(0, value.find(',')));
        if (section == "SCSI.LOAD") {
            integrated_[foldSetupText(key)] = foldSetupText(value);
        } else if (section.starts_with("SOURCEDISKSFILES") &&
                   foldSetupText(key).ends_with(".INF")) {
            infNames.push_back(key);
        }
    }
    std::vector<std::string> names;
    for (const std::string& name : infNames) {
        names.push_back(cp932ToUtf8(name));
    }
    tree.expandAhead(names);
    for (const std::string& name : infNames) {
        // The build stores a driver's INF compressed, as the CD's own.
        std::optional<Result<InfFile, InfProblem>> read = tree.openSetupFile(cp932ToUtf8(name));
        if (read && *read) {
            infs_.emplace_back(cp932ToUtf8(name), valuesOf(**read));
        }
    }
}

bool ServiceOrigins::integrated(std::string_view service) const {
    return integrated_.contains(foldSetupText(service));
}

std::string ServiceOrigins::originOf(std::string_view service) const {
    auto found = integrated_.find(foldSetupText(service));
    if (found == integrated_.end()) {
        return "CD の標準ドライバ";
    }
    for (const auto& [name, values] : infs_) {
        for (const std::string& value : values) {
            if (value == found->second) {
                return "統合したドライバ " + name;
            }
        }
    }
    return "統合したドライバ";
}

} // namespace ornibe
