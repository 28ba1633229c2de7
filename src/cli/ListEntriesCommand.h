#pragma once

#include <string>

namespace ornibe {

// ornibe-build --list-entries SOURCE: prints each entry of the driver
// floppy on standard output (its ID, marked when it is the default, its
// description, service, hardware IDs and whether its files are on the
// medium, or why it cannot be integrated) and returns 0; a source that is
// no floppy or whose TXTSETUP.OEM cannot be read is refused on standard
// error with the reason, returning kExitRefused.
int runListEntries(const std::string& source);

} // namespace ornibe
