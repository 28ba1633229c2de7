#pragma once

#include "sys/SearchPath.h"
#include "sys/StopCheck.h"

#include <string>

namespace ornibe {

// ornibe-build --list-entries SOURCE: prints each entry of the driver
// floppy on standard output (its ID, marked when it is the default, its
// description, service, hardware IDs and whether its files are on the
// medium, or why it cannot be integrated) and returns 0; a source that is
// no floppy or whose TXTSETUP.OEM cannot be read is refused on standard
// error with the reason, returning kExitRefused. tree, when it names a
// CD's files (a folder or an image), chooses which set of a floppy with
// both is listed (readF6Source); an image is read with the tools found as
// tools says, and stop ends its reading.
int runListEntries(const std::string& source, const std::string& tree, const ToolSearch& tools,
                   const StopCheck& stop = {});

} // namespace ornibe
