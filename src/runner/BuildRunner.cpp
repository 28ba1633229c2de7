#include "runner/BuildRunner.h"

#include "runner/WorkFolderLock.h"
#include "runner/steps/BuildSteps.h"
#include "settings/PageCode.h"
#include "sys/PendingFile.h"
#include "sys/Translation.h"

#include <cstdint>

namespace ornibe {

BuildRunner::BuildRunner(const BuildSettings& settings, const ConfirmData& data, BuildPage& page,
                         ToolSearch tools)
    : settings_(settings), data_(data), page_(page), tools_(std::move(tools)) {}

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
        reportFailure(translated("\r\nビルドを始められませんでした\r\n") + locked.failure().reason);
        return;
    }
    page_.log().append(translated("\r\nスタート！\r\n\r\n"));
    // Without the lock (a file system that cannot lock) another build may
    // be writing its pending files right now: they stay.
    if (lock.held()) {
        removeLeftovers();
    }

    // Each step runs only when the ones before it succeeded and nobody
    // asked to stop; one the settings do not need writes nothing.
    BuildContext context{settings_, data_, page_, tools_, {}, {}};
    for (const BuildStep& step : buildSteps()) {
        if (!carryOn(!step.needed(context) || step.run(context))) {
            return;
        }
    }
    page_.messageBox().show(finishedMessage(context.results),
                            {MessageButtons::Ok, MessageIcon::Information, false});
    if (context.results.empty()) {
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
        page_.log().append(
            translated("中断されたビルドが残した書きかけのファイルを %1 個削除しました。\r\n\r\n",
                       {std::to_string(removed)}));
    }
}

BuildRunner::CommandLine BuildRunner::cdImageCommand(const std::string& cdimage,
                                                     const std::string& bootFile) const {
    return ornibe::cdImageCommand(settings_, cdimage, bootFile);
}

bool BuildRunner::carryOn(bool stepSucceeded) {
    if (page_.stopRequested()) {
        reportFailure(translated("\r\nビルドを中止しました。\r\n"));
        return false;
    }
    return stepSucceeded;
}

} // namespace ornibe
