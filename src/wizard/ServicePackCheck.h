#pragma once

#include "inf/SetupArchitecture.h"
#include "sys/Failure.h"
#include "sys/SearchPath.h"

#include <string>

namespace ornibe {

// What Debian needs for a 32-bit Windows installer: the 32-bit Wine beside
// the 64-bit one, from the i386 architecture.
inline constexpr const char* kWineInstallCommand =
    "sudo dpkg --add-architecture i386 && sudo apt-get update && "
    "sudo apt-get install wine wine32:i386";

// What Debian needs for a 64-bit Windows installer: Wine's 64-bit part.
inline constexpr const char* kWine64InstallCommand = "sudo apt-get install wine wine64";

// Whether the Service Pack installer at path (an existing file) can run
// here and fits the tree: a Windows program (refused when it cannot be
// read or does not begin with "MZ"); for an I386 tree a 32-bit x86 PE
// program and a Wine that runs 32-bit programs where tools finds programs;
// for an x64 tree a 64-bit (PE32+) x64 program and Wine's 64-bit part
// (wine64) where tools finds programs. A refusal's headline is the first
// line of the message (it names the file), its reason the lines after it.
Outcome validateServicePack(const std::string& path, const ToolSearch& tools,
                            Architecture architecture = Architecture::X86);

} // namespace ornibe
