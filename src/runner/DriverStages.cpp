// The driver stage and the Big Drive stage of the build: they stand between
// the attribute step and the ISO image.

#include "runner/BuildRunner.h"

#include "inf/VersionCode.h"
#include "patch/SetupFileEditor.h"
#include "runner/DriverStaging.h"
#include "runner/F6Summary.h"
#include "sys/FileError.h"

namespace ornibe {
bool BuildRunner::driverStage() {
    if (settings_.GetDriverInf(0).empty()) {
        return true;
    }
    ProgressLog& log = page_.log();
    const std::string i386 = context_.i386Folder();
    // The failure message of the step under way, for a file error.
    std::string_view failure = "ファイルコピーに失敗しました";
    // A driver INF may only name files inside its own folder: one that
    // names a path leading out of it would put that file into the CD.
    if (!data_.package.refusedPaths().empty()) {
        reportFailure(withReason(failure, data_.package.refusedPaths().front()));
        return false;
    }
    for (const DriverEntryChoice& choice : settings_.getDriverEntries()) {
        log.append("ドライバディスクの項目 " + driverEntryText(choice.source, choice.id) +
                   " を組み込みます。\r\n");
    }
    try {
        if (Outcome staged = stageDriverFiles(
                tools_, i386, data_.package, log, [this] { return page_.stopRequested(); },
                [this] { page_.processEvents(); });
            !staged) {
            // A stop is reported as every step's stop is.
            if (page_.stopRequested()) {
                return false;
            }
            reportFailure(withReason(failure, staged.failure()));
            return false;
        }
        failure = "\r\nTXTSETUP.SIF の修正に失敗しました";
        SetupFileEditor editor(tools_, i386, data_.package, data_.versionCode, data_.buildNumber);
        editor.setArchitecture(data_.architecture);
        log.append("\r\nTXTSETUP.SIF を修正しています。。。");
        editor.IntegrateTxtsetup();
        log.append("完了\r\n");
        // An x64 tree lists the driver's files in DOSNET.INF as well.
        const bool listsFiles = data_.architecture == Architecture::Amd64;
        if (listsFiles && data_.package.GetCatalogFile(0).empty()) {
            failure = "\r\nDOSNET.INF の修正に失敗しました";
            log.append("DOSNET.INF を修正しています。。。");
            editor.PatchDosnet();
            log.append("完了\r\n");
        }
        if (!data_.package.GetCatalogFile(0).empty()) {
            failure = "\r\nDOSNET.INF の修正に失敗しました";
            log.append("DOSNET.INF を修正しています。。。");
            editor.PatchDosnet();
            failure = "\r\nSVCPACK.INF の修正に失敗しました";
            log.append("完了\r\nSVCPACK.INF を修正しています。。。");
            if (Outcome patched = editor.PatchSvcpack(); !patched) {
                reportFailure(withReason(failure, patched.failure()));
                return false;
            }
            log.append("完了\r\n");
        }
        if (!data_.package.serviceValues().empty()) {
            failure = "\r\nHIVESYS.INF の修正に失敗しました";
            log.append("HIVESYS.INF を修正しています。。。");
            if (Outcome patched = editor.patchHivesys(); !patched) {
                reportFailure(withReason(failure, patched.failure()));
                return false;
            }
            log.append("完了\r\n");
        }
        log.append("ドライバの統合が完了しました。\r\n\r\n");
    } catch (const FileError& error) {
        reportFailure(withReason(failure, error));
        return false;
    }
    return true;
}

bool BuildRunner::bigDriveStage() {
    if (settings_.GetBigDrive() == 0) {
        return true;
    }
    ProgressLog& log = page_.log();
    if (data_.versionCode != VersionCode::Windows2000) {
        log.append("Windows2000 ではないので、Big Drive 対応化はされません。\r\n\r\n");
        return true;
    }
    const std::string_view failure = "\r\nMSHDC.INF の修正に失敗しました";
    log.append("\r\nMSHDC.INF を修正しています。。。");
    try {
        SetupFileEditor editor(tools_, context_.i386Folder());
        if (Outcome patched = editor.PatchMshdc(); !patched) {
            reportFailure(withReason(failure, patched.failure()));
            return false;
        }
    } catch (const FileError& error) {
        reportFailure(withReason(failure, error));
        return false;
    }
    log.append("完了\r\n");
    log.append("Big Drive 対応化が完了しました。\r\n\r\n");
    return true;
}

} // namespace ornibe
