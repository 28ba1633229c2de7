#pragma once

#include "sys/Failure.h"
#include "sys/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// The record in which the build notes what it put into the work folder for
// the next build of the same folder ($OEM$\ORNIBE.TXT): the Plug and Play
// driver folders it made, the hotfix packages it listed, the $OEM$ files
// and cmdlines.txt lines it added. It is the build's, not the CD's: the
// image leaves it out.
inline constexpr std::string_view kBuildRecordFolder = "$OEM$";
inline constexpr std::string_view kBuildRecordName = "ORNIBE.TXT";

// Whether relative, a path below the tree's root with "/" between names,
// is the record, letter case ignored.
bool isBuildRecord(std::string_view relative);

// One line of the record, "key=value": a Plug and Play folder ("001") with
// its INF, or one of the kinds below with what the build added.
struct BuildRecordLine {
    std::string key;
    std::string value;
    bool operator==(const BuildRecordLine&) const = default;
};

// A folder the build made: "$OEM$" itself, or "SVCPACK" of the setup
// folder; a later build that leaves nothing in it removes it again.
inline constexpr std::string_view kRecordMadeFolder = "MADE";
// The line "svcpack" the build added to DOSNET.INF's [OptionalSrcDirs].
inline constexpr std::string_view kRecordDosnet = "DOSNET";
// A package the build copied into SVCPACK and listed in SVCPACK.INF, by
// its short name.
inline constexpr std::string_view kRecordHotfix = "SVCPACK";
// A file the build copied into $OEM$ (its path below $OEM$ with "/"), or a
// folder it made there (the path ends with "/"; "/" alone is $OEM$).
inline constexpr std::string_view kRecordOemFile = "OEM";
// A command the build added to the lines of a cmdlines.txt it did not make.
inline constexpr std::string_view kRecordSetupCommand = "CMDLINES";

// The record's lines, comments and blank lines left out. A line that is no
// "key=value" of a known key is a failure with the reason: such a record is
// not the build's, and nothing is removed on its word. A CR, LF or "%" of a
// value stands as %0D, %0A or %25.
Result<std::vector<BuildRecordLine>> readBuildRecordLines(std::string_view text);

// The record's text: two comment lines, then the lines by kind (Plug and
// Play folders first after the folders made, then packages, $OEM$ files and commands), each kind in
// the order given, CR LF.
std::string buildRecordText(const std::vector<BuildRecordLine>& lines);

// lines with those of key replaced by one line for each value, in order.
std::vector<BuildRecordLine> withRecordKind(std::vector<BuildRecordLine> lines,
                                            std::string_view key,
                                            const std::vector<std::string>& values);

// The values of the lines of key, in order.
std::vector<std::string> recordValues(const std::vector<BuildRecordLine>& lines,
                                      std::string_view key);

} // namespace ornibe
