#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ornibe {

// attrib [+R | -R] [/S] [/D]
//
// The read-only attribute of the entries of folder, which stands for the
// current folder. On Linux an entry is read-only when its owner may not
// write it: -R gives the owner write permission, +R takes it away. /S
// also treats every entry in all subfolders, /D treats folders as well as
// files. Without +R or -R each entry is listed with "R" when read-only.
// Links are left alone and never followed.
//
// Returns the exit code: 0 on success; otherwise 1 after one line on err
// per entry that could not be changed.
int runAttrib(const std::vector<std::string>& args, const std::string& folder, std::ostream& out,
              std::ostream& err);

} // namespace ornibe
