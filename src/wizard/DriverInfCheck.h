#pragma once

#include "inf/SetupArchitecture.h"
#include "sys/Failure.h"

#include <string>

namespace ornibe {

// Whether the driver INF at path (an existing file) adds a text-mode
// storage driver for the target's version: it opens as an INF, one of its
// models is for that version, one of its services loads in the "SCSI Miniport"
// group, and every file it names is on its medium, inside the INF's folder
// and reached through no link, as driver staging will look for it (plain
// or compressed). With the version unknown, a driver for any of the three
// versions passes.
//
// A file that cannot be read, or that passes the limits within which
// INF files are read, is refused with that reason.
//
// The INF is read for the tree's architecture: an x64 tree takes only its
// NTamd64 models, install sections and files. An INF whose models are all
// for the other architecture is refused as such (judgeInfArchitecture).
//
// A refusal's headline is the first line of the message (it names the file),
// its reason the second.
Outcome validateDriverInf(const std::string& path, const WindowsTarget& target);

} // namespace ornibe
