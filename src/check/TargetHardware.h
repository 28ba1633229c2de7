#pragma once

#include "check/ControllerMatch.h"
#include "sys/InputSnapshot.h"
#include "sys/Result.h"

#include <string>
#include <vector>

namespace ornibe {

// The target machine's PCI devices as the settings name them: a named
// QEMU machine ("qemu-q35"), or the host path of a file that holds what
// lspci -nn or lspci -vmmnn printed on the machine, read once through
// inputs (sys/InputSnapshot.h). The failure names the file and says why it
// cannot be read or is no lspci listing.
Result<PciListing> readTargetHardware(const std::string& value, InputSnapshots& inputs);

// "（リストでない 3 行は読み飛ばしました）" for a listing with lines that are
// no device record; empty when every line was one.
std::string passedOverText(const PciListing& listing);

// Whether the value names one of the QEMU machines rather than a file.
bool isQemuMachineName(const std::string& value);

} // namespace ornibe
