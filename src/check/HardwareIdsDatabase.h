#pragma once

#include "inf/InfFile.h"

#include <string>
#include <utility>
#include <vector>

namespace ornibe {

// The lines of TXTSETUP.SIF's [HardwareIdsDatabase] (ID = "service") as
// the controller match takes them: ID and service in file order, as the
// INF parser reads them. Nothing when the file is not open or has no such
// section.
std::vector<std::pair<std::string, std::string>> hardwareIdsDatabase(const InfFile& txtsetup);

} // namespace ornibe
