#pragma once

#include <string>

namespace ornibe {

// The running program's private tool folder, where makecab, extract,
// cdimage and attrib live. Installed, it sits beside the program's bin
// folder; run from a build tree, it is the tool folder at the root of that
// tree.
std::string ownToolFolder();

} // namespace ornibe
