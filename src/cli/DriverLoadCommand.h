#pragma once

#include "cli/CommandOptions.h"
#include "sys/SearchPath.h"

#include <ostream>

namespace ornibe {

// ornibe-build --check-driver SOURCE --work DIR [--json]: reads the
// driver binaries of SOURCE (an INF, or every entry of a driver floppy)
// against the tree in DIR and changes nothing. The report goes to out as
// a table or as JSON, naming each driver that loads and why each other
// does not. Returns 0 when every driver loads, 1 when one does not, and
// kExitRefused, with one line on err, when DIR is no folder or SOURCE no
// file or folder.
int runDriverLoadCommand(const CommandOptions& options, const ToolSearch& tools, std::ostream& out,
                         std::ostream& err);

} // namespace ornibe
