#pragma once

#include "sys/Failure.h"

#include <string>

namespace ornibe {

// Whether the driver INF at path (an existing file) adds a text-mode
// storage driver for the version: it opens as an INF, one of its models is
// for that version, one of its services loads in the "SCSI Miniport"
// group, and every file it names is on its medium, inside the INF's folder
// and reached through no link, as driver staging will look for it (plain
// or compressed). With the version unset, a driver for any of the three
// versions passes.
//
// A file that cannot be read, or that passes the limits within which
// INF files are read, is refused with that reason.
//
// A refusal's headline is the first line of the message (it names the file),
// its reason the second.
Outcome validateDriverInf(const std::string& path, char versionCode);

} // namespace ornibe
