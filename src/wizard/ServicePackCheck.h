#pragma once

#include "sys/Failure.h"
#include "sys/SearchPath.h"

#include <string>

namespace ornibe {

// What Debian needs for a 32-bit Windows installer: the 32-bit Wine beside
// the 64-bit one, from the i386 architecture.
inline constexpr const char* kWineInstallCommand =
    "sudo dpkg --add-architecture i386 && sudo apt-get update && "
    "sudo apt-get install wine wine32:i386";

// Whether the Service Pack installer at path (an existing file) can run
// here: a Windows program (refused when it cannot be read or does not
// begin with "MZ"), a 32-bit x86 PE program, and a Wine that runs 32-bit
// programs where tools finds programs. A refusal's headline is
// the first line of the message (it names the file), its reason the lines
// after it.
Outcome validateServicePack(const std::string& path, const ToolSearch& tools);

} // namespace ornibe
