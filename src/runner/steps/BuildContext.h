#pragma once

#include "runner/BuildPage.h"
#include "runner/BuildResults.h"
#include "runner/ConfirmData.h"
#include "settings/BuildSettings.h"
#include "sys/Failure.h"
#include "sys/FileError.h"
#include "sys/SearchPath.h"

#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// A command line as the log shows it (each value in plain double quotes)
// and as it is run (each value quoted so that it reaches the program as
// exactly one argument, whatever it holds).
struct StepCommand {
    std::string shown;
    std::string run;
};

// A value as a command line in the log shows it.
std::string shownQuoted(std::string_view value);

// Logs the message and enables "< 戻る"; the build then stops.
void reportBuildFailure(BuildPage& page, std::string_view message);

// A failing step's message and, on the next line, the path and the reason.
std::string withReason(std::string_view message, const Failure& failure);
std::string withReason(std::string_view message, const FileError& error);

// What the steps of one build share: what they read (the settings, what
// the confirmation page learnt, the page, where the tools are) and what a
// step hands a later one or the end of the build. One lives for one run of
// the steps.
struct BuildContext {
    const BuildSettings& settings;
    const ConfirmData& data;
    BuildPage& page;
    const ToolSearch& tools;
    // The OemPnPDriversPath entries of the folders the PnP driver step
    // filled, for the answer file.
    std::vector<std::string> pnpEntries;
    // What the finished build's log tells beyond the usual lines.
    BuildResults results;

    ProgressLog& log() const { return page.log(); }
    void reportFailure(std::string_view message) const { reportBuildFailure(page, message); }
    // A line beside the log (BuildPage::note), counted for the closing box.
    void note(const std::string& text);
    // Runs a command line in the work folder with its output in the log
    // while the page stays alive; a failure, with the start failure or the
    // exit code, unless it started and ended with exit code 0. A stop asked
    // for meanwhile ends the child.
    Outcome runLogged(const std::string& commandLine) const;
    // The setup folder of the work tree (I386, or AMD64 on an x64 tree),
    // in whatever letter case the tree has.
    std::string i386Folder() const;
};

} // namespace ornibe
