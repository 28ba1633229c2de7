#include "wizard/DriverLoadStep.h"

#include "check/DriverLoadSources.h"
#include "check/TargetHardware.h"
#include "settings/BuildSettings.h"
#include "source/Medium.h"
#include "sys/HostPath.h"

namespace ornibe {
namespace {

constexpr MessageStyle kOk{MessageButtons::Ok, MessageIcon::None, false};
constexpr MessageStyle kGoOnQuestion{MessageButtons::YesNo, MessageIcon::Question, true};

} // namespace

bool checkDriverLoadSettings(const BuildSettings& settings, const DriverPackage& package,
                             const std::shared_ptr<const Medium>& cd, const WindowsTarget& target,
                             const ToolSearch& tools, CdModules* modules, MessageBox& messages,
                             bool headless, bool allowed) {
    const std::vector<LoadCheckDriver> drivers =
        settingsDriverBinaries(settings, target, tools, &package);
    if (drivers.empty() || !cd->readable()) {
        return true;
    }
    std::string reasons;
    std::string first;
    for (const DriverLoadFinding& finding : checkDriverLoadsIn(cd, tools, drivers, modules)) {
        for (const std::string& problem : finding.problems) {
            if (first.empty()) {
                first = finding.path;
            }
            reasons += "\n" + fileName(finding.path) + ": " + problem + "。";
        }
    }
    if (first.empty() || allowed) {
        return true;
    }
    const std::string text = "ドライバ " + first + " は、この CD では読み込めません。" + reasons;
    if (headless) {
        messages.show(text, kOk);
        return false;
    }
    return messages.show(text + "\n\nテキストモード セットアップはこのドライバを読み込めず、"
                                "ディスクを見つけられないかもしれません。CD をあとで補うなら"
                                "続けられます。組み込みますか？",
                         kGoOnQuestion) == MessageAnswer::Yes;
}

void appendDriverLoadSummary(const BuildSettings& settings, const DriverPackage& package,
                             const std::shared_ptr<const Medium>& cd, const WindowsTarget& target,
                             const ToolSearch& tools, CdModules* modules, ProgressLog& log) {
    if (!cd->readable()) {
        return;
    }
    std::string lines;
    const std::vector<LoadCheckDriver> drivers =
        settingsDriverBinaries(settings, target, tools, &package);
    for (const DriverLoadFinding& finding : checkDriverLoadsIn(cd, tools, drivers, modules)) {
        if (!finding.notAnImage) {
            lines += "\r\n      " + finding.summaryLine();
        }
    }
    std::vector<PciDevice> devices;
    if (!settings.getTargetHardware().empty()) {
        if (Result<PciListing> listing =
                readTargetHardware(settings.getTargetHardware(), settings.inputSnapshots())) {
            devices = listing->devices;
        }
    }
    for (const std::string& note :
         settingsDriverIdNotes(settings, package, cd, tools, target, devices)) {
        lines += "\r\n      " + note;
    }
    if (!lines.empty()) {
        log.append("ドライバの読み込み：" + lines + "\r\n\r\n");
    }
}

} // namespace ornibe
