#pragma once

#include "inf/SetupArchitecture.h"
#include "settings/BuildSettings.h"
#include "sys/Failure.h"
#include "sys/StopCheck.h"

#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// Takes the drivers of the virtio-win medium at source (an ISO image file
// or a folder of one; empty for none) for the tree's version and
// architecture, on "次へ >" after the user's own driver lists: the block
// driver (viostor) is checked as a text-mode driver INF and appended to the
// driver list, the others (netkvm, balloon, vioserial, qxl) are checked as
// Plug and Play INFs and appended to the PnP list, so that the build
// integrates them as any other; the settings keep what was taken from
// where (BuildSettings::getVirtioWin). only names the drivers to take
// (short names, letter case ignored); nothing takes all five, leaving out
// those the medium has no folder for the system, except the block driver.
//
// Refused with the reason: Windows 2000, for which the medium has nothing;
// a medium that cannot be read; a driver that is taken (the block driver,
// or one that only names) and has no folder for the system, the refusal
// naming the folders looked for and those the medium holds; an INF that
// does not pass its check.
Outcome addVirtioWinDrivers(BuildSettings& settings, const std::string& source,
                            const std::optional<std::vector<std::string>>& only,
                            const WindowsTarget& target, const std::string& tempFolder,
                            const StopCheck& stop = {});

// The settings page's check boxes, one per virtioWinDriverNames() entry in
// that order, as addVirtioWinDrivers takes them: nothing when every box is
// checked (the default), else the names checked.
std::optional<std::vector<std::string>> virtioWinDriversChecked(const std::vector<bool>& checked);
// The boxes' states for a choice made before: the names it took.
std::vector<bool> virtioWinChecksOf(const VirtioWinChoice& choice);

// Whether inf is one the choice put into the driver lists, which the page
// shows in its own field rather than in the lists.
bool isVirtioWinInf(const VirtioWinChoice& choice, const std::string& inf);
// The INFs of the list that the choice did not put there.
std::vector<std::string> withoutVirtioWinInfs(const std::vector<std::string>& infs,
                                              const VirtioWinChoice& choice);

} // namespace ornibe
