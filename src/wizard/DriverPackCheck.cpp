#include "wizard/DriverPackCheck.h"

#include "check/DriverLoadSources.h"
#include "check/DriverPackChoice.h"
#include "check/TargetHardware.h"
#include "inf/DriverPackage.h"
#include "source/DriverPack.h"
#include "source/F6Source.h"
#include "sys/HostPath.h"
#include "wizard/TargetHardwareCheck.h"

#include <map>
#include <set>

namespace ornibe {
namespace {

// The first reason each binary cannot load on the CD in cdRoot, by its
// path; one check for the whole pack, so that the CD's modules are read
// once. A file that is no PE image is left to the build's own check.
std::map<std::string, std::string> loadProblems(const DriverPack& pack, const std::string& cdRoot,
                                                const ToolSearch& tools) {
    std::map<std::string, std::string> problems;
    if (!existsAsFolder(cdRoot)) {
        return problems;
    }
    std::vector<LoadCheckDriver> binaries;
    std::set<std::string> seen;
    for (const PackDriver& driver : pack.drivers) {
        for (const std::string& binary : driver.binaries) {
            if (seen.insert(binary).second) {
                binaries.push_back({binary, true});
            }
        }
    }
    for (const DriverLoadFinding& finding : checkDriverLoadsIn(cdRoot, tools, binaries)) {
        if (!finding.loads()) {
            problems.emplace(finding.path, fileName(finding.path) + ": " + finding.problems[0]);
        }
    }
    return problems;
}

ChoiceDriver choiceOf(const PackDriver& driver,
                      const std::map<std::string, std::string>& problems) {
    ChoiceDriver choice{driver.shown, driver.ids, driver.driverVer, driver.files, {}};
    for (const std::string& binary : driver.binaries) {
        if (auto problem = problems.find(binary); problem != problems.end()) {
            choice.cannotLoad = problem->second;
            break;
        }
    }
    return choice;
}

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
    Result<DriverPack> pack = readDriverPack(folder, target, stop);
    if (!pack) {
        return pack.failure();
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

    const std::map<std::string, std::string> problems = loadProblems(*pack, cdRoot, tools);
    std::vector<ChoiceDriver> weighed;
    for (const PackDriver& driver : pack->drivers) {
        weighed.push_back(choiceOf(driver, problems));
    }
    const PackChoice choice =
        choosePackDrivers(weighed, namedDrivers(settings, target, tools), devices);

    for (std::size_t i : choice.taken) {
        const PackDriver& driver = pack->drivers[i];
        if (driver.missing) {
            return Failure::refusal("ドライバパックの " + driver.shown +
                                        " に、組み込むのに要るファイルがありません。",
                                    driver.missing->path, driver.missing->reason);
        }
    }
    DriverPackTable table;
    table.source = pack->root;
    table.againstTarget = devices.has_value();
    table.otherSystems = pack->otherSystems;
    auto nameOf = [&](std::size_t i) {
        return i == kNamedDrivers ? std::string("指定したドライバ") : pack->drivers[i].shown;
    };
    for (const ControllerChoice& row : choice.controllers) {
        table.controllers.push_back(
            {row.controller, row.chosen ? nameOf(*row.chosen) : std::string(), row.why});
    }
    for (std::size_t i : choice.taken) {
        const PackDriver& driver = pack->drivers[i];
        table.taken.push_back(driver.shown);
        settings.AddDriverInf(driver.source);
        if (!driver.entryId.empty()) {
            settings.addDriverEntry({driver.source, driver.entryId});
        }
    }
    for (const LeftOutDriver& left : choice.leftOut) {
        table.leftOut.push_back({nameOf(left.driver), left.why});
    }
    settings.setDriverPack(table);
    return {};
}

} // namespace ornibe
