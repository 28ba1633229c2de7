#pragma once

#include "sys/BuildRecord.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// The record in $OEM$ of the folders under $OEM$\$1\Drivers that the build
// made, each with the INF it holds, so that a later build of the same work
// folder reuses a driver's folder, removes those it no longer lists, and
// never touches the user's own folders there.
// The image leaves it out (sys/BuildRecord.h).
constexpr std::string_view kPnpRecordName = kBuildRecordName;

struct PnpRecord {
    struct Entry {
        // The folder's name under Drivers ("001").
        std::string folder;
        // What names the INF the same from run to run (pnpRecordKey).
        std::string inf;
    };
    std::vector<Entry> entries;

    // The folder of the INF, or the empty text when the record has none.
    std::string folderOf(const std::string& inf) const;
    bool holdsFolder(std::string_view folder) const;
};

// The record's text: two comment lines, then "folder=INF" lines, CR LF;
// a CR, LF or "%" of the INF's key is written as %0D, %0A or %25, so that
// every entry stands on one line.
std::string pnpRecordText(const PnpRecord& record);
// The entries of a record's text; lines that are no entry are skipped.
PnpRecord readPnpRecord(std::string_view text);

// What names a driver's INF in the record: its host path; for an INF that
// the build took out of an image into a folder of its own for this run,
// where it lay in the image (image, then "|" and the path inside it), so
// that the next build finds the same entry.
std::string pnpRecordKey(const std::string& inf, std::string_view image = {},
                         std::string_view inImage = {});

// The folders of this build's INFs, in their order: an INF the earlier
// record names keeps its folder; any other takes the lowest number whose
// folder neither the earlier record names nor exists (taken says whether a
// folder of that name is there, in any letter case).
PnpRecord assignPnpFolders(const PnpRecord& earlier, const std::vector<std::string>& infs,
                           const std::function<bool(const std::string&)>& taken);

} // namespace ornibe
