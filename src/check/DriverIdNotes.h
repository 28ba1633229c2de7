#pragma once

#include "check/ControllerMatch.h"
#include "inf/WindowsTarget.h"

#include <string>
#include <utility>
#include <vector>

namespace ornibe {

class DriverPackage;

// What the hardware IDs of the drivers let text-mode setup bind, beside
// whether they load:
// - a driver whose IDs in the package (those that go into TXTSETUP.SIF,
//   the second field of its model lines) are all class codes (PCI\CC_...)
//   is named as such by its service: it claims every controller of that
//   class that nothing more specific claims, and with a target listing the
//   note names those it would claim (or says there is none);
// - with a target listing, an ID that a model line of one of infs lists
//   only in its third or later field, which setup never takes, and that
//   matches a controller that nothing claims: the note names the ID.
// cdDatabase is the CD's [HardwareIdsDatabase]; the package's IDs count
// after it, as the build adds them. devices are the target listing's
// (empty without one; the INFs are then not read). Host text, one note a
// sentence.
std::vector<std::string>
driverIdNotes(const DriverPackage& package, const std::vector<std::string>& infs,
              const WindowsTarget& target,
              const std::vector<std::pair<std::string, std::string>>& cdDatabase,
              const std::vector<PciDevice>& devices);

} // namespace ornibe
