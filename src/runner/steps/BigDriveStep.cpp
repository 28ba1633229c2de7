// The Big Drive step: on Windows 2000, MSHDC.INF is patched so that setup
// enables 48-bit LBA for disks of 137 GB and more.

#include "runner/steps/BuildSteps.h"

#include "patch/SetupFileEditor.h"
#include "sys/FileError.h"
#include "sys/Translation.h"

namespace ornibe {

bool bigDriveStep(BuildContext& context) {
    ProgressLog& log = context.log();
    if (context.data.target.version != WindowsVersion::Windows2000) {
        log.append(translated("Windows2000 ではないので、Big Drive 対応化はされません。\r\n\r\n"));
        return true;
    }
    const std::string failure = translated("\r\nMSHDC.INF の修正に失敗しました");
    log.append(translated("\r\nMSHDC.INF を修正しています。。。"));
    try {
        SetupFileEditor editor(context.tools, context.i386Folder());
        if (Outcome patched = editor.PatchMshdc(); !patched) {
            context.reportFailure(withReason(failure, patched.failure()));
            return false;
        }
    } catch (const FileError& error) {
        context.reportFailure(withReason(failure, error));
        return false;
    }
    log.append(translated("完了\r\n"));
    log.append(translated("Big Drive 対応化が完了しました。\r\n\r\n"));
    return true;
}

} // namespace ornibe
