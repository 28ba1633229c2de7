#pragma once

#include "inf/InfFile.h"
#include "runner/ProgressLog.h"
#include "settings/BuildSettings.h"

namespace ornibe {

class DriverPackage;

// The confirmation's 対象のハードウェア section, when the settings name a
// target machine: the machine, and for each of its storage controllers
// the service that will claim it, as the controller match reads the CD's
// [HardwareIdsDatabase] with the drivers' IDs added after it, as the
// driver stage adds them. Nothing when no target machine is named.
void appendTargetHardwareSummary(const BuildSettings& settings, const InfFile& txtsetup,
                                 const DriverPackage& package, ProgressLog& log);

} // namespace ornibe
