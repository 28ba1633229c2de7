#include "runner/BuildRunner.h"

#include "check/TargetHardware.h"
#include "check/TreeCheck.h"
#include "check/TreeCheckText.h"
#include "inf/InfFile.h"
#include "inf/VersionCode.h"
#include "media/BootImage.h"
#include "runner/VirtioWinReport.h"
#include "runner/WineOutputFilter.h"
#include "runner/WorkFolderLock.h"
#include "settings/CdDriveEntry.h"
#include "settings/PageCode.h"
#include "source/Medium.h"
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

// Wine keeps its prefix in WINEPREFIX, or in ~/.wine by default; making it
// takes 10 to 15 seconds the first time.
std::string winePrefix(const HostEnvironment& environment) {
    if (std::optional<std::string> prefix = environment.nonEmpty("WINEPREFIX")) {
        return *prefix;
    }
    return environment.value("HOME").value_or("") + "/.wine";
}

// Every file under a folder with its size and time of last change, links
// not followed: what tells whether a step changed anything there.
using FolderStamp = std::map<std::string, std::pair<std::uintmax_t, std::int64_t>>;

FolderStamp folderStamp(const std::string& folder) {
    namespace fs = std::filesystem;
    FolderStamp stamp;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code statError;
        fs::file_status status = it->symlink_status(statError);
        if (statError || !fs::is_regular_file(status)) {
            continue;
        }
        std::uintmax_t size = it->file_size(statError);
        auto time = it->last_write_time(statError);
        stamp[it->path().string()] = {statError ? 0 : size,
                                      statError ? 0 : time.time_since_epoch().count()};
    }
    return stamp;
}

} // namespace

std::string bootSectorFile(const ToolSearch& tools, const std::string& workFolder) {
    // The boot sector file in the work folder's root wins over one that
    // ships with the tools.
    std::string inWorkFolder =
        existsAsFolder(workFolder) ? findFileInFolder(workFolder, "BOOTSECT.BIN") : std::string();
    return !inWorkFolder.empty() ? inWorkFolder : tools.findOnSearchPath("BOOTSECT.BIN");
}

BuildRunner::BuildRunner(const BuildSettings& settings, const ConfirmData& data, BuildPage& page,
                         ToolSearch tools)
    : settings_(settings), data_(data), page_(page), tools_(std::move(tools)) {}

void BuildRunner::reportFailure(std::string_view message) {
    page_.log().append(message);
    page_.setButtonEnabled(PageButton::Back, true);
}

std::string BuildRunner::i386Folder() const {
    return entryPathNoCase(settings_.GetWorkFolder(),
                           std::string(setupFolderName(data_.architecture)));
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
    bool finished = carryOn(settings_.GetCdDriveIndex() == 0 || copyCd()) &&
                    carryOn(settings_.GetServicePackPath().empty() || applyServicePack()) &&
                    carryOn(clearReadOnly()) && carryOn(driverStage()) &&
                    carryOn(pnpDriverStage()) && carryOn(answerFileStage()) &&
                    carryOn(bigDriveStage()) &&
                    carryOn(settings_.GetIsoPath().empty() || makeIsoImage());
    if (!finished) {
        return;
    }
    // The QEMU options come before the check, which matches the machine
    // they name against the finished tree.
    results_.qemuOptions =
        appendVirtioQemuOptions(settings_, data_.versionCode, data_.architecture, page_.log());
    if (!carryOn(checkStage())) {
        return;
    }
    page_.messageBox().show(finishedMessage(results_),
                            {MessageButtons::Ok, MessageIcon::Information, false});
    if (results_.empty()) {
        page_.endPage(PageCode::Quit);
    } else {
        page_.keepResults();
    }
}

void BuildRunner::note(const std::string& text) {
    page_.note(text);
    ++results_.notes;
}

