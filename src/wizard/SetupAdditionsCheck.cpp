#include "wizard/SetupAdditionsCheck.h"

#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/Result.h"
#include "sys/WindowsProgram.h"

#include <unistd.h>

#include <filesystem>

namespace ornibe {
namespace {

Failure hotfixRefusal(const std::string& path, std::string reason) {
    return Failure::refusal("修正プログラム " + fileName(path) + " は追加できません。", path,
                            std::move(reason));
}

} // namespace

std::string setupAdditionsNeedAnswerFile() {
    return "$OEM$ のファイルとセットアップ中・最初のログオンのコマンドには、無人インストールの"
           "応答ファイルが要ります。\n"
           "セットアップは応答ファイルの OemPreinstall = Yes のときだけ $OEM$ をコピーして "
           "cmdlines.txt を実行し、[GuiRunOnce] は応答ファイルから読みます。";
}

std::optional<std::string> setupCommandProblem(std::string_view command) {
    if (command.find_first_not_of(" \t") == std::string_view::npos) {
        return "コマンドが空です。";
    }
    if (command.find_first_of("\r\n") != std::string_view::npos) {
        return "コマンドに改行があります。1 行に 1 つのコマンドを指定してください。";
    }
    if (command.find('"') != std::string_view::npos) {
        return "コマンドに「\"」があります。セットアップは 1 行のコマンドを「\"」で囲んで読むので、"
               "その中には書けません。";
    }
    if (command.size() > kLongestSetupCommand) {
        return "コマンドが " + std::to_string(command.size()) + " 文字あり、セットアップに渡せる " +
               std::to_string(kLongestSetupCommand) + " 文字を超えます。";
    }
    return std::nullopt;
}

namespace {

// The bytes of the $OEM$ folder's files together, each read through
// inputs; nothing when they do not fit on a CD.
Result<std::uint64_t> oemFolderBytes(const std::string& folder, InputSnapshots& inputs) {
    std::uint64_t total = 0;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_symlink() || !it->is_regular_file()) {
            continue;
        }
        std::uint64_t size = 0;
        if (!inputs.read(it->path().string(), kCdBytes, &size) || (total += size) > kCdBytes) {
            return Failure::refusal("$OEM$ に加えるフォルダが CD に入りきりません。", folder,
                                    "中のファイルが CD の " + std::to_string(kCdBytes) +
                                        " バイトを超えます。");
        }
    }
    if (error) {
        return Failure::refusal("$OEM$ に加えるフォルダが読めません。", folder,
                                systemReason(error.value()));
    }
    return total;
}

Outcome checkSetupAdditionsNow(const SetupAdditions& additions, Architecture architecture,
                               const AnswerFileFields& answerFile, InputSnapshots& inputs) {
    const std::uint16_t machine =
        architecture == Architecture::Amd64 ? kMachineAmd64 : kMachineI386;
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < additions.hotfixes.size(); ++i) {
        const HotfixChoice& hotfix = additions.hotfixes[i];
        const std::string& path = hotfix.path;
        if (!existsAsFile(path) || ::access(path.c_str(), R_OK) != 0) {
            return hotfixRefusal(path, "読めるファイルではありません。");
        }
        std::uint64_t size = 0;
        const std::optional<std::string> bytes = inputs.read(path, kCdBytes, &size);
        if (!bytes) {
            return Failure::refusal("修正プログラムが CD に入りきりません。", path,
                                    std::to_string(size) + " バイトあり、CD の " +
                                        std::to_string(kCdBytes) + " バイトを超えます。");
        }
        const std::optional<std::uint16_t> type = peMachineTypeOf(*bytes);
        if (!type) {
            return hotfixRefusal(path, "Windows のプログラム（MZ と PE のヘッダ）ではありません。");
        }
        if (*type != machine) {
            return hotfixRefusal(path, architecture == Architecture::Amd64
                                           ? "x64 のツリーに、x64 でないプログラムです。"
                                           : "x86 のツリーに、x86 でないプログラムです。");
        }
        for (std::size_t j = 0; j < i; ++j) {
            std::error_code error;
            if (std::filesystem::equivalent(additions.hotfixes[j].path, path, error)) {
                return hotfixRefusal(path, "同じパッケージがもう一覧にあります。");
            }
        }
        if (hotfix.switches.find_first_of("\r\n;\"") != std::string::npos) {
            return hotfixRefusal(path, "スイッチ " + hotfix.switches +
                                           " に改行か「;」か「\"」があり、SVCPACK.INF の 1 "
                                           "行に書けません。");
        }
        total += size;
    }
    if (total > kCdBytes) {
        return Failure::refusal("修正プログラムが CD に入りきりません。", {},
                                "合わせて " + std::to_string(total) + " バイトあり、CD の " +
                                    std::to_string(kCdBytes) + " バイトを超えます。");
    }
    if (!additions.oemFolder.empty() && !existsAsFolder(additions.oemFolder)) {
        return Failure::refusal("$OEM$ に加えるフォルダが見つかりません。", additions.oemFolder,
                                "フォルダではありません。");
    }
    if (!additions.oemFolder.empty()) {
        if (Result<std::uint64_t> bytes = oemFolderBytes(additions.oemFolder, inputs); !bytes) {
            return bytes.failure();
        }
    }
    for (const auto* commands : {&additions.setupCommands, &additions.firstLogonCommands}) {
        for (const std::string& command : *commands) {
            if (std::optional<std::string> problem = setupCommandProblem(command)) {
                return Failure::refusal("コマンド " + command + " はセットアップに渡せません。", {},
                                        *problem);
            }
        }
    }
    const bool needsAnswerFile =
        additions.needsOemPreinstall() || !additions.firstLogonCommands.empty();
    if (needsAnswerFile && answerFile.mode == AnswerFileFields::Mode::None) {
        const std::string text = setupAdditionsNeedAnswerFile();
        const std::size_t lineEnd = text.find('\n');
        return Failure::refusal(text.substr(0, lineEnd), {}, text.substr(lineEnd + 1));
    }
    return {};
}

} // namespace

Outcome checkSetupAdditions(const SetupAdditions& additions, Architecture architecture,
                            const AnswerFileFields& answerFile, InputSnapshots& inputs) {
    try {
        return checkSetupAdditionsNow(additions, architecture, answerFile, inputs);
    } catch (const FileError& error) {
        return Failure::refusal("修正プログラムか $OEM$ のファイルが読めません。", error.path(),
                                error.reason());
    }
}

} // namespace ornibe
