// The driver step: the text-mode storage drivers of the driver INFs go
// into the setup folder, and the setup files that name them are patched.

#include "runner/steps/BuildSteps.h"

#include "patch/SetupFileEditor.h"
#include "runner/DriverStaging.h"
#include "runner/F6Summary.h"
#include "sys/FileError.h"
#include "sys/Translation.h"

namespace ornibe {

bool driverStep(BuildContext& context) {
    ProgressLog& log = context.log();
    const std::string i386 = context.i386Folder();
    // The failure message of the step under way, for a file error.
    std::string failure = translated("ファイルコピーに失敗しました");
    // A driver INF may only name files inside its own folder: one that
    // names a path leading out of it would put that file into the CD.
    if (!context.data.package.refusedPaths().empty()) {
        context.reportFailure(withReason(failure, context.data.package.refusedPaths().front()));
        return false;
    }
    for (const DriverEntryChoice& choice : context.settings.getDriverEntries()) {
        log.append(translated("ドライバディスクの項目 %1 を組み込みます。\r\n",
                              {driverEntryText(choice.source, choice.id)}));
    }
    try {
        if (Outcome staged = stageDriverFiles(
                context.tools, i386, context.data.package, log,
                [&context] { return context.page.stopRequested(); },
                [&context] { context.page.processEvents(); });
            !staged) {
            // A stop is reported as every step's stop is.
            if (context.page.stopRequested()) {
                return false;
            }
            context.reportFailure(withReason(failure, staged.failure()));
            return false;
        }
        failure = translated("\r\nTXTSETUP.SIF の修正に失敗しました");
        SetupFileEditor editor(context.tools, i386, context.data.package, context.data.target);
        log.append(translated("\r\nTXTSETUP.SIF を修正しています。。。"));
        editor.IntegrateTxtsetup();
        log.append(translated("完了\r\n"));
        // An x64 tree lists the driver's files in DOSNET.INF as well.
        const bool listsFiles = context.data.target.architecture == Architecture::Amd64;
        if (listsFiles && context.data.package.GetCatalogFile(0).empty()) {
            failure = translated("\r\nDOSNET.INF の修正に失敗しました");
            log.append(translated("DOSNET.INF を修正しています。。。"));
            editor.PatchDosnet();
            log.append(translated("完了\r\n"));
        }
        if (!context.data.package.GetCatalogFile(0).empty()) {
            failure = translated("\r\nDOSNET.INF の修正に失敗しました");
            log.append(translated("DOSNET.INF を修正しています。。。"));
            editor.PatchDosnet();
            failure = translated("\r\nSVCPACK.INF の修正に失敗しました");
            log.append(translated("完了\r\nSVCPACK.INF を修正しています。。。"));
            if (Outcome patched = editor.PatchSvcpack(); !patched) {
                context.reportFailure(withReason(failure, patched.failure()));
                return false;
            }
            log.append(translated("完了\r\n"));
        }
        if (!context.data.package.serviceValues().empty()) {
            failure = translated("\r\nHIVESYS.INF の修正に失敗しました");
            log.append(translated("HIVESYS.INF を修正しています。。。"));
            if (Outcome patched = editor.patchHivesys(); !patched) {
                context.reportFailure(withReason(failure, patched.failure()));
                return false;
            }
            log.append(translated("完了\r\n"));
        }
        log.append(translated("ドライバの統合が完了しました。\r\n\r\n"));
    } catch (const FileError& error) {
        context.reportFailure(withReason(failure, error));
        return false;
    }
    return true;
}

} // namespace ornibe
