#pragma once

#include <string>

namespace ornibe {

// ornibe's private tool folder, where makecab, extract, cdimage and attrib
// live. Installed, it sits beside the program's bin folder; run from a
// build tree, it is the tool folder at the root of that tree. Tests point
// it elsewhere.
std::string toolFolder();
void setToolFolder(std::string folder);

} // namespace ornibe
