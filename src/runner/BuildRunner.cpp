#include "runner/BuildRunner.h"

#include "app/CdDriveEntry.h"
#include "app/PageCode.h"
#include "sys/CaseLookup.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/CopyTree.h"
#include "sys/HostPath.h"
#include "sys/SearchPath.h"

#include <unistd.h>

#include <atomic>
#include <fstream>

namespace ornibe {
namespace {

std::string shownQuoted(std::string_view value) {
    return "\"" + std::string(value) + "\"";
}

// Windows programs run through Wine see the host's root as drive Z:.
std::string wineName(std::string_view hostPath) {
    std::string name = "Z:";
    for (char c : hostPath) {
        name += c == '/' ? '\\' : c;
    }
    return name;
}

// A Windows program begins with the two bytes "MZ".
bool isWindowsProgram(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char magic[2] = {};
    return in.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z';
}

} // namespace

BuildRunner::BuildRunner(const BuildSettings& settings, const ConfirmData& data, BuildPage& page)
    : settings_(settings), data_(data), page_(page) {}

void BuildRunner::reportFailure(std::string_view message) {
    page_.log().append(message);
    page_.setButtonEnabled(PageButton::Back, true);
}

std::string BuildRunner::i386Folder() const {
    return entryPathNoCase(settings_.GetWorkFolder(), "I386");
}

void BuildRunner::runBuild() {
    page_.setButtonEnabled(PageButton::Run, false);
    page_.setButtonEnabled(PageButton::Back, false);
    page_.log().append("\r\nスタート！\r\n\r\n");

    if (settings_.GetCdDriveIndex() != 0 && !copyCd()) {
        return;
    }
    if (!settings_.GetServicePackPath().empty() && !applyServicePack()) {
        return;
    }
    clearReadOnly();
    if (!driverStage() || !bigDriveStage()) {
        return;
    }
    if (!settings_.GetIsoPath().empty() && !makeIsoImage()) {
        return;
    }
    page_.messageBox().show("完成です！", {MessageButtons::Ok, MessageIcon::Information, false});
    page_.endPage(PageCode::Quit);
}

bool BuildRunner::copyCd() {
    page_.log().append("CD の内容を作業フォルダにコピーしています。。。");
    std::atomic<bool> cancel{false};
    page_.copyProgressStarted();
    CopyResult result = copyTree(
        cdDriveEntryRoot(settings_.GetCdDriveEntry()), settings_.GetWorkFolder(),
        [&](const CopyProgress& progress) {
            if (!page_.copyProgress(progress.bytesDone, progress.bytesTotal, progress.filesDone,
                                    progress.filesTotal)) {
                cancel = true;
            }
        },
        &cancel);
    page_.copyProgressFinished();
    if (!result) {
        std::string message = "\r\nコピーに失敗しました";
        if (!result.cancelled && !result.failedPath.empty()) {
            message += "\r\n" + result.failedPath + ": " + result.reason;
        }
        reportFailure(message);
        return false;
    }
    page_.log().append("完了\r\n");
    // A link of the CD that leads out of it is not copied: the work folder
    // receives nothing from outside the CD.
    for (const std::string& leftOut : result.leftOut) {
        page_.log().append("リンクをコピーしませんでした: " + leftOut + "\r\n");
    }
    page_.log().append("\r\n");
    return true;
}

BuildRunner::CommandLine BuildRunner::servicePackCommand() const {
    const std::string& installer = settings_.GetServicePackPath();
    std::string target = settings_.GetWorkFolder();
    std::string prefix;
    // A Windows installer runs through Wine when it cannot run by itself.
    if (isWindowsProgram(installer) && !findProgram("wine").empty()) {
        prefix = "wine ";
        target = wineName(target);
    }
    return {prefix + shownQuoted(installer) + " -s:" + shownQuoted(target),
            prefix + quoteArgument(installer) + " -s:" + quoteArgument(target)};
}

bool BuildRunner::applyServicePack() {
    page_.log().append("Service Pack を適用しています。。。\r\n");
    CommandLine command = servicePackCommand();
    page_.log().append(command.shown + "\r\n");
    if (!runLogged(command.run)) {
        reportFailure("\r\nService Pack 適用に失敗しました");
        return false;
    }
    page_.log().append("完了\r\n\r\n");
    return true;
}

void BuildRunner::clearReadOnly() {
    // The rest of the build runs in the work folder, as the tools expect;
    // neither this nor the attribute tool's result stops the build.
    if (chdir(settings_.GetWorkFolder().c_str()) != 0) {
        return;
    }
    ChildProcessRunner attrib("ATTRIB -R /S /D");
    attrib.run({}, [this] { page_.processEvents(); });
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
    // The boot sector file in the work folder's root (the current folder
    // now) wins over one that ships with the tools.
    std::string bootFile = findFileInFolder(settings_.GetWorkFolder(), "BOOTSECT.BIN");
    if (bootFile.empty()) {
        bootFile = findOnSearchPath("BOOTSECT.BIN");
    }
    CommandLine command = cdImageCommand(findOnSearchPath("CDIMAGE.EXE"), bootFile);
    page_.log().append(command.shown + "\r\n");
    if (!runLogged(command.run)) {
        reportFailure("\r\nISO イメージの作成に失敗しました");
        return false;
    }
    page_.log().append("\r\n完了\r\n");
    return true;
}

bool BuildRunner::runLogged(const std::string& commandLine) {
    ChildProcessRunner runner(commandLine);
    bool started = runner.run([this](std::string_view text) { page_.log().append(text); },
                              [this] { page_.processEvents(); });
    return started && runner.exitCode() == 0;
}

} // namespace ornibe
