#pragma once

#include "inf/DriverPackage.h"
#include "inf/SetupArchitecture.h"
#include "source/DriverMedium.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// A Plug and Play driver for GUI-mode setup: the INF and the files it
// brings, as they go into a folder of their own under $OEM$\$1\Drivers.
struct PnpDriver {
    // One file of the package: where it is on the driver medium (host
    // path) and where it goes inside the driver's folder ("/"-separated,
    // as the INF's SourceDisksNames paths place it below the INF).
    struct File {
        std::string source;
        std::string relative;
    };

    std::string inf;
    // The Version section's Class, and the description of the first model
    // for the version (host text); empty when the INF has none.
    std::string className;
    std::string description;
    // What the INF reader walked for the version: the INF, its catalog and
    // the files its models copy, with the paths it refused.
    DriverPackage package;
    // Every file to copy, in the order staging copies them, each the plain
    // file or, when the medium holds only that, its compressed form.
    std::vector<File> files;
};

// Reads the INF at path (a host path) for the target, adding every file
// its [SourceDisksFiles] sections name to what the models copy. The
// models, their sections and the file lists are those of the target's
// architecture. A file the INF cannot be opened as gives a driver
// without files.
PnpDriver readPnpDriver(const std::string& path, const WindowsTarget& target);

// The first file of the driver that is not on its medium, or that the INF
// names outside its folder, as the text-mode drivers' check words it.
std::optional<MediumProblem> firstPnpProblem(const PnpDriver& driver);

// The name of the build's numbered folder (1 first): "001", "002", ...
std::string pnpFolderName(std::size_t number);

// The OemPnPDriversPath entry of a numbered folder: "Drivers\001".
std::string pnpPathEntry(const std::string& folderName);

// How long OemPnPDriversPath may be for the version: 98 characters for
// Windows 2000 (its setup can hang on a longer one), 4096 otherwise.
std::size_t pnpPathLimit(WindowsVersion version);

// The value setup reads: the user's own folders (their value as given,
// empty for none) followed by ours, ";" between them. One of ours that the
// user's value names already (a rebuild that reads the work folder's own
// WINNT.SIF) is not named again.
std::string pnpPathValue(const std::string& userFolders,
                         const std::vector<std::string>& ourEntries);

} // namespace ornibe
