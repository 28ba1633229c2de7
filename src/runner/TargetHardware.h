#pragma once

#include "check/ControllerMatch.h"
#include "sys/Result.h"

#include <string>
#include <vector>

namespace ornibe {

// The target machine's PCI devices as the settings name them: a named
// QEMU machine ("qemu-q35"), or the host path of a file that holds what
// lspci -nn or lspci -vmmnn printed on the machine. The failure names the
// file and says why it cannot be read or is no lspci listing.
Result<std::vector<PciDevice>> readTargetHardware(const std::string& value);

// Whether the value names one of the QEMU machines rather than a file.
bool isQemuMachineName(const std::string& value);

} // namespace ornibe