void BuildRunner::removeLeftovers() {
    // Files that a killed build was writing stay under their hidden names;
    // nothing else removes them, and they hold what may be hundreds of MB.
    if (std::uint64_t removed = removeStalePendingFilesBelow(settings_.GetWorkFolder())) {
        page_.log().append("中断されたビルドが残した書きかけのファイルを " +
                           std::to_string(removed) + " 個削除しました。\r\n\r\n");
    }
}

bool BuildRunner::copyCd() {
    page_.log().append("CD の内容を作業フォルダにコピーしています。。。");
    std::string root = settings_.getCdDriveRoot();
    std::atomic<bool> cancel{false};
    auto onProgress = [&](const CopyProgress& progress) {
        if (!page_.copyProgress(progress.bytesDone, progress.bytesTotal, progress.filesDone,
                                progress.filesTotal)) {
            cancel = true;
        }
    };
    // An image file or a disc read through its device is copied from its
    // own tree; a folder (a mounted volume, a copy of a CD) file by file.
    // The source is opened afresh: the disc may have changed since the
    // checks read it.
    const std::unique_ptr<Medium> source =
        Medium::open(root, [this] { return page_.stopRequested(); });
    page_.copyProgressStarted();
    CopyResult result = source->copyTo(settings_.GetWorkFolder(), onProgress, &cancel);
    page_.copyProgressFinished();
    if (!result) {
        std::string message = "\r\nコピーに失敗しました";
        if (result.cancelled) {
            // The user stopped it (the cancel button, Escape, Ctrl+C). What
            // was copied stays; the next copy replaces it file by file.
            message += std::string("\r\n") + kStoppedByUser + "\r\n" + settings_.GetWorkFolder() +
                       " には途中までコピーしたファイルが残っています。"
                       "CD を読み込む次のビルドで置き換えられます。";
        } else if (!result.failedPath.empty()) {
            message += "\r\n" + result.failedPath + ": " + result.reason;
        }
        reportFailure(message);
        return false;
    }
    page_.log().append("完了\r\n");
    if (result.foldersUnset != 0) {
        // Beside the log, which stays as for any copy: the folders hold
        // their files, and setup never reads a folder's bits or times.
        note("アクセス権か日時を設定できなかったフォルダ：" + std::to_string(result.foldersUnset) +
             " 個（最初は " + result.unsetPath + ": " + result.unsetReason +
             "）。中身はコピーしてあります。");
    }
    // Links and device files are not reproduced: a link of a folder source
    // that leads out of it, and every link of an image, is left out with a
    // line, so that the work folder receives nothing from outside the CD.
    for (const std::string& entry : result.leftOut) {
        page_.log().append("コピーしなかったリンクなど：" + entry + "\r\n");
    }
    copyBootImage(root);
    page_.log().append("\r\n");
    return true;
}

void BuildRunner::copyBootImage(const std::string& root) {
    // A Windows CD carries its boot image only in its boot catalog; it is
    // put where the image step looks first. Without one the build goes on
    // with whatever boot file the work folder or the tools hold. A folder
    // that is no mounted volume (a copy of a CD) has no catalog to read.
    std::string source = bootSourceOf(root);
    if (source.empty()) {
        return;
    }
    std::string target = entryPathNoCase(settings_.GetWorkFolder(), "BOOTSECT.BIN");
    if (Outcome written = writeBootImage(source, target); written) {
        page_.log().append("ブートイメージ：" + source + " から BOOTSECT.BIN に書き出しました\r\n");
    } else {
        page_.log().append("ブートイメージ：" + source + " から取り出せません (" +
                           written.failure().line() + ")\r\n");
    }
}

