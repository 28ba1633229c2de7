#pragma once

#include "inf/SetupArchitecture.h"
#include "inf/TxtsetupOem.h"
#include "sys/Result.h"
#include "sys/SearchPath.h"
#include "sys/StopCheck.h"

#include <string>
#include <vector>

namespace ornibe {

class BuildSettings;
class DriverPackage;

// A driver list entry that is a driver floppy rather than an INF: a
// folder that holds a TXTSETUP.OEM (see folderHoldsTxtsetupOem), a file (any file whose name ends
// in .oem) or a floppy image (see isFloppyImage).
bool isF6Source(const std::string& path);

// Whether the folder holds a TXTSETUP.OEM where readF6Source looks.
bool folderHoldsTxtsetupOem(const std::string& folder);

// The TXTSETUP.OEM of a floppy source: the file itself; in a folder, the
// one in its root or else in the folder of the tree's architecture (amd64
// for an x64 tree, i386 for an x86 one) or else in the other's; in an
// image, the same among the image's files (media/FloppyImage.h), read
// within its limits and ending when stop asks. The folder that holds it
// stands for the disk's root. Refused with the reason when there is none
// or it cannot be read (readTxtsetupOem).
Result<TxtsetupOem> readF6Source(const std::string& source, Architecture architecture,
                                 const ToolSearch& tools, const StopCheck& stop = {});

// Whether every file of the entry is on the medium as driver staging
// looks for it (a driver, INF, port, class or DLL file plain or
// compressed, a catalog plain); the first one that is not, otherwise.
Outcome oemEntryFilesPresent(const TxtsetupOem& oem, const OemEntry& entry);

// What the summary says about an entry besides its description: notes
// on what it claims that text-mode setup may not honour (only class-code,
// ROOT\ or DETECTED\ IDs; a service in [HardwareIds] or in its INF's
// AddService other than the driver file's name) and which [Config] section
// was read. Host text.
std::vector<std::string> oemEntryNotes(const TxtsetupOem& oem, const OemEntry& entry);

// Whether every hardware ID of the entry is one that text-mode setup's
// PCI scan may not bind: a class code (PCI\CC_...), ROOT\ or DETECTED\.
bool onlyUnboundIds(const OemEntry& entry);

// Reads the drivers of the settings into package in the list's order: an
// INF as the INF driver path reads it, a floppy source's chosen entries
// (BuildSettings::getDriverEntries) through addOemEntry.
void readDriverSources(const BuildSettings& settings, const WindowsTarget& target,
                       const ToolSearch& tools, DriverPackage& package);

} // namespace ornibe
