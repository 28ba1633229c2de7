#pragma once

#include "common/ToolCommandLine.h"

#include <optional>
#include <string>
#include <vector>

namespace ornibe {

struct CdimageArguments {
    std::string label;
    bool includeHidden = false;
    bool longNames = false;
    bool storeTwinsOnce = false;
    std::optional<std::string> bootFile;
    std::string tree;
    std::string image;
};

// The options of the command line, each glued to its value ("-lLABEL",
// "-bFILE"), then the tree and the image; or the usage error for an
// unknown option, a missing path or a label that the volume identifier
// cannot hold.
ToolParse<CdimageArguments> parseCdimageArguments(const std::vector<std::string>& args);

// The primary volume descriptor holds the label in 32 bytes of ASCII; a
// label fits when it is at most 32 printable ASCII characters (blanks and
// quotes included).
bool isValidVolumeLabel(const std::string& label);

} // namespace ornibe
