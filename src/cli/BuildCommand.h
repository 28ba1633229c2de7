#pragma once

#include "cli/CommandOptions.h"
#include "sys/SearchPath.h"

#include <functional>

namespace ornibe {

// Exit statuses of ornibe-build.
enum ExitStatus : int {
    kExitFinished = 0,
    kExitFailed = 1,
    kExitRefused = 2,
};

// Runs the settings page's checks, the summary and the build for the
// options, as the wizard runs them, and returns the exit status. The log
// goes to standard output, messages and progress to standard error.
// stopRequested tells whether the user asked to stop (Ctrl+C). The tools,
// Wine and the spare boot sector are looked for where tools says.
int runBuildCommand(const CommandOptions& options, const std::function<bool()>& stopRequested,
                    const ToolSearch& tools);

} // namespace ornibe
