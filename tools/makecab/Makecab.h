#pragma once

#include "sys/HostEnvironment.h"

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
// makecab [/L FOLDER] /F LIST
//
// Makes one such cabinet for every entry of the list file LIST, into FOLDER
// as above: an entry is FILE and NAME, each ended by a NUL byte, with an
// empty NAME for the file's compressed name. The cabinets are made at the
// same time on the machine's cores, each as the single form makes it (the
// same bytes), and each is written and renamed on its own (without the
// flush to disk that the single form gives its cabinet); an entry that
// fails leaves the others standing. One line per entry, in the list's
// order: "FILE -> CABINET" on out, or why it failed on err.
//
// Returns the exit code: 0 on success; otherwise 1 after one line on err
// (for the list, one line per failed entry).
// SOURCE_DATE_EPOCH in environment, when set, dates the cabinets' files.
int runMakecab(const std::vector<std::string>& args, const HostEnvironment& environment,
               std::ostream& out, std::ostream& err);

} // namespace ornibe
