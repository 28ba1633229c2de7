#pragma once

#include "inf/SetupArchitecture.h"
#include "runner/ProgressLog.h"
#include "settings/BuildSettings.h"

#include <string>

namespace ornibe {

// The summary's heading for the Plug and Play drivers and a line for each,
// its description and device class, after the text-mode drivers; nothing
// when the settings list none.
void appendPnpDriverSummary(const BuildSettings& settings, const WindowsTarget& target,
                            ProgressLog& log);

// Whether the work folder's record names a driver folder an earlier build
// made; the step then runs without drivers too, to take them out. A damaged
// record answers true, so that the step refuses it.
bool pnpFoldersRecorded(const std::string& workFolder);

} // namespace ornibe
