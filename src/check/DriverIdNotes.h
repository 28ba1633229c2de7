#pragma once

#include "check/ControllerMatch.h"
#include "inf/SetupArchitecture.h"

#include <string>
#include <utility>
#include <vector>

namespace ornibe {

// What the hardware IDs of driver INFs let text-mode setup bind, beside
// whether the driver loads:
// - a driver whose IDs (the second field of its model lines, the one that
//   goes into TXTSETUP.SIF) are all class codes (PCI\CC_...) is named as
//   such: it claims every controller of that class that nothing more
//   specific claims, and with a target listing the note names those it
//   would claim (or says there is none);
// - an ID that a model line lists only in its third or later field, which
//   setup never takes, and that is the only ID matching a controller of
//   the target listing that nothing claims: the note names the ID.
// database is the CD's [HardwareIdsDatabase] with the drivers' own IDs
// after it (as the build adds them); devices the target listing's (empty
// without one). Host text, one note a sentence.
std::vector<std::string>
driverIdNotes(const std::vector<std::string>& infs, char versionCode, Architecture architecture,
              const std::vector<std::pair<std::string, std::string>>& database,
              const std::vector<PciDevice>& devices);

} // namespace ornibe
