#include "runner/BuildRunner.h"

#include "check/TargetHardware.h"
#include "check/TreeCheck.h"
#include "check/TreeCheckText.h"
#include "inf/InfFile.h"
#include "inf/VersionCode.h"
#include "media/BootImage.h"
#include "media/IsoImageReader.h"
#include "runner/VirtioWinReport.h"
#include "runner/WineOutputFilter.h"
#include "runner/WorkFolderLock.h"
#include "runner/steps/BuildSteps.h"
#include "settings/CdDriveEntry.h"
#include "settings/PageCode.h"
#include "sys/CaseLookup.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/CopyTree.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/PendingFile.h"
#include "sys/SearchPath.h"
#include "sys/WindowsProgram.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

namespace ornibe {

std::string bootSectorFile(const ToolSearch& tools, const std::string& workFolder) {
    // The boot sector file in the work folder's root wins over one that
    // ships with the tools.
    std::string inWorkFolder =
        existsAsFolder(workFolder) ? findFileInFolder(workFolder, "BOOTSECT.BIN") : std::string();
    return !inWorkFolder.empty() ? inWorkFolder : tools.findOnSearchPath("BOOTSECT.BIN");
}

BuildRunner::BuildRunner(const BuildSettings& settings, const ConfirmData& data, BuildPage& page,
                         ToolSearch tools)
    : settings_(settings), data_(data), page_(page),
      tools_(std::move(tools)), context_{settings_, data_, page_, tools_, {}, {}} {}

void BuildRunner::reportFailure(std::string_view message) {
    reportBuildFailure(page_, message);
}

void BuildRunner::runBuild() {
    page_.setButtonEnabled(PageButton::Run, false);
    page_.setButtonEnabled(PageButton::Back, false);
    // The work folder is this build's alone until it ends: another build
    // on it would append to the same setup files and lose lines.
    FolderLock lock;
    if (Outcome locked = lockWorkFolder(lock, settings_.GetWorkFolder()); !locked) {
        reportFailure("\r\nビルドを始められませんでした\r\n" + locked.failure().reason);
        return;
    }
    page_.log().append("\r\nスタート！\r\n\r\n");
    // Without the lock (a file system that cannot lock) another build may
    // be writing its pending files right now: they stay.
    if (lock.held()) {
        removeLeftovers();
    }

    // Each step runs only when the one before it succeeded and nobody
    // asked to stop.
    bool finished = carryOn(settings_.GetCdDriveIndex() == 0 || copyStep(context_)) &&
                    carryOn(settings_.GetServicePackPath().empty() || servicePackStep(context_)) &&
                    carryOn(attributeStep(context_)) &&
                    carryOn(settings_.GetDriverInf(0).empty() || driverStep(context_)) &&
                    carryOn(settings_.pnpDriverInfList().empty() || pnpDriverStep(context_)) &&
                    carryOn(settings_.getAnswerFile().mode == AnswerFileFields::Mode::None ||
                            answerFileStep(context_)) &&
                    carryOn(settings_.GetBigDrive() == 0 || bigDriveStep(context_)) &&
                    carryOn(settings_.GetIsoPath().empty() || makeIsoImage());
    if (!finished) {
        return;
    }
    // The QEMU options come before the check, which matches the machine
    // they name against the finished tree.
    context_.results.qemuOptions =
        appendVirtioQemuOptions(settings_, data_.versionCode, data_.architecture, page_.log());
    if (!carryOn(checkStage())) {
        return;
    }
    page_.messageBox().show(finishedMessage(context_.results),
                            {MessageButtons::Ok, MessageIcon::Information, false});
    if (context_.results.empty()) {
        page_.endPage(PageCode::Quit);
    } else {
        page_.keepResults();
    }
}

BuildRunner::CommandLine BuildRunner::servicePackCommand() const {
    return ornibe::servicePackCommand(settings_, tools_);
}

void BuildRunner::removeLeftovers() {
    // Files that a killed build was writing stay under their hidden names;
    // nothing else removes them, and they hold what may be hundreds of MB.
    if (std::uint64_t removed = removeStalePendingFilesBelow(settings_.GetWorkFolder())) {
        page_.log().append("中断されたビルドが残した書きかけのファイルを " +
                           std::to_string(removed) + " 個削除しました。\r\n\r\n");
    }
}

BuildRunner::CommandLine BuildRunner::cdImageCommand(const std::string& cdimage,
                                                     const std::string& bootFile) const {
    const std::string& label = settings_.GetVolumeLabel();
    const std::string& tree = settings_.GetWorkFolder();
    const std::string& image = settings_.GetIsoPath();
    return {shownQuoted(cdimage) + " -l" + shownQuoted(label) + " -h -n -m -o -x -b" +
                shownQuoted(bootFile) + " " + shownQuoted(tree) + " " + shownQuoted(image),
            quoteArgument(cdimage) + " -l" + quoteArgument(label) + " -h -n -m -o -x -b" +
                quoteArgument(bootFile) + " " + quoteArgument(tree) + " " + quoteArgument(image)};
}

bool BuildRunner::makeIsoImage() {
    page_.log().append("ISO イメージを作成しています。。。\r\n");
    CommandLine command = cdImageCommand(tools_.findOnSearchPath("CDIMAGE.EXE"),
                                         bootSectorFile(tools_, settings_.GetWorkFolder()));
    page_.log().append(command.shown + "\r\n");
    if (Outcome outcome = context_.runLogged(command.run); !outcome) {
        reportFailure("\r\nISO イメージの作成に失敗しました\r\n" + outcome.failure().line());
        return false;
    }
    page_.log().append("\r\n完了\r\n");
    return true;
}

bool BuildRunner::checkStage() {
    // A work folder without the setup file holds no installation tree the
    // build made (nothing was read, nothing integrated): nothing to check.
    std::optional<std::string> setupFile = findFileNoCase(context_.i386Folder(), "TXTSETUP.SIF");
    if (!setupFile) {
        return true;
    }
    // A setup file that does not open fails the build only when the build
    // edited setup files. One the CD gave unreadable, the summary already
    // named; the tree is then no tree to check.
    const bool edited =
        !settings_.GetDriverInf(0).empty() ||
        (settings_.GetBigDrive() != 0 && data_.versionCode == VersionCode::Windows2000);
    if (!edited && !InfFile::read(*setupFile)) {
        return true;
    }
    // The image is written by a tool run in the work folder, so a relative
    // name is taken from there.
    std::string image = settings_.GetIsoPath();
    if (!image.empty()) {
        image = makeAbsolute(image, settings_.GetWorkFolder());
    }
    TreeCheckInput input{settings_.GetWorkFolder(), image, tools_, data_.versionCode, {}, 0};
    // Without a target machine of the user's, a virtio-win build is matched
    // against the QEMU machine its options name.
    std::string target = settings_.getTargetHardware();
    if (target.empty()) {
        target = virtioCheckMachine(settings_, data_.versionCode, data_.architecture).value_or("");
    }
    if (!target.empty()) {
        // The listing as the checks read it when the build started.
        Result<PciListing> listing = readTargetHardware(target);
        if (!listing) {
            page_.log().append(
                "\r\n検証\r\n対象のハードウェアを読めません: " + listing.failure().line() + "\r\n");
        } else {
            input.target = std::move(listing->devices);
            input.targetPassedOver = listing->passedOver;
        }
    }
    TreeCheckReport report = checkTree(input);
    std::string text = treeCheckLogText(report);
    if (edited && report.hasUnreadableSetupFile()) {
        reportFailure(text + "\r\n作業フォルダのセットアップファイルが開けなくなっています\r\n");
        return false;
    }
    page_.log().append(text);
    // The match against the QEMU machine of a virtio-win build goes with
    // its QEMU options; only the user's own target is a result of its own.
    context_.results.controllersReported = report.matched && !settings_.getTargetHardware().empty();
    for (const TreeFinding& finding : report.findings) {
        // The log leaves out the CD's own problems; so does the count.
        context_.results.problems +=
            finding.kind == TreeFinding::Kind::Problem && !finding.cdOwn ? 1 : 0;
    }
    return true;
}

bool BuildRunner::carryOn(bool stepSucceeded) {
    if (page_.stopRequested()) {
        reportFailure("\r\nビルドを中止しました。\r\n");
        return false;
    }
    return stepSucceeded;
}

} // namespace ornibe
