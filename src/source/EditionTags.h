#pragma once

#include "inf/SetupArchitecture.h"

#include <string>
#include <vector>

namespace ornibe {

// The edition of a Windows CD as its tag files (empty files in the CD's
// root) name it, with the Service Pack level its tags give and the
// architecture of its setup folder: "Windows XP Professional x64 Edition
// SP2 (AMD64)". An edition tag that is not in the table shows as it is
// (with its level and the architecture); a root with no edition tag at all
// gives "不明". Letter case of the names does not matter.
std::string editionText(const std::vector<std::string>& rootNames, Architecture architecture);

class Medium;

// The line shown beside the summary: "エディション：" and the edition of
// the source (a folder, or an image file or disc read in place).
std::string editionLine(const Medium& source, Architecture architecture);

} // namespace ornibe
