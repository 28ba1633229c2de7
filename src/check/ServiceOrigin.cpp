#include "check/ServiceOrigin.h"

#include "patch/AddedSetupLines.h"
#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

#include <set>
#include <vector>

namespace ornibe {
namespace {

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
    std::vector<std::string> infNames;
    for (const AddedSetupLine& line : addedSetupLines(bytes)) {
        if (line.section == "SCSI.LOAD") {
            integrated_[foldSetupText(line.key)] = foldSetupText(line.value);
        } else if (line.section.starts_with("SOURCEDISKSFILES") &&
                   foldSetupText(line.key).ends_with(".INF")) {
            infNames.push_back(line.key);
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
        return translated("CD の標準ドライバ");
    }
    for (const auto& [name, values] : infs_) {
        for (const std::string& value : values) {
            if (value == found->second) {
                return translated("統合したドライバ %1", {name});
            }
        }
    }
    return translated("統合したドライバ");
}

} // namespace ornibe
