#pragma once

#include "inf/SetupArchitecture.h"
#include "runner/ProgressLog.h"
#include "settings/BuildSettings.h"
#include "settings/VirtioWinChoice.h"

#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// The QEMU machine (one of qemuMachine's names) whose disk controller the
// block driver INF at blockInf claims, read for the version and
// architecture as the driver stage reads it: "qemu-virtio-blk" (the
// legacy or transitional device, 1AF4:1001) when its IDs match that one,
// else "qemu-virtio-blk-modern" (1AF4:1042) when they match that one;
// nothing when they match neither.
std::optional<std::string> virtioQemuMachine(const std::string& blockInf,
                                             const WindowsTarget& target);

// The QEMU options that present devices the chosen drivers bind: the
// machine, the disk on a virtio-blk-pci device with the properties that
// give it the ID the block driver matches, and a device for each GUI-mode
// driver taken (virtio-net-pci for NetKVM). One option and its value a
// line; empty without drivers.
std::vector<std::string> virtioQemuOptions(const VirtioWinChoice& choice,
                                           const WindowsTarget& target);

// The summary's heading for the virtio-win medium: the medium, its version
// when it states one, each driver taken with its folder, and those it has
// no folder for; nothing without a medium.
void appendVirtioWinSummary(const BuildSettings& settings, ProgressLog& log);

// The QEMU machine a build with the virtio-win block driver is checked
// against: virtioQemuMachine for the block driver taken; nothing without
// one.
std::optional<std::string> virtioCheckMachine(const BuildSettings& settings,
                                              const WindowsTarget& target);

// The QEMU options after a finished build, as options and as the command
// lines that make the disk and start the guest, and the machine the
// tree's controllers are matched against when no target machine was
// given; nothing without a medium. Whether it wrote anything.
bool appendVirtioQemuOptions(const BuildSettings& settings, const WindowsTarget& target,
                             ProgressLog& log);

} // namespace ornibe
