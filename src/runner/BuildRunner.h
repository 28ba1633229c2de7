#pragma once

#include "runner/BuildPage.h"
#include "runner/ConfirmData.h"
#include "runner/steps/BuildSteps.h"
#include "settings/BuildSettings.h"
#include "sys/SearchPath.h"

#include <string>
#include <string_view>

namespace ornibe {

// What "実行！" does: copies the CD into the work folder, applies the
// Service Pack, clears read-only attributes, integrates the drivers, enables
// Big Drive for Windows 2000 and writes the ISO image, logging every step
// into the page's log and stopping at the first failure it detects. The
// steps are the rows of buildSteps() (runner/steps/BuildSteps.h). The
// tools, Wine and the spare boot sector are looked for where tools says.
class BuildRunner {
public:
    BuildRunner(const BuildSettings& settings, const ConfirmData& data, BuildPage& page,
                ToolSearch tools);

    // Runs the whole build. On success shows "完成です！" and ends the page
    // with the quit code, or, when the log tells more than usual (see
    // BuildResults), says so under it and keeps the page for the log; on a
    // failure the page stays open with "< 戻る" enabled.
    void runBuild();

    // Logs the message and enables "< 戻る"; the build then stops.
    void reportFailure(std::string_view message);

    // The command lines as the log shows them (each value in plain double
    // quotes) and as they are run (each value quoted so that it reaches the
    // program as exactly one argument, whatever it holds).
    using CommandLine = StepCommand;
    CommandLine servicePackCommand() const;
    CommandLine cdImageCommand(const std::string& cdimage, const std::string& bootFile) const;

private:
    // Removes the half-written files that a killed build left in the work
    // folder, with a line only when there were any.
    void removeLeftovers();
    // Whether the build goes on after a step: false when the step failed,
    // and false with a line in the log when the user asked to stop.
    bool carryOn(bool stepSucceeded);

    const BuildSettings& settings_;
    const ConfirmData& data_;
    BuildPage& page_;
    ToolSearch tools_;
};

} // namespace ornibe
