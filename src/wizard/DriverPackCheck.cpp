#include "wizard/DriverPackCheck.h"

#include "check/DriverPackSelection.h"
#include "check/TargetHardware.h"
#include "inf/DriverPackage.h"
#include "source/F6Source.h"
#include "sys/CaseFold.h"
#include "sys/Translation.h"
#include "wizard/TargetHardwareCheck.h"

#include <algorithm>

namespace ornibe {
namespace {

// The drivers already in the lists, as one that always wins.
ChoiceDriver namedDrivers(const BuildSettings& settings, const WindowsTarget& target,
                          const ToolSearch& tools) {
    DriverPackage package;
    readDriverSources(settings, target, tools, package);
    PackDriver named;
    describePackage(package, named);
    return {translated("指定したドライバ"), named.ids, {}, named.files, {}};
}

bool isListed(const BuildSettings& settings, const std::string& entry) {
    for (int i = 0; !settings.GetDriverInf(i).empty(); ++i) {
        if (equalsHostNoCase(settings.GetDriverInf(i), entry)) {
            return true;
        }
    }
    return false;
}

} // namespace

Outcome addDriverPackDrivers(BuildSettings& settings, const std::string& folder,
                             const std::string& targetHardware,
                             const std::shared_ptr<const Medium>& cd, const WindowsTarget& target,
                             const ToolSearch& tools, CdModules* modules, const StopCheck& stop) {
    settings.setDriverPack({});
    if (folder.empty()) {
        return {};
    }
    std::optional<std::vector<PciDevice>> devices;
    if (!targetHardware.empty()) {
        if (Outcome checked = checkTargetHardware(targetHardware, settings); !checked) {
            return checked;
        }
        Result<PciListing> listing =
            readTargetHardware(settings.getTargetHardware(), settings.inputSnapshots());
        if (!listing) {
            return listing.failure();
        }
        devices = listing->devices;
    }
    Result<PackSelection> selection = selectPackDrivers(
        folder, devices, cd, target, tools, namedDrivers(settings, target, tools), modules, stop);
    if (!selection) {
        return selection.failure();
    }
    DriverPackTable& table = selection->table;
    for (const PackDriver& driver : selection->taken) {
        if (!isListed(settings, driver.source)) {
            table.addedEntries.push_back(driver.source);
        }
        settings.AddDriverInf(driver.source);
        if (!driver.entryId.empty()) {
            settings.addDriverEntry({driver.source, driver.entryId});
        }
    }
    settings.setDriverPack(table);
    return {};
}

bool isDriverPackEntry(const DriverPackTable& table, const std::string& entry) {
    return std::find(table.addedEntries.begin(), table.addedEntries.end(), entry) !=
           table.addedEntries.end();
}

} // namespace ornibe
