#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ornibe {

// extract [/Y] [/L FOLDER] CABINET [NAME...]
//
// Expands the files of CABINET into FOLDER (the current folder without /L)
// under the names stored in the cabinet; with NAMEs only the files so
// named (letter case ignored; "*" and "*.*" stand for all). An existing file
// of the same name, or one whose name differs only in letter case, is
// replaced when /Y is given and refused otherwise. Every file is expanded
// under a temporary name first and renamed into place once the whole
// cabinet has expanded cleanly, so a damaged cabinet changes nothing.
//
// extract [/Y] /F LIST
//
// Expands, for every entry of the list file LIST, the file NAME of CABINET
// into FOLDER as above (all its files when NAME is empty): an entry is
// CABINET, FOLDER and NAME, each ended by a NUL byte. The entries are taken
// one after the other, each on its own: one that fails leaves the others
// standing and says why on err.
//
// Returns the exit code: 0 on success; otherwise 1 after one line on err
// (for the list, one line per failed entry).
int runExtract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace ornibe