BuildRunner::CommandLine BuildRunner::servicePackCommand() const {
    const std::string& installer = settings_.GetServicePackPath();
    std::string target = settings_.GetWorkFolder();
    std::string prefix;
    // A Windows installer runs through Wine when it cannot run by itself.
    if (startsWithMz(installer) && !tools_.findProgram("wine").empty()) {
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
    const bool throughWine = command.run.starts_with("wine ");
    if (throughWine && !existsAsFolder(winePrefix(tools_.environment()))) {
        page_.log().append("Wine の初期設定をしています（初回は 10～15 秒かかります）。。。\r\n");
    }

    const std::string failed = "\r\nService Pack 適用に失敗しました\r\n";
    const std::string i386 = i386Folder();
    // The installer writes into the work folder's own setup folder, never
    // where a link of that name leads.
    try {
        refuseLink("open", i386);
    } catch (const FileError& error) {
        reportFailure(failed + Failure::fromFileError(error).line());
        return false;
    }
    const FolderStamp before = folderStamp(i386);
    ChildProcessRunner runner(tools_, command.run);
    runner.setStopCheck([this] { return page_.stopRequested(); });
    WineOutputFilter filter;
    runner.run(
        [&](std::string_view text) {
            page_.log().append(throughWine ? filter.feed(text) : std::string(text));
        },
        [this] { page_.processEvents(); });
    page_.log().append(filter.finish());

    if (Outcome ran = runner.outcome(); !ran) {
        Failure failure = ran.failure();
        // A run that started names the installer the user chose, not the
        // Wine that ran it; a start failure names the program itself.
        if (!failure.path.empty()) {
            failure.path = settings_.GetServicePackPath();
        }
        reportFailure(failed + failure.line());
        return false;
    }
    // A 32-bit installer under a Wine without its 32-bit part crashes and
    // still ends with exit code 0; a Service Pack always changes I386.
    if (folderStamp(i386) == before) {
        reportFailure(failed + Failure{"run", i386,
                                       "インストーラは終了コード 0 で終わりましたが、"
                                       "この中のファイルは何も変わっていません。"}
                                   .line());
        return false;
    }
    page_.log().append("完了\r\n\r\n");
    return true;
}

bool BuildRunner::clearReadOnly() {
    // The attribute tool works below its current folder, the work folder;
    // its result never stops the build and leaves the log as it is. Why it
    // failed is a note beside the log.
    ChildProcessRunner attrib(tools_, "ATTRIB -R /S /D");
    attrib.setWorkingFolder(settings_.GetWorkFolder());
    attrib.setStopCheck([this] { return page_.stopRequested(); });
    if (Outcome ran = runQuietly(attrib, [this] { page_.processEvents(); });
        !ran && !attrib.stopped()) {
        note("読み取り専用属性の解除に失敗しました（ビルドは続けます）: " + ran.failure().line());
    }
    return true;
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
    if (Outcome outcome = runLogged(command.run); !outcome) {
        reportFailure("\r\nISO イメージの作成に失敗しました\r\n" + outcome.failure().line());
        return false;
    }
    page_.log().append("\r\n完了\r\n");
    return true;
}

bool BuildRunner::checkStage() {
    // A work folder without the setup file holds no installation tree the
    // build made (nothing was read, nothing integrated): nothing to check.
    std::optional<std::string> setupFile = findFileNoCase(i386Folder(), "TXTSETUP.SIF");
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
        Result<PciListing> listing = readTargetHardware(target, settings_.inputSnapshots());
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
    results_.controllersReported = report.matched && !settings_.getTargetHardware().empty();
    for (const TreeFinding& finding : report.findings) {
        // The log leaves out the CD's own problems; so does the count.
        results_.problems += finding.kind == TreeFinding::Kind::Problem && !finding.cdOwn ? 1 : 0;
    }
    return true;
}

Outcome BuildRunner::runLogged(const std::string& commandLine) {
    // Tools run in the work folder, so that a relative image name is taken
    // from there, as it always was.
    ChildProcessRunner runner(tools_, commandLine);
    runner.setWorkingFolder(settings_.GetWorkFolder());
    runner.setStopCheck([this] { return page_.stopRequested(); });
    runner.run([this](std::string_view text) { page_.log().append(text); },
               [this] { page_.processEvents(); });
    return runner.outcome();
}

bool BuildRunner::carryOn(bool stepSucceeded) {
    if (page_.stopRequested()) {
        reportFailure("\r\nビルドを中止しました。\r\n");
        return false;
    }
    return stepSucceeded;
}

} // namespace ornibe
