#pragma once

#include "check/ControllerMatch.h"
#include "check/DriverLoadCheck.h"
#include "inf/SetupArchitecture.h"
#include "inf/WindowsTarget.h"
#include "sys/SearchPath.h"

#include <memory>
#include <string>
#include <vector>

namespace ornibe {

class BuildSettings;
class CdModules;
class DriverPackage;
class Medium;

// The driver binaries (.sys) of the settings' drivers, as the build would
// place them: the text-mode drivers of each INF and chosen floppy entry
// (of package, when the caller read them already; read here otherwise),
// then each Plug and Play driver's. A text-mode driver the medium holds
// only compressed (x.sy_) is read from that file, as staging copies it.
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

// Checks the drivers against the setup tree of cd (a work folder, a CD's
// folder or an image), reading its modules with the cabinet tool that
// tools finds: those modules read before hold (when given) the ones
// this run read already, and take those read here. Changes nothing on cd.
std::vector<DriverLoadFinding> checkDriverLoadsIn(const std::shared_ptr<const Medium>& cd,
                                                  const ToolSearch& tools,
                                                  const std::vector<LoadCheckDriver>& drivers,
                                                  CdModules* modules = nullptr);

// The notes of check/DriverIdNotes.h for the drivers of the settings
// (their package as the summary read it) against the CD cd, or for one
// driver source against the CD in the folder root, and the target
// machine's devices (empty without a target listing).
std::vector<std::string> settingsDriverIdNotes(const BuildSettings& settings,
                                               const DriverPackage& package,
                                               const std::shared_ptr<const Medium>& cd,
                                               const ToolSearch& tools, const WindowsTarget& target,
                                               const std::vector<PciDevice>& devices);
std::vector<std::string> sourceDriverIdNotes(const std::string& source, const std::string& root,
                                             const ToolSearch& tools, const WindowsTarget& target,
                                             const std::vector<PciDevice>& devices);

} // namespace ornibe
