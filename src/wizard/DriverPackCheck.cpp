#include "wizard/DriverPackCheck.h"

#include "check/DriverPackSelection.h"
#include "check/TargetHardware.h"
#include "inf/DriverPackage.h"
#include "source/F6Source.h"
#include "wizard/TargetHardwareCheck.h"

namespace ornibe {
namespace {

// The drivers already in the lists, as one that always wins.
ChoiceDriver namedDrivers(const BuildSettings& settings, const WindowsTarget& target,
                          const ToolSearch& tools) {
    DriverPackage package;
    readDriverSources(settings, target, tools, package);
    PackDriver named;
    describePackage(package, named);
    return {"指定したドライバ", named.ids, {}, named.files, {}};
}

} // namespace

Outcome addDriverPackDrivers(BuildSettings& settings, const std::string& folder,
                             const std::string& targetHardware, const std::string& cdRoot,
                             const WindowsTarget& target, const ToolSearch& tools,
                             const StopCheck& stop) {
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
        folder, devices, cdRoot, target, tools, namedDrivers(settings, target, tools), stop);
    if (!selection) {
        return selection.failure();
    }
    for (const PackDriver& driver : selection->taken) {
        settings.AddDriverInf(driver.source);
        if (!driver.entryId.empty()) {
            settings.addDriverEntry({driver.source, driver.entryId});
        }
    }
    settings.setDriverPack(selection->table);
    return {};
}

} // namespace ornibe
