#pragma once

#include "inf/SetupArchitecture.h"
#include "sys/Failure.h"

namespace ornibe {

class Medium;

// Reads the TXTSETUP.SIF (I386, or AMD64 on an x64 CD) of the installation tree of tree
// (a folder, or an image file or disc) as the confirmation
// page's summary reads it, and sets versionCode to the Windows version it
// names: '0' Windows 2000, '1' XP, '2' Server 2003, or
// ConfirmData::kVersionUnset when the file cannot be read or names no
// known CD. A file that passes the limits within which setup files are
// read is refused, naming the file and the limit; a missing file or one
// that is not an INF is left to the checks of the tree itself. A read of
// an image that stop ended leaves versionCode unset; the caller looks at
// stop itself. Sets architecture to the tree's (the folder its setup
// file was read from).
Outcome readTreeVersion(const Medium& tree, char& versionCode, Architecture& architecture);

} // namespace ornibe
