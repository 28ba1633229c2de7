#include "wizard/SetupAdditionsCheck.h"

#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/Result.h"
#include "sys/Translation.h"
#include "sys/WindowsProgram.h"

#include <unistd.h>

#include <filesystem>

namespace ornibe {
namespace {

Failure hotfixRefusal(const std::string& path, std::string reason) {
    return Failure::refusal(translated("修正プログラム %1 は追加できません。", {fileName(path)}),
                            path, std::move(reason));
}

} // namespace

std::string setupAdditionsNeedAnswerFile() {
    return translated(
        "$OEM$ のファイルとセットアップ中・最初のログオンのコマンドには、無人インストールの"
        "応答ファイルが要ります。\n"
        "セットアップは応答ファイルの OemPreinstall = Yes のときだけ $OEM$ をコピーして "
        "cmdlines.txt を実行し、[GuiRunOnce] は応答ファイルから読みます。");
}

std::optional<std::string> setupCommandProblem(std::string_view command) {
    if (command.find_first_not_of(" \t") == std::string_view::npos) {
        return translated("コマンドが空です。");
    }
    if (command.find_first_of("\r\n") != std::string_view::npos) {
        return translated("コマンドに改行があります。1 行に 1 つのコマンドを指定してください。");
    }
    if (command.find('"') != std::string_view::npos) {
        return translated(
            "コマンドに「\"」があります。セットアップは 1 行のコマンドを「\"」で囲んで読むので、"
            "その中には書けません。");
    }
    if (command.size() > kLongestSetupCommand) {
        return translated("コマンドが %1 文字あり、セットアップに渡せる %2 文字を超えます。",
                          {std::to_string(command.size()), std::to_string(kLongestSetupCommand)});
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
            return Failure::refusal(translated("$OEM$ に加えるフォルダが CD に入りきりません。"),
                                    folder,
                                    translated("中のファイルが CD の %1 バイトを超えます。",
                                               {std::to_string(kCdBytes)}));
        }
    }
    if (error) {
        return Failure::refusal(translated("$OEM$ に加えるフォルダが読めません。"), folder,
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
            return hotfixRefusal(path, translated("読めるファイルではありません。"));
        }
        std::uint64_t size = 0;
        const std::optional<std::string> bytes = inputs.read(path, kCdBytes, &size);
        if (!bytes) {
            return Failure::refusal(translated("修正プログラムが CD に入りきりません。"), path,
                                    translated("%1 バイトあり、CD の %2 バイトを超えます。",
                                               {std::to_string(size), std::to_string(kCdBytes)}));
        }
        const std::optional<std::uint16_t> type = peMachineTypeOf(*bytes);
        if (!type) {
            return hotfixRefusal(
                path, translated("Windows のプログラム（MZ と PE のヘッダ）ではありません。"));
        }
        if (*type != machine) {
            return hotfixRefusal(path,
                                 architecture == Architecture::Amd64
                                     ? translated("x64 のツリーに、x64 でないプログラムです。")
                                     : translated("x86 のツリーに、x86 でないプログラムです。"));
        }
        for (std::size_t j = 0; j < i; ++j) {
            std::error_code error;
            if (std::filesystem::equivalent(additions.hotfixes[j].path, path, error)) {
                return hotfixRefusal(path, translated("同じパッケージがもう一覧にあります。"));
            }
        }
        if (hotfix.switches.find_first_of("\r\n;\"") != std::string::npos) {
            return hotfixRefusal(
                path, translated("スイッチ %1 に改行か「;」か「\"」があり、SVCPACK.INF の 1 "
                                 "行に書けません。",
                                 {hotfix.switches}));
        }
        total += size;
    }
    if (total > kCdBytes) {
        return Failure::refusal(translated("修正プログラムが CD に入りきりません。"), {},
                                translated("合わせて %1 バイトあり、CD の %2 バイトを超えます。",
                                           {std::to_string(total), std::to_string(kCdBytes)}));
    }
    if (!additions.oemFolder.empty() && !existsAsFolder(additions.oemFolder)) {
        return Failure::refusal(translated("$OEM$ に加えるフォルダが見つかりません。"),
                                additions.oemFolder, translated("フォルダではありません。"));
    }
    if (!additions.oemFolder.empty()) {
        if (Result<std::uint64_t> bytes = oemFolderBytes(additions.oemFolder, inputs); !bytes) {
            return bytes.failure();
        }
    }
    for (const auto* commands : {&additions.setupCommands, &additions.firstLogonCommands}) {
        for (const std::string& command : *commands) {
            if (std::optional<std::string> problem = setupCommandProblem(command)) {
                return Failure::refusal(
                    translated("コマンド %1 はセットアップに渡せません。", {command}), {},
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
        return Failure::refusal(translated("修正プログラムか $OEM$ のファイルが読めません。"),
                                error.path(), error.reason());
    }
}

} // namespace ornibe
