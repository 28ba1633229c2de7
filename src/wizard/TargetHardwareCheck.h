#pragma once

#include "settings/BuildSettings.h"
#include "sys/Failure.h"

#include <string>

namespace ornibe {

// The field 対象のハードウェア on "次へ >": empty for none, a QEMU
// machine's name, or a file of lspci output (a relative name is taken from
// the current folder), which must read as a listing. Sets the settings'
// target hardware, or refuses with the file and why.
Outcome checkTargetHardware(const std::string& text, BuildSettings& settings);

} // namespace ornibe
