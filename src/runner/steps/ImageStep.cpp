// The image step: the image tool writes the work folder as a bootable ISO
// image.

#include "runner/steps/BuildSteps.h"

#include "sys/CommandLine.h"
#include "sys/HostPath.h"
#include "sys/SearchPath.h"
#include "sys/Translation.h"

namespace ornibe {

std::string bootSectorFile(const ToolSearch& tools, const std::string& workFolder) {
    // The boot sector file in the work folder's root wins over one that
    // ships with the tools.
    std::string inWorkFolder =
        existsAsFolder(workFolder) ? findFileInFolder(workFolder, "BOOTSECT.BIN") : std::string();
    return !inWorkFolder.empty() ? inWorkFolder : tools.findOnSearchPath("BOOTSECT.BIN");
}

StepCommand cdImageCommand(const BuildSettings& settings, const std::string& cdimage,
                           const std::string& bootFile) {
    const std::string& label = settings.GetVolumeLabel();
    const std::string& tree = settings.GetWorkFolder();
    const std::string& image = settings.GetIsoPath();
    return {shownQuoted(cdimage) + " -l" + shownQuoted(label) + " -h -n -m -o -x -b" +
                shownQuoted(bootFile) + " " + shownQuoted(tree) + " " + shownQuoted(image),
            quoteArgument(cdimage) + " -l" + quoteArgument(label) + " -h -n -m -o -x -b" +
                quoteArgument(bootFile) + " " + quoteArgument(tree) + " " + quoteArgument(image)};
}

bool imageStep(BuildContext& context) {
    context.log().append(translated("ISO イメージを作成しています。。。\r\n"));
    StepCommand command =
        cdImageCommand(context.settings, context.tools.findOnSearchPath("CDIMAGE.EXE"),
                       bootSectorFile(context.tools, context.settings.GetWorkFolder()));
    context.log().append(command.shown + "\r\n");
    if (Outcome outcome = context.runLogged(command.run); !outcome) {
        context.reportFailure(translated("\r\nISO イメージの作成に失敗しました\r\n") +
                              outcome.failure().line());
        return false;
    }
    context.log().append(translated("\r\n完了\r\n"));
    return true;
}

} // namespace ornibe
