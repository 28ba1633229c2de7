#pragma once

#include "answer/AnswerFileWriter.h"
#include "inf/InfFile.h"

#include <string>
#include <vector>

namespace ornibe {

// The keys of [Unattended] that Plug and Play drivers under
// $OEM$\$1\Drivers need: OemPreinstall = Yes, so that setup copies $OEM$,
// and OemPnPDriversPath naming every driver folder.

// The user's own OemPnPDriversPath in an answer file as the parser read it;
// empty when it has none.
std::string userPnpFolders(const InfFile& file);

// The answer file written from the fields, with both keys added at the end
// of [Unattended].
void addPnpEntries(std::vector<AnswerEntry>& entries, const std::string& pathValue);

// The user's own answer file (CR LF lines) with both keys set: the user's
// lines stay as they are except a key that needs another value, which is
// replaced in its place; a missing key goes at the end of [Unattended]
// (a missing section at the end of the file). changedKeys names each key
// that changed, in the order above. A key that goes after a line ending
// in a backslash (which joins the next line to it) goes after a blank line,
// which that line takes instead. The result is read back through the INF
// parser: problem says, in the program's words, where it does not read as
// OemPreinstall = Yes and OemPnPDriversPath = pathValue with every other
// line of the user's as the user's file reads; it is empty when it does.
// An empty pathValue leaves OemPnPDriversPath as the user's file has it
// (files in $OEM$ without drivers need only OemPreinstall).
struct MergedAnswerFile {
    std::string bytes;
    std::vector<std::string> changedKeys;
    std::string problem;
};
MergedAnswerFile mergePnpKeys(const std::string& bytes, const std::string& pathValue);

} // namespace ornibe
