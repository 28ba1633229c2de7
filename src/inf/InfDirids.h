#pragma once

// Directory IDs (DIRIDs) as INF files use them in DestinationDirs and in
// %n% tokens.

#include <optional>
#include <string>
#include <string_view>

namespace ornibe {

// The folders of the DIRIDs that Windows XP and Server 2003 know, on a
// system whose Windows folder is C:\WINDOWS on the boot and system drive
// C:. A drive root keeps its backslash ("C:\"), as Windows gives it.
std::optional<std::string> diridFolder(long dirid);

// DIRID -1 and its synonym 65535 stand for an absolute path.
bool isAbsoluteDirid(long dirid);

// A DIRID written in decimal or as 0x hexadecimal, possibly negative.
std::optional<long> parseDirid(std::string_view text);

} // namespace ornibe
