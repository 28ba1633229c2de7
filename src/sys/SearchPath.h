#pragma once

#include <string>
#include <string_view>

namespace ornibe {

// Looking up files by name as Windows tools are named: letters match
// ignoring ASCII case, and ".EXE" at the end is optional, so "CDIMAGE.EXE"
// finds "cdimage". Only regular files (or links to them) are found.

// The path of the file called name in folder: the exact name first, then a
// name equal ignoring case, then the same without a trailing ".EXE". The
// empty text when there is none.
std::string findFileInFolder(const std::string& folder, std::string_view name);

// The full path of the first file called name in ornibe's tool folder, the
// current folder, then the folders of PATH; the empty text when there is
// none. A name with "/" is a path and is only matched where it points.
std::string findOnSearchPath(std::string_view name);

// The program that a command line names: ornibe's tool folder, then PATH
// (not the current folder). An executable file is preferred; when there is
// only one without execute permission, that one is named (starting it then
// fails with the system's reason). A name with "/" is a path and is only
// matched where it points. The empty text when there is none.
std::string findProgram(std::string_view name);

} // namespace ornibe
