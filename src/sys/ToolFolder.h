#pragma once

#include <string>

namespace ornibe {

// ornibe's private tool folder, where makecab, extract, cdimage and attrib
// live. Installed, it sits beside the program's bin folder; run from the
// build tree, it is the build tree's tool folder. Tests point it elsewhere.
std::string toolFolder();
void setToolFolder(std::string folder);

} // namespace ornibe
