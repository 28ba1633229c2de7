#pragma once

#include "runner/BuildPage.h"
#include "runner/BuildResults.h"
#include "runner/ConfirmData.h"
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
    struct CommandLine {
        std::string shown;
        std::string run;
    };
    CommandLine servicePackCommand() const;
    CommandLine cdImageCommand(const std::string& cdimage, const std::string& bootFile) const;

private:
    // Removes the half-written files that a killed build left in the work
    // folder, with a line only when there were any.
    void removeLeftovers();
    bool copyCd();
    // Writes the source's El Torito boot image as BOOTSECT.BIN in the work
    // folder's root, or logs why it cannot.
    void copyBootImage(const std::string& root);
    bool applyServicePack();
    // Always true: the attribute tool's result never stops the build.
    bool clearReadOnly();
    bool driverStage();
    bool bigDriveStage();
    // Copies the Plug and Play drivers into $OEM$\$1\Drivers and notes
    // their folders for the answer file.
    bool pnpDriverStage();
    // What names a Plug and Play driver's INF in the record of its folders
    // the same from run to run.
    std::string recordKeyOf(const std::string& inf) const;
    // Writes the unattended installation's answer file into I386 when the
    // settings ask for one, and reads it back.
    bool answerFileStage();
    bool makeIsoImage();
    // Writes the USB stick image from the finished tree.
    bool makeUsbImage();
    // Checks the finished tree and its image; a problem found adds a line
    // under "検証", and only a setup file that no longer opens fails the
    // build.
    bool checkStage();
    // Runs a command line in the work folder with its output in the log
    // while the page stays alive; a failure, with the start failure or the
    // exit code, unless it started and ended with exit code 0. A stop asked
    // for meanwhile ends the child.
    Outcome runLogged(const std::string& commandLine);
    // A line beside the log (BuildPage::note), counted for the closing box.
    void note(const std::string& text);
    // Whether the build goes on after a step: false when the step failed,
    // and false with a line in the log when the user asked to stop.
    bool carryOn(bool stepSucceeded);
    // The setup folder of the work tree (I386, or AMD64 on an x64 tree),
    // in whatever letter case the tree has.
    std::string i386Folder() const;

    const BuildSettings& settings_;
    const ConfirmData& data_;
    BuildPage& page_;
    ToolSearch tools_;
    // The OemPnPDriversPath entries of the folders pnpDriverStage filled.
    std::vector<std::string> pnpEntries_;
    // What the finished build's log tells beyond the usual lines.
    BuildResults results_;
};

} // namespace ornibe
