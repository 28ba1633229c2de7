#pragma once

#include "check/ControllerMatch.h"
#include "check/DriverPackChoice.h"
#include "inf/SetupArchitecture.h"
#include "settings/DriverPackTable.h"
#include "source/DriverPack.h"
#include "sys/Result.h"
#include "sys/SearchPath.h"
#include "sys/StopCheck.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ornibe {

class CdModules;
class Medium;

// The drivers of a pack taken for a tree, and the table that says why.
struct PackSelection {
    DriverPackTable table;
    std::vector<PackDriver> taken;
};

// Reads the pack in folder for the target (source/DriverPack.h), reads
// every driver binary of it against the CD or tree cd in one load check
// (modules: the CD's modules this run has read, when given), and chooses among them
// (choosePackDrivers) against devices when given, named winning. Refused as readDriverPack refuses,
// and when a driver taken lacks a file it names.
Result<PackSelection> selectPackDrivers(const std::string& folder,
                                        const std::optional<std::vector<PciDevice>>& devices,
                                        const std::shared_ptr<const Medium>& cd,
                                        const WindowsTarget& target, const ToolSearch& tools,
                                        const ChoiceDriver& named, CdModules* modules = nullptr,
                                        const StopCheck& stop = {});

// The table, one line an item: each disk controller of the target with
// the driver taken for it and why (without a target, the drivers taken),
// then each driver left out and why, then how many drivers were for
// another system. Host text, without line ends.
std::vector<std::string> driverPackTableLines(const DriverPackTable& table);

// The same as a JSON object: {"source", "againstTarget", "controllers":
// [{"controller", "driver", "why"}], "taken": [...], "leftOut": [{"driver",
// "why"}], "otherSystems"}.
std::string driverPackJson(const DriverPackTable& table);

} // namespace ornibe
