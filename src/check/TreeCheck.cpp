#include "check/TreeCheck.h"

#include "check/CheckedTree.h"
#include "check/DriverLoadCheck.h"
#include "check/HardwareIdsDatabase.h"
#include "check/ServiceOrigin.h"
#include "check/TreeCheckParts.h"
#include "source/EditionTags.h"
#include "source/Medium.h"
#include "source/TargetDetection.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/PathUnderRoot.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

#include <cstdio>
#include <span>

namespace ornibe {
namespace {

// The setup files a build edits besides TXTSETUP.SIF, each checked when
// the tree has it (plain or compressed).
constexpr std::string_view kEditedFiles[] = {"DOSNET.INF", "SVCPACK.INF", "HIVESYS.INF",
                                             "MSHDC.INF"};

// Opens a setup file of the tree: the open file, or nothing with the
// finding that says why it no longer opens; not open when it is not there.
InfFile openChecked(CheckedTree& tree, std::string_view name, TreeCheckReport& report) {
    std::optional<Result<InfFile, InfProblem>> read = tree.openSetupFile(name);
    if (!read) {
        return {};
    }
    if (!*read) {
        report.findings.push_back(
            {TreeFinding::Kind::Problem,
             translated("%1 を開けません: %2", {inSetupFolder(tree, name), read->failure().text()}),
             true});
        return {};
    }
    return **read;
}

// Windows setup reads TXTSETUP.SIF up to its first end-of-file byte 0x1A;
// whatever follows it is never read.
void checkEndOfFile(CheckedTree& tree, TreeCheckReport& report) {
    std::optional<std::string> path = tree.plainFile("TXTSETUP.SIF");
    if (!path) {
        return;
    }
    std::string bytes;
    try {
        bytes = readFile(*path);
    } catch (const FileError&) {
        return;
    }
    std::size_t end = bytes.find('\x1A');
    if (end != std::string::npos && end + 1 < bytes.size()) {
        report.problem(translated(
            "%1 の終わりの印 (0x1A) の後に %2 "
            "バイトあります。セットアップはそこを読みません。",
            {inSetupFolder(tree, "TXTSETUP.SIF"), std::to_string(bytes.size() - end - 1)}));
    }
}

void matchTarget(const InfFile& txtsetup, const ServiceOrigins& origins,
                 const std::vector<PciDevice>& devices, TreeCheckReport& report) {
    report.matched = true;
    std::vector<ControllerMatch> matches = matchControllers(devices, hardwareIdsDatabase(txtsetup));
    if (matches.empty()) {
        report.note(
            translated("対象のハードウェアにディスク コントローラ (PCI クラス 01) がありません。"));
    }
    for (ControllerMatch& match : matches) {
        if (match.service.empty()) {
            report.problem(translated("ディスク コントローラ %1 "
                                      "を引き受けるサービスがこのツリーにありません。"
                                      "テキストモード セットアップはこのディスクを見つけません。",
                                      {controllerName(match.device)}));
            continue;
        }
        std::string origin = origins.originOf(match.service);
        match.service = cp932ToUtf8(match.service);
        report.controllers.push_back({std::move(match), std::move(origin)});
    }
}

} // namespace

std::string controllerName(const PciDevice& device) {
    char ids[16];
    std::snprintf(ids, sizeof ids, "[%04x:%04x]", device.vendor & 0xFFFF, device.device & 0xFFFF);
    std::string name = device.slot;
    if (!device.name.empty()) {
        name += (name.empty() ? "" : " ") + device.name;
    }
    return name + (name.empty() ? "" : " ") + ids;
}

std::string controllerLine(const ControllerFinding& found) {
    const ControllerMatch& match = found.match;
    const std::string name = controllerName(match.device);
    const std::initializer_list<std::string_view> values = {name, match.service, found.origin,
                                                            match.matchedId};
    // A class-code ID is how the CD's own database binds every generic
    // IDE controller (PCI\CC_0101 = "pciide"): an ordinary match. The
    // vendor alone is not a way setup is documented to bind a driver.
    if (match.onlyCompatible && match.matchedId.find("CC_") == std::string::npos) {
        return translated("ディスク コントローラ %1: サービス %2（%3）、%4 "
                          "で一致。ベンダーだけの互換 ID による一致で、"
                          "テキストモード セットアップがこれで結び付けるかは文書にありません",
                          values);
    }
    return translated("ディスク コントローラ %1: サービス %2（%3）、%4 で一致", values);
}

bool TreeCheckReport::hasProblem() const {
    for (const TreeFinding& finding : findings) {
        if (finding.kind == TreeFinding::Kind::Problem) {
            return true;
        }
    }
    return false;
}

bool TreeCheckReport::hasUnreadableSetupFile() const {
    for (const TreeFinding& finding : findings) {
        if (finding.unreadable) {
            return true;
        }
    }
    return false;
}

TreeCheckReport checkTree(const TreeCheckInput& input) {
    TreeCheckReport report;
    CheckedTree tree(input);
    // Nothing is read outside the work folder: a setup folder that is a
    // link is not followed.
    if (RootedPath own = checkUnderRoot(tree.root(), tree.setupFolder()); !own) {
        report.problem(
            translated("%1 は読みません（%2）。", {tree.setupName(), own.failure().reason}));
        return report;
    }
    report.edition = editionText(
        Medium::open(input.workFolder)->folderNames("").value_or(std::vector<std::string>{}),
        tree.architecture());
    InfFile txtsetup = openChecked(tree, "TXTSETUP.SIF", report);
    if (!txtsetup.isOpen() && !report.hasUnreadableSetupFile()) {
        report.findings.push_back(
            {TreeFinding::Kind::Problem,
             translated("%1 がありません。", {inSetupFolder(tree, "TXTSETUP.SIF")}), true});
    }
    checkEndOfFile(tree, report);
    InfFile dosnet = openChecked(tree, kEditedFiles[0], report);
    InfFile svcpack = openChecked(tree, kEditedFiles[1], report);
    for (std::string_view name : std::span(kEditedFiles).subspan(2)) {
        openChecked(tree, name, report);
    }
    const ServiceOrigins origins(tree);
    // The text-mode and the Plug and Play drivers read the CD's modules
    // once between them, or none when the run read them before.
    CdModules ownModules;
    CdModules* modules = input.cdModules != nullptr ? input.cdModules : &ownModules;
    if (txtsetup.isOpen()) {
        checkStorageServices(tree, txtsetup, dosnet, origins, report);
        checkIntegratedDriverLoads(tree, txtsetup, origins, report, modules);
    }
    checkServicePackCatalogs(tree, svcpack, report);
    checkHotfixes(tree, svcpack, report);

    WindowsVersion version = input.version;
    if (version == WindowsVersion::Unknown && txtsetup.isOpen()) {
        // The CD's name in SourceDisksNames line 1 tells the version, as
        // for the summary.
        for (std::string_view section :
             {"SourceDisksNames", "SourceDisksNames.x86", "SourceDisksNames.amd64"}) {
            if (auto line = txtsetup.findFirstLine(section, "1")) {
                version =
                    detectTarget(txtsetup.stringField(*line, 1).value_or(""), Architecture::X86)
                        .version;
                break;
            }
        }
    }
    const std::vector<std::pair<std::string, std::string>> pnpFolders =
        checkAnswerFile(tree, version, report);
    if (txtsetup.isOpen()) {
        checkPnpDriverLoads(tree, txtsetup, pnpFolders, report, modules);
    }
    checkSetupCommands(tree, report);
    if (input.target && txtsetup.isOpen()) {
        matchTarget(txtsetup, origins, *input.target, report);
    }
    if (input.target && input.targetPassedOver != 0) {
        report.note(translated("対象のハードウェアの lspci の出力のうち、デバイスの記録でない "
                               "%1 行は読み飛ばしました。",
                               {std::to_string(input.targetPassedOver)}));
    }
    if (!input.isoPath.empty()) {
        checkImage(tree, input.isoPath, report);
    }
    if (!input.usbImagePath.empty()) {
        checkStickImage(tree, input.usbImagePath, input.tools, report);
    }
    return report;
}

} // namespace ornibe
