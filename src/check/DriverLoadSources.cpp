#include "check/DriverLoadSources.h"

#include "check/CheckedTree.h"
#include "check/DriverIdNotes.h"
#include "check/HardwareIdsDatabase.h"
#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "inf/OemEntryPackage.h"
#include "media/FloppyImage.h"
#include "settings/BuildSettings.h"
#include "source/DriverMedium.h"
#include "source/F6Source.h"
#include "source/Medium.h"
#include "source/PnpDriverPackage.h"
#include "source/TargetDetection.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"

namespace ornibe {
namespace {

bool isDriverFile(const std::string& path) {
    return foldHostText(fileName(path)).ends_with(".SYS");
}

// The package's driver files, once each: plain, or the compressed form
// that staging copies when the medium holds no plain file.
void addPackageDrivers(const DriverPackage& package, std::vector<LoadCheckDriver>& drivers) {
    for (const auto& entry : package.fileToTargetDir()) {
        if (!isDriverFile(entry.first)) {
            continue;
        }
        if (std::optional<std::string> plain = plainOnMedium(entry.first)) {
            drivers.push_back({*plain, true});
        } else if (Result<std::string> packed = compressedOnMedium(entry.first);
                   packed && !packed->empty()) {
            drivers.push_back({entry.first, true, *packed, *packed});
        }
    }
}

// A file taken out of a floppy image is named inside the image
// ("disk.img:/I386/X.SY_"), not by the folder it was taken out into.
void nameInsideImage(const TxtsetupOem& oem, std::vector<LoadCheckDriver>& drivers) {
    for (LoadCheckDriver& driver : drivers) {
        const std::string shown = oem.shown(driver.shown.empty() ? driver.path : driver.shown);
        if (shown != driver.path) {
            driver.shown = shown;
        }
    }
}

} // namespace

std::vector<LoadCheckDriver> settingsDriverBinaries(const BuildSettings& settings,
                                                    const WindowsTarget& target,
                                                    const ToolSearch& tools,
                                                    const DriverPackage* package) {
    std::vector<LoadCheckDriver> drivers;
    if (package != nullptr) {
        addPackageDrivers(*package, drivers);
    } else {
        DriverPackage read;
        readDriverSources(settings, target, tools, read);
        addPackageDrivers(read, drivers);
    }
    for (int i = 0; !settings.GetDriverInf(i).empty(); ++i) {
        const std::string& source = settings.GetDriverInf(i);
        if (existsAsFile(source) && isFloppyImage(source)) {
            if (Result<TxtsetupOem> oem = readF6Source(source, target.architecture, tools)) {
                nameInsideImage(*oem, drivers);
            }
        }
    }
    for (const std::string& inf : settings.pnpDriverInfList()) {
        for (const PnpDriver::File& file : readPnpDriver(inf, target).files) {
            if (isDriverFile(file.source) && existsAsFile(file.source)) {
                drivers.push_back({file.source, false});
            }
        }
    }
    return drivers;
}

std::vector<LoadCheckDriver> sourceDriverBinaries(const std::string& source,
                                                  const WindowsTarget& target,
                                                  const ToolSearch& tools) {
    std::vector<LoadCheckDriver> drivers;
    DriverPackage package;
    if (isF6Source(source)) {
        if (Result<TxtsetupOem> oem = readF6Source(source, target.architecture, tools)) {
            for (const OemEntry& entry : oem->entries) {
                addOemEntry(*oem, entry, package);
            }
            addPackageDrivers(package, drivers);
            nameInsideImage(*oem, drivers);
            return drivers;
        }
    } else {
        InfReader driver(source);
        driver.setArchitecture(target.architecture);
        if (driver.file().isOpen()) {
            driver.ReadDriverPackage(package, target.version);
        }
        driver.Close();
    }
    addPackageDrivers(package, drivers);
    return drivers;
}

WindowsTarget loadCheckTarget(const std::string& root, const ToolSearch& tools) {
    TreeCheckInput input{root, {}, tools, WindowsVersion::Unknown, {}, 0};
    CheckedTree tree(input);
    WindowsTarget found{WindowsVersion::Unknown, tree.architecture(), {}};
    std::optional<Result<InfFile, InfProblem>> txtsetup = tree.openSetupFile("TXTSETUP.SIF");
    if (!txtsetup || !*txtsetup) {
        return found;
    }
    for (std::string_view section :
         {"SourceDisksNames", "SourceDisksNames.x86", "SourceDisksNames.amd64"}) {
        if (auto line = (*txtsetup)->findFirstLine(section, "1")) {
            found =
                detectTarget((*txtsetup)->stringField(*line, 1).value_or(""), tree.architecture());
            break;
        }
    }
    return found;
}

std::vector<DriverLoadFinding> checkDriverLoadsIn(const std::shared_ptr<const Medium>& cd,
                                                  const ToolSearch& tools,
                                                  const std::vector<LoadCheckDriver>& drivers,
                                                  CdModules* modules) {
    if (drivers.empty()) {
        return {};
    }
    CheckedTree tree(cd, tools);
    std::optional<Result<InfFile, InfProblem>> txtsetup = tree.openSetupFile("TXTSETUP.SIF");
    InfFile open = txtsetup && *txtsetup ? **txtsetup : InfFile();
    DriverLoadCheck check(tree, open, modules);
    return check.check(drivers);
}

namespace {

std::vector<std::pair<std::string, std::string>> cdDatabase(const std::shared_ptr<const Medium>& cd,
                                                            const ToolSearch& tools) {
    CheckedTree tree(cd, tools);
    std::optional<Result<InfFile, InfProblem>> txtsetup = tree.openSetupFile("TXTSETUP.SIF");
    return hardwareIdsDatabase(txtsetup && *txtsetup ? **txtsetup : InfFile());
}

} // namespace

std::vector<std::string> settingsDriverIdNotes(const BuildSettings& settings,
                                               const DriverPackage& package,
                                               const std::shared_ptr<const Medium>& cd,
                                               const ToolSearch& tools, const WindowsTarget& target,
                                               const std::vector<PciDevice>& devices) {
    if (package.hardwareIdToService().empty()) {
        return {};
    }
    std::vector<std::string> infs;
    for (int i = 0; !settings.GetDriverInf(i).empty(); ++i) {
        if (!isF6Source(settings.GetDriverInf(i))) {
            infs.push_back(settings.GetDriverInf(i));
        }
    }
    // The CD's own IDs matter only against a target listing.
    return driverIdNotes(package, infs, target,
                         devices.empty() ? std::vector<std::pair<std::string, std::string>>{}
                                         : cdDatabase(cd, tools),
                         devices);
}

std::vector<std::string> sourceDriverIdNotes(const std::string& source, const std::string& root,
                                             const ToolSearch& tools, const WindowsTarget& target,
                                             const std::vector<PciDevice>& devices) {
    if (isF6Source(source)) {
        return {};
    }
    DriverPackage package;
    InfReader reader(source);
    reader.setArchitecture(target.architecture);
    if (reader.file().isOpen()) {
        reader.ReadDriverPackage(package, target.version);
    }
    return driverIdNotes(package, {source}, target, cdDatabase(Medium::open(root), tools), devices);
}

} // namespace ornibe
