// The check step: the QEMU options of a virtio-win build, then the check
// of the finished tree and its image against the target machine.

#include "runner/steps/BuildSteps.h"

#include "check/TargetHardware.h"
#include "check/TreeCheck.h"
#include "check/TreeCheckText.h"
#include "inf/InfFile.h"
#include "runner/VirtioWinReport.h"
#include "sys/CaseLookup.h"
#include "sys/HostPath.h"

#include <optional>

namespace ornibe {

bool checkStep(BuildContext& context) {
    // The QEMU options come before the check, which matches the machine
    // they name against the finished tree.
    context.results.qemuOptions =
        appendVirtioQemuOptions(context.settings, context.data.target, context.log());
    // A work folder without the setup file holds no installation tree the
    // build made (nothing was read, nothing integrated): nothing to check.
    std::optional<std::string> setupFile = findFileNoCase(context.i386Folder(), "TXTSETUP.SIF");
    if (!setupFile) {
        return true;
    }
    // A setup file that does not open fails the build only when the build
    // edited setup files. One the CD gave unreadable, the summary already
    // named; the tree is then no tree to check.
    const bool edited = !context.settings.GetDriverInf(0).empty() ||
                        (context.settings.GetBigDrive() != 0 &&
                         context.data.target.version == WindowsVersion::Windows2000);
    if (!edited && !InfFile::read(*setupFile)) {
        return true;
    }
    // The image is written by a tool run in the work folder, so a relative
    // name is taken from there.
    std::string image = context.settings.GetIsoPath();
    if (!image.empty()) {
        image = makeAbsolute(image, context.settings.GetWorkFolder());
    }
    TreeCheckInput input{context.settings.GetWorkFolder(), image, context.tools,
                         context.data.target.version,      {},    0};
    input.cdModules = context.data.cdModules.get();
    // Without a target machine of the user's, a virtio-win build is matched
    // against the QEMU machine its options name.
    std::string target = context.settings.getTargetHardware();
    if (target.empty()) {
        target = virtioCheckMachine(context.settings, context.data.target).value_or("");
    }
    if (!target.empty()) {
        // The listing as the checks read it when the build started.
        Result<PciListing> listing = readTargetHardware(target, context.settings.inputSnapshots());
        if (!listing) {
            context.log().append(
                "\r\n検証\r\n対象のハードウェアを読めません: " + listing.failure().line() + "\r\n");
        } else {
            input.target = std::move(listing->devices);
            input.targetPassedOver = listing->passedOver;
        }
    }
    TreeCheckReport report = checkTree(input);
    std::string text = treeCheckLogText(report);
    if (edited && report.hasUnreadableSetupFile()) {
        context.reportFailure(text +
                              "\r\n作業フォルダのセットアップファイルが開けなくなっています\r\n");
        return false;
    }
    context.log().append(text);
    // The match against the QEMU machine of a virtio-win build goes with
    // its QEMU options; only the user's own target is a result of its own.
    context.results.controllersReported =
        report.matched && !context.settings.getTargetHardware().empty();
    for (const TreeFinding& finding : report.findings) {
        // The log leaves out the CD's own problems; so does the count.
        context.results.problems +=
            finding.kind == TreeFinding::Kind::Problem && !finding.cdOwn ? 1 : 0;
    }
    return true;
}

} // namespace ornibe
