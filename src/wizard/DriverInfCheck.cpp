#include "wizard/DriverInfCheck.h"

#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "inf/SetupArchitecture.h"
#include "source/DriverMedium.h"
#include "sys/CaseLookup.h"
#include "sys/CompressedName.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

#include <vector>

namespace ornibe {
namespace {

std::string windowsName(WindowsVersion version) {
    switch (version) {
    case WindowsVersion::Windows2000:
        return "Windows 2000";
    case WindowsVersion::WindowsXp:
        return "Windows XP";
    case WindowsVersion::Server2003:
        return "Windows Server 2003";
    case WindowsVersion::Unknown:
        break;
    }
    return "Windows";
}

// How far a driver INF got for one version: the higher, the nearer to a
// driver that text-mode setup can use.
enum class Stage { NoModel, NoMiniport, MissingFile, OutsideFolder, Usable };

struct VersionResult {
    Stage stage = Stage::NoModel;
    // The file that is missing or that leads out of the INF's folder, and
    // for the latter why.
    Failure problem;
};

VersionResult readFor(const InfReader& reader, WindowsVersion version) {
    DriverPackage package;
    reader.ReadDriverPackage(package, version);
    if (package.descriptionToService().empty()) {
        return {Stage::NoModel, {}};
    }
    if (package.serviceBinaries().size() == 0) {
        return {Stage::NoMiniport, {}};
    }
    // Staging's own lookups: what passes here is what it can place.
    if (std::optional<MediumProblem> problem = firstMediumProblem(package)) {
        return {problem->kind == MediumProblem::Kind::Refused ? Stage::OutsideFolder
                                                              : Stage::MissingFile,
                problem->failure};
    }
    return {Stage::Usable, {}};
}

} // namespace

Outcome validateDriverInf(const std::string& path, const WindowsTarget& target) {
    const std::string notAnInf = translated("%1 はドライバの INF ファイルではありません。", {path});
    InfReader reader(path);
    if (!reader.file().isOpen()) {
        // The parser's own words: the line and what is wrong there, the
        // limit the file passes, or why it cannot be read.
        return Failure::refusal(notAnInf, path, reader.problem().text());
    }
    reader.setArchitecture(target.architecture);
    if (Outcome fits = judgeInfArchitecture(reader, target); !fits) {
        return fits;
    }

    // Without a known version a driver for any of the three passes; the
    // refusal then tells how far the best of them got.
    const bool known = target.version != WindowsVersion::Unknown;
    std::vector<WindowsVersion> versions =
        known ? std::vector<WindowsVersion>{target.version}
              : std::vector<WindowsVersion>{WindowsVersion::WindowsXp, WindowsVersion::Windows2000,
                                            WindowsVersion::Server2003};
    VersionResult best;
    for (WindowsVersion candidate : versions) {
        VersionResult result = readFor(reader, candidate);
        if (result.stage == Stage::Usable) {
            return {};
        }
        if (candidate == versions.front() || result.stage > best.stage) {
            best = result;
        }
    }

    const std::string noDriver = translated(
        "%1 にはテキストモードセットアップで使えるストレージドライバがありません。", {path});
    switch (best.stage) {
    case Stage::NoModel:
        return Failure::refusal(
            noDriver, path,
            known ? translated("%1 用のモデルがありません。", {windowsName(target.version)})
                  : translated("どの Windows 用のモデルもありません。"));
    case Stage::NoMiniport: {
        // Models for this architecture that lead to no service, in an INF
        // whose models for the other architecture have one: a driver for
        // the other architecture only, with a stub for this one.
        const Architecture architecture = target.architecture;
        const Architecture other =
            architecture == Architecture::Amd64 ? Architecture::X86 : Architecture::Amd64;
        InfReader otherReader(path);
        otherReader.setArchitecture(other);
        if (known && otherReader.file().isOpen() &&
            readFor(otherReader, target.version).stage > Stage::NoMiniport) {
            return Failure::refusal(
                architecture == Architecture::Amd64
                    ? translated("%1 は x64（AMD64）のツリーには組み込めません。", {path})
                    : translated("%1 は x86（I386）のツリーには組み込めません。", {path}),
                path,
                translated("%1 のモデルのインストール セクションに SCSI Miniport "
                           "のサービスがありません。サービスがあるのは %2 のモデルだけです。",
                           {modelsDecoration(architecture), modelsDecoration(other)}));
        }
        std::string reason = translated("読み込み順序グループ（LoadOrderGroup）が SCSI Miniport "
                                        "のサービスがありません。");
        if (std::optional<InfPosition> line = reader.file().findFirstLine("Version", "Class")) {
            reason += translated("（クラス: %1）", {cp932ToUtf8(reader.GetField(*line, 1))});
        }
        return Failure::refusal(noDriver, path, reason);
    }
    case Stage::MissingFile:
        return Failure::refusal(noDriver, path,
                                translated("%1 が見つかりません。", {best.problem.path}));
    case Stage::OutsideFolder:
        return Failure::refusal(translated("%1 のドライバは組み込めません。", {path}), path,
                                translated("INF が指すファイルが INF のフォルダの外にあるか、"
                                           "途中にリンクがあります（%1）。INF "
                                           "と同じフォルダの中のファイルだけを使います。",
                                           {best.problem.line()}));
    case Stage::Usable:
        break;
    }
    return {};
}

} // namespace ornibe
