#pragma once

#include "cli/CommandOptions.h"
#include "sys/SearchPath.h"

#include <ostream>

namespace ornibe {

// ornibe-build --check --work DIR [--iso FILE] [--json]: checks the
// finished work folder (and the image) and changes nothing. The report
// goes to out, as a table or as JSON. Returns 0 when nothing is wrong
// (notes aside), 1 when a problem was found, and kExitRefused, with one
// line on err, when DIR is no folder.
int runCheckCommand(const CommandOptions& options, const ToolSearch& tools, std::ostream& out,
                    std::ostream& err);

} // namespace ornibe
