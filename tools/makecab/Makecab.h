#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ornibe {

// makecab [/L FOLDER] FILE [NAME]
//
// Writes an MSZIP cabinet that holds FILE under its own name. The cabinet
// goes into FOLDER (the current folder without /L) under NAME, or by default
// under the file's compressed name: its name with the last character
// replaced by "_", as Windows setup stores its files (x.sys becomes x.sy_).
// An existing entry whose name differs only in letter case is replaced
// rather than doubled. The cabinet is written beside its final name and
// renamed into place, so a failed run leaves no partial file.
//
// Returns the exit code: 0 on success; otherwise 1 after one line on err.
int runMakecab(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace ornibe
