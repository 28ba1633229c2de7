#pragma once

#include <string>
#include <string_view>

namespace ornibe {

// The running program's private tool folder, where makecab, extract,
// cdimage and attrib live. Installed, it sits beside the program's bin
// folder; run from a build tree, it is the tool folder at the root of that
// tree.
std::string ownToolFolder();

// The running program's compiled message catalog of a language ("en"),
// found the same way: in the installed share folder
// (share/locale/en/LC_MESSAGES/ornibe.mo), or else in the locale folder at
// the root of the build tree it runs from; the installed path when neither
// holds it.
std::string ownCatalogFile(std::string_view languageCode);

} // namespace ornibe
