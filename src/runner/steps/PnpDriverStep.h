#pragma once

#include "inf/SetupArchitecture.h"
#include "runner/ProgressLog.h"
#include "settings/BuildSettings.h"

namespace ornibe {

// The summary's heading for the Plug and Play drivers and a line for each,
// its description and device class, after the text-mode drivers; nothing
// when the settings list none.
void appendPnpDriverSummary(const BuildSettings& settings, const WindowsTarget& target,
                            ProgressLog& log);

} // namespace ornibe
