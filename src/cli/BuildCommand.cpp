#include "cli/BuildCommand.h"

#include "cli/AnswerFileOptions.h"
#include "cli/CommandLineForm.h"
#include "cli/TerminalBuildPage.h"
#include "cli/TerminalMessages.h"
#include "cli/TerminalText.h"
#include "media/SystemDriveSource.h"
#include "runner/ConfirmData.h"
#include "runner/UnexpectedFailure.h"
#include "settings/BuildSettings.h"
#include "source/F6Source.h"
#include "source/Medium.h"
#include "source/VirtioWinFolders.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "wizard/BuildHooks.h"
#include "wizard/PnpDriverCheck.h"
#include "wizard/SettingsChecks.h"
#include "wizard/SetupAdditionsCheck.h"

#include <unistd.h>

#include <cstdio>

namespace ornibe {
namespace {

void printError(const std::string& text) {
    std::fprintf(stderr, "ornibe-build: %s\n", text.c_str());
}

// Whether path names a medium at all: an image (read only later) or a
// folder that is there.
bool isMedium(const std::string& path) {
    const std::unique_ptr<Medium> medium = Medium::open(path);
    return medium->isImage() || medium->readable();
}

// A virtio-win medium that is a folder or an image, and only known driver
// names to take from it.
bool virtioWinUsable(const CommandOptions& options) {
    if (!options.virtioWinOnly.empty() && options.virtioWin.empty()) {
        printError(terminalText(TerminalText::NeedsOption, {"--virtio-win-only", "--virtio-win"}));
        return false;
    }
    if (options.virtioWin.empty()) {
        return true;
    }
    const std::string path = makeAbsolute(options.virtioWin);
    if (!isMedium(path)) {
        printError(terminalText(TerminalText::VirtioWinNotMedium, {options.virtioWin}));
        return false;
    }
    if (!options.virtioWinOnly.empty() && virtioWinOnlyNames(options.virtioWinOnly).empty()) {
        printError(terminalText(TerminalText::VirtioWinOnlyEmpty));
        return false;
    }
    for (const std::string& name : virtioWinOnlyNames(options.virtioWinOnly)) {
        if (virtioWinKind(name) == nullptr) {
            printError(terminalText(TerminalText::VirtioWinOnlyUnknown, {name}));
            return false;
        }
    }
    return true;
}

// What the wizard cannot be given: a source that is no folder, or a
// driver INF that cannot be read. The checks on "次へ >" see the rest.
bool argumentsUsable(const CommandOptions& options) {
    if (options.source.empty()) {
        // Taken as a path, it would name the current folder.
        printError(terminalText(TerminalText::SourceEmpty));
        return false;
    }
    if (options.source != "none") {
        std::string source = makeAbsolute(options.source);
        if (!isMedium(source)) {
            printError(terminalText(TerminalText::SourceNotUsable, {options.source}));
            return false;
        }
    }
    for (const std::string& inf : options.drivers) {
        std::string path = makeAbsolute(inf);
        if (existsAsFolder(path) ? !folderHoldsTxtsetupOem(path)
                                 : !existsAsFile(path) || ::access(path.c_str(), R_OK) != 0) {
            printError(terminalText(TerminalText::DriverNotUsable, {inf}));
            return false;
        }
    }
    for (const std::string& inf : options.pnpDrivers) {
        std::string path = makeAbsolute(inf);
        if (!existsAsFile(path) || ::access(path.c_str(), R_OK) != 0) {
            printError(terminalText(TerminalText::PnpDriverNotReadable, {inf}));
            return false;
        }
    }
    if (!virtioWinUsable(options)) {
        return false;
    }
    // Setup copies $OEM$ and reads OemPnPDriversPath only when it installs
    // unattended.
    if (!options.pnpDrivers.empty() && !options.unattended && options.answerFile.empty()) {
        printError(pnpDriversNeedAnswerFile());
        printError(terminalText(TerminalText::PnpDriverNeedsAnswerFile));
        return false;
    }
    // Setup copies $OEM$, runs cmdlines.txt and reads [GuiRunOnce] only
    // when it installs unattended.
    const bool additionsNeedAnswerFile = !options.oemFiles.empty() || !options.runAtSetup.empty() ||
                                         !options.runAtFirstLogon.empty();
    if (additionsNeedAnswerFile && !options.unattended && options.answerFile.empty()) {
        printError(setupAdditionsNeedAnswerFile());
        printError(terminalText(TerminalText::SetupAdditionsNeedAnswerFile));
        return false;
    }
    return true;
}

} // namespace

int runBuildCommand(const CommandOptions& given, const std::function<bool()>& stopRequested,
                    const ToolSearch& tools) {
    if (!argumentsUsable(given)) {
        return kExitRefused;
    }
    // The files to write are named as every command names them: a relative
    // name is taken from the current folder (the wizard takes an image
    // name from the work folder).
    CommandOptions options = given;
    for (std::string* path : {&options.isoPath, &options.usbImage, &options.usbDevice,
                              &options.logFile, &options.answerFile}) {
        if (!path->empty()) {
            *path = makeAbsolute(*path);
        }
    }

    BuildSettings settings;
    settings.setAnswerFile(answerFileFieldsOf(options));
    SystemDriveSource drives;
    TerminalMessages messages(stderr, options.yes);
    CommandLineForm form(options, drives);
    SettingsChecks checks(settings, drives, messages, tools, bytesFree, options.logFile);
    checks.setHeadless(true);
    checks.setStopCheck(stopRequested);
    if (!checks.OnOK(form)) {
        // A stop during the checks is no refusal of the input.
        return stopRequested() ? kExitFailed : kExitRefused;
    }

    TerminalBuildPage::Options pageOptions;
    pageOptions.showProgress = !options.quiet && ::isatty(STDERR_FILENO);
    if (!settings.GetIsoPath().empty()) {
        // The image tool runs in the work folder: a relative name is there.
        pageOptions.isoPath = makeAbsolute(settings.GetIsoPath(), settings.GetWorkFolder());
    }
    pageOptions.stopRequested = stopRequested;
    TerminalBuildPage page(std::move(pageOptions));

    ConfirmData data;
    data.source = checks.source();
    data.cdModules = checks.cdModules();
    ConfirmPageHooks hooks = buildHooks(settings, data, tools);
    // The edition stands beside the log, not in it: on standard error.
    printError(hooks.editionLine());
    runPageHook(hooks.writeSummary, page);
    if (!stopRequested()) {
        runPageHook(hooks.runBuild, page);
    }

    int status = page.endedWith() == 0 && !stopRequested() ? kExitFinished : kExitFailed;
    if (!options.logFile.empty()) {
        try {
            writeFileAtomic(options.logFile, page.memoryLog().text());
        } catch (const FileError& error) {
            printError(terminalText(TerminalText::LogNotWritten, {error.what()}));
            status = kExitFailed;
        }
    }
    return status;
}

} // namespace ornibe
