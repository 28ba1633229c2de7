#pragma once

#include "check/ControllerMatch.h"
#include "check/DriverLoadCheck.h"
#include "inf/SetupArchitecture.h"
#include "inf/WindowsTarget.h"
#include "sys/SearchPath.h"

#include <string>
#include <vector>

namespace ornibe {

class BuildSettings;
class DriverPackage;

// The driver binaries (.sys) of the settings' drivers, as the build would
// place them: the text-mode drivers of each INF and chosen floppy entry
// (of package, when the caller read them already; read here otherwise),
// then each Plug and Play driver's. A file the medium holds only
// compressed is left out: it is not read here.
std::vector<LoadCheckDriver> settingsDriverBinaries(const BuildSettings& settings,
                                                    const WindowsTarget& target,
                                                    const ToolSearch& tools,
                                                    const DriverPackage* package = nullptr);

// Those of one driver source alone: an INF, or a floppy (every entry of
// its TXTSETUP.OEM).
std::vector<LoadCheckDriver> sourceDriverBinaries(const std::string& source,
                                                  const WindowsTarget& target,
                                                  const ToolSearch& tools);

// What the tree or CD at root is for, as its TXTSETUP.SIF tells it (the
// version unknown when it does not).
WindowsTarget loadCheckTarget(const std::string& root, const ToolSearch& tools);

// Checks the drivers against the setup tree in the folder root (a work
// folder or a CD's folder), reading its modules with the cabinet tool that
// tools finds. Changes nothing under root.
std::vector<DriverLoadFinding> checkDriverLoadsIn(const std::string& root, const ToolSearch& tools,
                                                  const std::vector<LoadCheckDriver>& drivers);

// The notes of check/DriverIdNotes.h for the drivers of the settings
// (their package as the summary read it), or for one driver source,
// against the CD in the folder root and the target machine's devices
// (empty without a target listing).
std::vector<std::string> settingsDriverIdNotes(const BuildSettings& settings,
                                               const DriverPackage& package,
                                               const std::string& root, const ToolSearch& tools,
                                               const WindowsTarget& target,
                                               const std::vector<PciDevice>& devices);
std::vector<std::string> sourceDriverIdNotes(const std::string& source, const std::string& root,
                                             const ToolSearch& tools, const WindowsTarget& target,
                                             const std::vector<PciDevice>& devices);

} // namespace ornibe
