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

// The text that a %name% token stands for when name is a number (decimal,
// possibly negative) and no string key: the DIRID's folder, the empty text
// for DIRID 0 (no folder), -1 and 65535 (absolute path), and for every
// number the system does not know, as SETUPAPI expands it, the system
// folder followed by "\unknown". Nothing when name is no number, or for
// DIRID 1, the folder the file is installed from, which is not known while
// it is read: the token then stays as written.
std::optional<std::string> diridTokenText(std::string_view name);

} // namespace ornibe
