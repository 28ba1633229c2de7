#pragma once

#include "runner/ProgressLog.h"
#include "settings/DriverPackTable.h"

namespace ornibe {

// The summary's heading for the driver pack: the folder and its table
// (check/DriverPackSelection.h); nothing without a pack.
void appendDriverPackSummary(const DriverPackTable& table, ProgressLog& log);

} // namespace ornibe
