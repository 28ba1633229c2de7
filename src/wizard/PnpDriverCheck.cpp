#include "wizard/PnpDriverCheck.h"

#include "answer/AnswerFileCheck.h"
#include "answer/PnpAnswerKeys.h"
#include "inf/InfReader.h"
#include "source/PnpDriverPackage.h"
#include "sys/CaseFold.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

namespace ornibe {
namespace {

constexpr MessageStyle kOk{MessageButtons::Ok, MessageIcon::None, false};
constexpr MessageStyle kYesNoQuestion{MessageButtons::YesNo, MessageIcon::Question, false};

std::string windowsName(WindowsVersion version) {
    switch (version) {
    case WindowsVersion::Windows2000:
        return "Windows 2000";
    case WindowsVersion::Server2003:
        return "Windows Server 2003";
    case WindowsVersion::WindowsXp:
    case WindowsVersion::Unknown:
        break;
    }
    return "Windows XP";
}

// The architectures other than x86 that the Manufacturer section's
// decorations name ("NTamd64", "NTia64"), in the order they first appear;
// empty when every decoration is for x86 or any architecture.
std::string otherArchitectures(const InfReader& reader) {
    std::string names;
    const InfFile& file = reader.file();
    for (std::optional<InfPosition> line = file.findFirstLine("Manufacturer"); line;
         line = file.findNextLine(*line)) {
        for (std::size_t i = 2; i <= file.fieldCount(*line); ++i) {
            std::string decoration = reader.GetField(*line, i);
            std::string architecture = decoration.substr(0, decoration.find('.'));
            if (architecture.empty() || equalsSetupNoCase(architecture, "NT") ||
                equalsSetupNoCase(architecture, "NTx86") ||
                names.find(architecture) != std::string::npos) {
                continue;
            }
            names += (names.empty() ? "" : ", ") + architecture;
        }
    }
    return names;
}

} // namespace

Outcome validatePnpDriverInf(const std::string& path, const WindowsTarget& tree) {
    // An unknown version is read as XP.
    WindowsTarget target = tree;
    if (target.version == WindowsVersion::Unknown) {
        target.version = WindowsVersion::WindowsXp;
    }
    const std::string refused = translated("%1 の PnP ドライバは組み込めません。", {path});
    InfReader reader(path);
    if (!reader.file().isOpen()) {
        return Failure::refusal(translated("%1 はドライバの INF ファイルではありません。", {path}),
                                path, reader.problem().text());
    }
    reader.setArchitecture(target.architecture);
    if (target.architecture != Architecture::X86) {
        if (Outcome judged = judgeInfArchitecture(reader, target); !judged) {
            return judged;
        }
    }
    std::string models = reader.FindModelsSection(target.version);
    if (models.empty() || reader.file().lineCount(models) <= 0) {
        std::string others =
            target.architecture == Architecture::X86 ? otherArchitectures(reader) : "";
        if (!others.empty()) {
            return Failure::refusal(
                refused, path,
                translated("モデルが x86 ではないアーキテクチャ（%1）用です。", {others}));
        }
        return Failure::refusal(
            refused, path,
            translated("%1 用のモデルがありません。", {windowsName(target.version)}));
    }
    PnpDriver driver = readPnpDriver(path, target);
    if (std::optional<MediumProblem> problem = firstPnpProblem(driver)) {
        if (problem->kind == MediumProblem::Kind::Refused) {
            return Failure::refusal(refused, path,
                                    translated("INF が指すファイルが INF のフォルダの外にあるか、"
                                               "途中にリンクがあります（%1）。INF "
                                               "と同じフォルダの中のファイルだけを使います。",
                                               {problem->failure.line()}));
        }
        return Failure::refusal(refused, path,
                                translated("%1 が見つかりません。", {problem->failure.path}));
    }
    return {};
}

Outcome validatePnpDriversPath(std::size_t count, const AnswerFileFields& fields,
                               WindowsVersion version, InputSnapshots& inputs) {
    std::string user;
    if (fields.mode == AnswerFileFields::Mode::UserFile && !fields.userFile.empty()) {
        user = userPnpFolders(readUserAnswerFile(fields.userFile, version, inputs).file);
    }
    std::vector<std::string> ours;
    for (std::size_t i = 1; i <= count; ++i) {
        ours.push_back(pnpPathEntry(pnpFolderName(i)));
    }
    const std::size_t length = pnpPathValue(user, ours).size();
    const std::size_t limit = pnpPathLimit(version);
    if (length > limit) {
        return Failure::refusal(
            translated("PnP ドライバのフォルダが多すぎて、OemPnPDriversPath に書き切れません。"),
            {},
            translated("OemPnPDriversPath が %1 文字になり、%2 の上限の %3 文字を超えます。",
                       {std::to_string(length), windowsName(version), std::to_string(limit)}));
    }
    return {};
}

std::string pnpDriversNeedAnswerFile() {
    return translated(
        "PnP ドライバを組み込むには、無人インストールの応答ファイルが要ります。\n"
        "セットアップは無人インストールのときだけ $OEM$ をコピーし、OemPnPDriversPath "
        "を読みます。");
}

bool checkPnpDriverSettings(const BuildSettings& settings, WindowsVersion version,
                            MessageBox& messages, const std::function<void()>& openAnswerFile) {
    const std::size_t count = settings.pnpDriverInfList().size();
    if (count == 0) {
        return true;
    }
    const std::string needed = pnpDriversNeedAnswerFile();
    if (settings.getAnswerFile().mode == AnswerFileFields::Mode::None) {
        if (!openAnswerFile) {
            messages.show(needed, kOk);
            return false;
        }
        if (messages.show(needed + "\n" + translated("応答ファイルの設定を開きますか？"),
                          kYesNoQuestion) != MessageAnswer::Yes) {
            return false;
        }
        openAnswerFile();
        if (settings.getAnswerFile().mode == AnswerFileFields::Mode::None) {
            return false;
        }
    }
    Outcome path =
        validatePnpDriversPath(count, settings.getAnswerFile(), version, settings.inputSnapshots());
    if (!path) {
        messages.show(path.failure().headline + "\n" + path.failure().reason, kOk);
        return false;
    }
    return true;
}

} // namespace ornibe
