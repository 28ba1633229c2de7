#pragma once

#include "check/ControllerMatch.h"
#include "check/TreeCheck.h"
#include "cli/CommandOptions.h"
#include "sys/SearchPath.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ornibe {

// ornibe-build --check --work DIR [--iso FILE] [--json]: checks the
// finished work folder (and the image) and changes nothing. The report
// goes to out, as a table or as JSON. Returns 0 when nothing is wrong
// (notes aside) and every disk controller of the target machine is
// claimed, 1 when a problem or an unclaimed controller was found, and kExitRefused, with one
// line on err, when DIR is no folder or the target cannot be read.
// The target machine the options name, as the settings hold it: the
// --machine name, or the --target-hardware file's absolute path; empty
// for none.
std::string targetHardwareOf(const CommandOptions& options);

// Reads the target machine the options name, if any, into the input's
// devices and the count of the listing's lines passed over; false after
// the program's message on err when it cannot be read.
// The work folder of the options, absolute and without a trailing slash;
// nothing, with the refusal written to err, when it is no folder.
std::optional<std::string> workFolderOption(const CommandOptions& options, std::ostream& err);

bool readTargetOption(const CommandOptions& options, TreeCheckInput& input, std::ostream& err);

int runCheckCommand(const CommandOptions& options, const ToolSearch& tools, std::ostream& out,
                    std::ostream& err);

} // namespace ornibe
