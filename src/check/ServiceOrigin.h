#pragma once

#include "check/CheckedTree.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// Where the storage services of a finished tree come from. The build adds
// to TXTSETUP.SIF only by repeating a section's header after what the CD
// has: a service keyed in a repeated [SCSI.Load] came from an integrated
// driver, whose INF the build listed in a repeated [SourceDisksFiles]; any
// other came with the CD.
class ServiceOrigins {
public:
    explicit ServiceOrigins(CheckedTree& tree);

    // "CD の標準ドライバ", or "統合したドライバ" with the INF that copies
    // the service's file when one of the integrated INFs does.
    std::string originOf(std::string_view service) const;
    bool integrated(std::string_view service) const;

private:
    // Folded service name -> its file, for the integrated ones.
    std::map<std::string, std::string> integrated_;
    // The integrated INFs (their names in the setup folder) and the files
    // they name, folded.
    std::vector<std::pair<std::string, std::vector<std::string>>> infs_;
};

} // namespace ornibe
