#pragma once

#include "sys/Failure.h"

#include <string>

namespace ornibe {

// The checks of the ISO image's settings, made before anything changes so
// that the image step cannot fail on them after the tree was patched. A
// refusal's headline is the first line of the message, its reason the second.

// A label that the image's volume descriptor can hold; the empty label
// passes.
Outcome validateVolumeLabel(const std::string& label);

// An ISO file name (as typed; empty passes) whose folder exists, is a
// folder and is writable, and which is not itself a folder. The image tool
// runs in the work folder, so a relative name is taken against workFolder
// (absolute). A name right in a work folder that does not exist yet
// passes: the work folder check asks to create it.
Outcome validateIsoPath(const std::string& isoPath, const std::string& workFolder);

} // namespace ornibe
