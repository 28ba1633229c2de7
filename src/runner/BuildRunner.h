#pragma once

#include "runner/BuildPage.h"
#include "runner/BuildResults.h"
#include "runner/ConfirmData.h"
#include "runner/steps/BuildContext.h"
#include "settings/BuildSettings.h"
#include "sys/Failure.h"
#include "sys/SearchPath.h"

#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// The boot sector file that the image step takes: BOOTSECT.BIN in the work
// folder's root, else the one the tool search finds; empty when there is
// none.
std::string bootSectorFile(const ToolSearch& tools, const std::string& workFolder);

// What "実行！" does: copies the CD into the work folder, applies the
// Service Pack, clears read-only attributes, integrates the drivers, enables
// Big Drive for Windows 2000 and writes the ISO image, logging every step
// into the page's log and stopping at the first failure it detects. The
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
    bool makeIsoImage();
    // Checks the finished tree and its image; a problem found adds a line
    // under "検証", and only a setup file that no longer opens fails the
    // build.
    bool checkStage();
    // Whether the build goes on after a step: false when the step failed,
    // and false with a line in the log when the user asked to stop.
    bool carryOn(bool stepSucceeded);
    const BuildSettings& settings_;
    const ConfirmData& data_;
    BuildPage& page_;
    ToolSearch tools_;
    // What the steps hand each other.
    BuildContext context_;
};

} // namespace ornibe
