#pragma once

#include "inf/SetupArchitecture.h"
#include "settings/BuildSettings.h"
#include "sys/Failure.h"
#include "sys/SearchPath.h"
#include "sys/StopCheck.h"

#include <memory>
#include <string>

namespace ornibe {

class CdModules;
class Medium;

// Takes the drivers of the pack in folder (empty for none) on "次へ >",
// after the driver lists: reads the pack for the tree's version and
// architecture (source/DriverPack.h), reads every driver binary of it
// against the CD cd in one check (check/DriverLoadCheck.h; modules holds
// the CD's modules this run has read, when given), and
// chooses among them (check/DriverPackChoice.h) against the target machine
// of targetHardware when there is one (which is checked and set in the
// settings as its own field would), the drivers already in the lists
// winning. The drivers taken are appended to the driver list (an INF, or
// the folder of a TXTSETUP.OEM with the entry chosen), so that the build
// integrates them as any other; the settings keep the table of what was
// taken and why (BuildSettings::getDriverPack).
//
// Refused with the reason, before anything changes: a pack that is not a
// folder, holds a link leading out of it or holds no driver for the tree;
// a driver taken that lacks a file it names.
Outcome addDriverPackDrivers(BuildSettings& settings, const std::string& folder,
                             const std::string& targetHardware,
                             const std::shared_ptr<const Medium>& cd, const WindowsTarget& target,
                             const ToolSearch& tools, CdModules* modules = nullptr,
                             const StopCheck& stop = {});

// Whether entry is one the pack put into the driver list.
bool isDriverPackEntry(const DriverPackTable& table, const std::string& entry);

} // namespace ornibe
