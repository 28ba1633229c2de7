#pragma once

#include "inf/SetupArchitecture.h"
#include "inf/TxtsetupOem.h"
#include "sys/Failure.h"
#include "sys/SearchPath.h"
#include "sys/StopCheck.h"

#include <optional>
#include <string>
#include <vector>

namespace ornibe {

class BuildSettings;
class Medium;

// A driver list entry that names a driver floppy: its source (absolute)
// and the entry chosen from it, empty when the list names none.
struct F6ListEntry {
    std::string source;
    std::string id;
};

// The floppy that a driver list text names: "source" or "source [ ID ]"
// (driverEntryText), where source is a floppy source (isF6Source). Nothing
// for any other text, which is an INF's path.
std::optional<F6ListEntry> f6ListEntry(const std::string& text);

// Whether the entry can be integrated: it has a [Files.scsi.ID] section
// with a driver line, every file it names is 8.3 and on the medium, and
// every [Config] value has a type AddReg writes. The refusal's headline
// names the entry, its reason what is wrong.
Outcome validateOemEntry(const TxtsetupOem& oem, const OemEntry& entry);

// The checks of the floppies on "次へ >", before anything changes: each
// source's TXTSETUP.OEM opens with a [scsi] section; the entries the list
// names, and those of ids (--driver-entry, across all sources) that a
// source has, or else its default entry, pass validateOemEntry; every ID
// of ids is in some source; no two chosen entries install different files
// under one service; every chosen entry suits the tree's architecture
// (judgeOemEntryArchitecture). On success the chosen entries are added to
// settings in list order. A floppy image is read within its limits, and
// the reading ends when stop asks.
Outcome
checkF6Entries(const std::vector<F6ListEntry>& listed, const std::vector<std::string>& ids,
               BuildSettings& settings, const ToolSearch& tools,
               const WindowsTarget& target = {WindowsVersion::WindowsXp, Architecture::X86, {}},
               const StopCheck& stop = {});

// Whether the tree (a folder, or an image file or disc) can take the
// [Config] values of the chosen entries of settings: a value that would be
// written needs HIVESYS.INF or HIVESYS.IN_ in the tree's setup folder.
// Refused before anything changes, naming the entry and the file, when
// there is neither. The floppies are read as long as stop does not say
// otherwise.
Outcome checkHivesysForConfig(const BuildSettings& settings, const Medium& tree,
                              Architecture architecture, const ToolSearch& tools,
                              const StopCheck& stop = {});

// Whether the entry can go into a tree of the target's architecture, as
// far as its files tell: its driver, when it is a Windows program, is one
// for that architecture's processor, and its INF, when it names one, is judged as
// an INF driver is (judgeInfArchitecture). A refusal names the entry.
Outcome judgeOemEntryArchitecture(const TxtsetupOem& oem, const OemEntry& entry,
                                  const WindowsTarget& target);

} // namespace ornibe
