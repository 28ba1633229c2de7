#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ornibe {

// A hotfix package that setup runs from the setup folder's SVCPACK near the
// end of GUI mode: the package (host path) and the switches it is run with.
struct HotfixChoice {
    std::string path;
    std::string switches;

    bool operator==(const HotfixChoice&) const = default;
};

// The switches every hotfix package of the era takes: quiet, no backup for
// its removal, no restart.
inline constexpr const char* kDefaultHotfixSwitches = "/q /n /z";

// The longest command the build gives setup to run (cmdlines.txt and
// [GuiRunOnce]): 259 characters, a MAX_PATH buffer less its end, the
// shortest buffer setup of these systems may copy a command line into.
inline constexpr std::size_t kLongestSetupCommand = 259;

// The bytes an 80-minute CD-R holds (360,000 sectors of 2048 bytes): the
// hotfix packages together may not pass it, nor the files of the $OEM$
// folder, or no CD could carry them.
inline constexpr std::uint64_t kCdBytes = 360000ull * 2048;

// What the build adds for setup to run or copy besides drivers: hotfix
// packages, a folder copied as $OEM$, commands run at T-12 from
// $OEM$\cmdlines.txt and commands run at the first logon ([GuiRunOnce]).
// Texts are host text (UTF-8); nothing by default.
struct SetupAdditions {
    std::vector<HotfixChoice> hotfixes;
    std::string oemFolder;
    std::vector<std::string> setupCommands;
    std::vector<std::string> firstLogonCommands;

    // Whether anything needs the answer file: setup copies $OEM$ and runs
    // cmdlines.txt only when it installs unattended with OemPreinstall.
    bool needsOemPreinstall() const { return !oemFolder.empty() || !setupCommands.empty(); }
    bool empty() const {
        return hotfixes.empty() && !needsOemPreinstall() && firstLogonCommands.empty();
    }

    bool operator==(const SetupAdditions&) const = default;
};

} // namespace ornibe
