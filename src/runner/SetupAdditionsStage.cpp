// What setup is to run or copy besides drivers, in the build: the hotfix
// packages, then the user's $OEM$ files and the commands for T-12. The
// first-logon commands go with the answer file.

#include "runner/BuildRunner.h"
#include "runner/HotfixStage.h"
#include "runner/OemFilesStage.h"

namespace ornibe {
namespace {

std::string failureText(std::string_view heading, const Failure& failure) {
    std::string text = "\r\n" + std::string(heading) + "\r\n";
    if (!failure.headline.empty()) {
        text += failure.headline + "\r\n";
    }
    return text + failure.line();
}

} // namespace

bool BuildRunner::setupAdditionsStage() {
    const SetupAdditions& additions = settings_.getSetupAdditions();
    if (!additions.hotfixes.empty()) {
        Outcome added = runHotfixStage({additions.hotfixes, i386Folder(), tools_, data_.versionCode,
                                        data_.buildNumber, data_.architecture},
                                       page_.log());
        if (!added) {
            reportFailure(failureText("修正プログラムの追加に失敗しました", added.failure()));
            return false;
        }
    }
    if (!additions.oemFolder.empty() || !additions.setupCommands.empty()) {
        Outcome merged = runOemFilesStage(settings_.GetWorkFolder(), additions.oemFolder,
                                          additions.setupCommands, page_.log());
        if (!merged) {
            reportFailure(failureText("$OEM$ の書き込みに失敗しました", merged.failure()));
            return false;
        }
    }
    return true;
}

} // namespace ornibe
