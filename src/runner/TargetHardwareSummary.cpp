#include "runner/TargetHardwareSummary.h"

#include "check/HardwareIdsDatabase.h"
#include "check/TargetHardware.h"
#include "check/TreeCheck.h"
#include "inf/DriverPackage.h"
#include "sys/CaseFold.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

#include <set>

namespace ornibe {
namespace {

constexpr const char* kIndent = "\r\n      ";

} // namespace

void appendTargetHardwareSummary(const BuildSettings& settings, const InfFile& txtsetup,
                                 const DriverPackage& package, ProgressLog& log) {
    const std::string& target = settings.getTargetHardware();
    if (target.empty()) {
        return;
    }
    log.append(translated("\r\n\r\n対象のハードウェア：") + std::string(kIndent) + target);
    Result<PciListing> listing = readTargetHardware(target, settings.inputSnapshots());
    if (!listing) {
        log.append(kIndent + listing.failure().line());
        return;
    }
    if (std::string passed = passedOverText(*listing); !passed.empty()) {
        log.append(passed);
    }
    const std::vector<PciDevice>& devices = listing->devices;
    std::vector<std::pair<std::string, std::string>> ids = hardwareIdsDatabase(txtsetup);
    std::set<std::string> integrated;
    for (const auto& [id, service] : package.hardwareIdToService()) {
        ids.emplace_back(id, service);
        integrated.insert(foldSetupText(service));
    }
    std::vector<ControllerMatch> matches = matchControllers(devices, ids);
    if (matches.empty()) {
        log.append(std::string(kIndent) +
                   translated("ディスク コントローラ (PCI クラス 01) がありません"));
    }
    for (ControllerMatch& match : matches) {
        if (match.service.empty()) {
            log.append(kIndent +
                       translated("ディスク コントローラ %1: 引き受けるサービスがありません。"
                                  "テキストモード セットアップはこのディスクを見つけません",
                                  {controllerName(match.device)}));
            continue;
        }
        const std::string origin = integrated.contains(foldSetupText(match.service))
                                       ? translated("統合するドライバ")
                                       : translated("CD の標準ドライバ");
        match.service = cp932ToUtf8(match.service);
        log.append(kIndent + controllerLine({std::move(match), origin}));
    }
}

} // namespace ornibe
