#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// The record in $OEM$ of the folders under $OEM$\$1\Drivers that the build
// made, each with the INF it holds, so that a later build of the same work
// folder reuses a driver's folder, removes those it no longer lists, and
// never touches the user's own folders there.
constexpr std::string_view kPnpRecordName = "ORNIBE.TXT";

struct PnpRecord {
    struct Entry {
        // The folder's name under Drivers ("001").
        std::string folder;
        // The INF's host path.
        std::string inf;
    };
    std::vector<Entry> entries;

    // The folder of the INF, or the empty text when the record has none.
    std::string folderOf(const std::string& inf) const;
    bool holdsFolder(std::string_view folder) const;
};

// The record's text: two comment lines, then "folder=INF" lines, CR LF.
std::string pnpRecordText(const PnpRecord& record);
// The entries of a record's text; lines that are no entry are skipped.
PnpRecord readPnpRecord(std::string_view text);

// The folders of this build's INFs, in their order: an INF the earlier
// record names keeps its folder; any other takes the lowest number whose
// folder neither the earlier record names nor exists (taken says whether a
// folder of that name is there, in any letter case).
PnpRecord assignPnpFolders(const PnpRecord& earlier, const std::vector<std::string>& infs,
                           const std::function<bool(const std::string&)>& taken);

} // namespace ornibe
