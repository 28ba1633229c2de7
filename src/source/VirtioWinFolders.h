#pragma once

#include "inf/SetupArchitecture.h"

#include <string>
#include <vector>

namespace ornibe {

class VirtioWinMedium;

// A driver of a virtio-win medium: its short name as the options give it,
// its top folder on the medium, and its INF's name.
struct VirtioWinKind {
    std::string name;
    std::string folder;
    std::string inf;
    // The block driver is for text-mode setup; the others for GUI mode.
    bool textMode = false;
};

// The five in the order they are taken (virtioWinDriverNames()).
const std::vector<VirtioWinKind>& virtioWinKinds();
// The kind of a short name (letter case ignored); null for another name.
const VirtioWinKind* virtioWinKind(const std::string& name);

// "Windows XP x86", "Windows Server 2003 x64": the system the folders are
// chosen for (an unknown version is taken as XP).
std::string virtioWinSystemName(const WindowsTarget& target);

// The folders, from the medium's root with "/" between names, that may hold
// the kind's driver for the system, in the order they are looked for: the
// kind's own folder for the system (xp/x86, 2k3/x86, and for x64 2k3/amd64,
// with xp/amd64 first for XP x64 and last for Server 2003 x64), then the
// older names of those folders (wxp, wnet) and the older layout that kept
// every driver of a system in one folder of the root (wxp/x86, wnet/amd64).
// Empty for Windows 2000, for which the medium has nothing.
std::vector<std::string> virtioWinCandidates(const VirtioWinKind& kind,
                                             const WindowsTarget& target);

// The first candidate folder that holds the kind's INF, as the medium
// spells it ("viostor\xp\x86"); empty when none does.
std::string findVirtioWinFolder(const VirtioWinMedium& medium, const VirtioWinKind& kind,
                                const WindowsTarget& target);

// The system folders the medium holds for the kind ("viostor\2k3\amd64"),
// in the medium's order, for saying what is there when the folder for the
// system is not.
std::vector<std::string> virtioWinFoldersHeld(const VirtioWinMedium& medium,
                                              const VirtioWinKind& kind);

} // namespace ornibe
