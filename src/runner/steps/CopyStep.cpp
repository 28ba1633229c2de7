// The copy step: the CD (a disc, an image or a folder) into the work
// folder, and its boot image beside it.

#include "runner/steps/BuildSteps.h"

#include "media/BootImage.h"
#include "source/Medium.h"
#include "sys/CaseLookup.h"
#include "sys/CopyTree.h"
#include "sys/Translation.h"

#include <atomic>
#include <memory>

namespace ornibe {
namespace {

// Writes the source's El Torito boot image as BOOTSECT.BIN in the work
// folder's root, or logs why it cannot.
void copyBootImage(BuildContext& context, const std::string& root) {
    // A Windows CD carries its boot image only in its boot catalog; it is
    // put where the image step looks first. Without one the build goes on
    // with whatever boot file the work folder or the tools hold. A folder
    // that is no mounted volume (a copy of a CD) has no catalog to read.
    std::string source = bootSourceOf(root);
    if (source.empty()) {
        return;
    }
    std::string target = entryPathNoCase(context.settings.GetWorkFolder(), "BOOTSECT.BIN");
    if (Outcome written = writeBootImage(source, target); written) {
        context.log().append(
            translated("ブートイメージ：%1 から BOOTSECT.BIN に書き出しました\r\n", {source}));
    } else {
        context.log().append(translated("ブートイメージ：%1 から取り出せません (%2)\r\n",
                                        {source, written.failure().line()}));
    }
}

} // namespace

bool copyStep(BuildContext& context) {
    context.log().append(translated("CD の内容を作業フォルダにコピーしています。。。"));
    std::string root = context.settings.getCdDriveRoot();
    std::atomic<bool> cancel{false};
    auto onProgress = [&](const CopyProgress& progress) {
        if (!context.page.copyProgress(progress.bytesDone, progress.bytesTotal, progress.filesDone,
                                       progress.filesTotal)) {
            cancel = true;
        }
    };
    // An image file or a disc read through its device is copied from its
    // own tree; a folder (a mounted volume, a copy of a CD) file by file.
    // The source is opened afresh: the disc may have changed since the
    // checks read it.
    const std::unique_ptr<Medium> source =
        Medium::open(root, [&context] { return context.page.stopRequested(); });
    context.page.copyProgressStarted();
    CopyResult result = source->copyTo(context.settings.GetWorkFolder(), onProgress, &cancel);
    context.page.copyProgressFinished();
    if (!result) {
        std::string message = translated("\r\nコピーに失敗しました");
        if (result.cancelled) {
            // The user stopped it (the cancel button, Escape, Ctrl+C). What
            // was copied stays; the next copy replaces it file by file.
            message += "\r\n" + stoppedByUser() + "\r\n" +
                       translated("%1 には途中までコピーしたファイルが残っています。"
                                  "CD を読み込む次のビルドで置き換えられます。",
                                  {context.settings.GetWorkFolder()});
        } else if (!result.failedPath.empty()) {
            message += "\r\n" + result.failedPath + ": " + result.reason;
        }
        context.reportFailure(message);
        return false;
    }
    context.log().append(translated("完了\r\n"));
    if (result.foldersUnset != 0) {
        // Beside the log, which stays as for any copy: the folders hold
        // their files, and setup never reads a folder's bits or times.
        context.note(translated(
            "アクセス権か日時を設定できなかったフォルダ：%1 個（最初は %2: %3）。"
            "中身はコピーしてあります。",
            {std::to_string(result.foldersUnset), result.unsetPath, result.unsetReason}));
    }
    // Links and device files are not reproduced: a link of a folder source
    // that leads out of it, and every link of an image, is left out with a
    // line, so that the work folder receives nothing from outside the CD.
    for (const std::string& entry : result.leftOut) {
        context.log().append(translated("コピーしなかったリンクなど：%1\r\n", {entry}));
    }
    copyBootImage(context, root);
    context.log().append("\r\n");
    return true;
}

} // namespace ornibe
