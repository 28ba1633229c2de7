#pragma once

#include "runner/ProgressLog.h"
#include "settings/DriverPackTable.h"

#include <string>
#include <vector>

namespace ornibe {

// The table of a driver pack, one line an item: each disk controller of
// the target with the driver taken for it and why (without a target, the
// drivers taken), then each driver left out and why, then how many drivers
// were for another system. Host text, without line ends.
std::vector<std::string> driverPackTableLines(const DriverPackTable& table);

// The summary's heading for the driver pack: the folder and its table;
// nothing without a pack.
void appendDriverPackSummary(const DriverPackTable& table, ProgressLog& log);

} // namespace ornibe
