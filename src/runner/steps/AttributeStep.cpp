// The attribute step: clears the read-only attribute of everything in the
// work folder, which a copy from a CD carries.

#include "runner/steps/BuildSteps.h"

#include "sys/ChildProcessRunner.h"
#include "sys/Translation.h"

namespace ornibe {

bool attributeStep(BuildContext& context) {
    // The attribute tool works below its current folder, the work folder;
    // its result never stops the build and leaves the log as it is. Why it
    // failed is a note beside the log.
    ChildProcessRunner attrib(context.tools, "ATTRIB -R /S /D");
    attrib.setWorkingFolder(context.settings.GetWorkFolder());
    attrib.setStopCheck([&context] { return context.page.stopRequested(); });
    if (Outcome ran = runQuietly(attrib, [&context] { context.page.processEvents(); });
        !ran && !attrib.stopped()) {
        context.note(translated("読み取り専用属性の解除に失敗しました（ビルドは続けます）: %1",
                                {ran.failure().line()}));
    }
    return true;
}

} // namespace ornibe
