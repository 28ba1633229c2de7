#pragma once

#include "sys/Failure.h"
#include "sys/StopCheck.h"

#include <string>

namespace ornibe {

// The Windows version of the installation tree whose root is folder (or
// of the image file or disc it names), as
// the confirmation page's summary reads it from I386/TXTSETUP.SIF: '0'
// Windows 2000, '1' XP, '2' Server 2003, or ConfirmData::kVersionUnset
// when the file cannot be read or names no known CD, or the reading of an
// image was stopped.
char treeVersionCode(const std::string& folder, const StopCheck& stop = {});

// Whether the driver INF at path (an existing file) adds a text-mode
// storage driver for the version: it opens as an INF, one of its models is
// for that version, one of its services loads in the "SCSI Miniport"
// group, and every file it names is on its medium, inside the INF's folder
// and reached through no link, as driver staging will look for it (plain
// or compressed). With the version unset, a driver for any of the three
// versions passes.
//
// A refusal's what is the first line of the message (it names the file),
// its reason the second.
Outcome validateDriverInf(const std::string& path, char versionCode);

} // namespace ornibe
