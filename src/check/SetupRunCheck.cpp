// What setup runs besides its own files: the hotfixes of SVCPACK.INF,
// $OEM$\cmdlines.txt and the answer file's [GuiRunOnce].

#include "answer/FirstLogonCommands.h"
#include "check/TreeCheckParts.h"
#include "settings/SetupAdditions.h"
#include "sys/CaseLookup.h"
#include "sys/FileIo.h"
#include "sys/ShortName.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

namespace ornibe {
namespace {

void checkCommandLength(std::string_view where, const std::string& command,
                        TreeCheckReport& report) {
    if (command.size() > kLongestSetupCommand) {
        report.problem(
            translated("%1 のコマンド %2 は %3 文字あり、セットアップに渡せる %4 文字を超えます。",
                       {where, command, std::to_string(command.size()),
                        std::to_string(kLongestSetupCommand)}));
    }
}

} // namespace

void checkHotfixes(const CheckedTree& tree, const InfFile& svcpack, TreeCheckReport& report) {
    if (!svcpack.isOpen()) {
        return;
    }
    const std::string folder = entryPathNoCase(tree.setupFolder(), "SVCPACK");
    const std::string shown = tree.setupName() + "\\SVCPACK";
    for (const auto& line : sectionLines(svcpack, "SetupHotfixesToRun")) {
        const std::string text =
            cp932ToUtf8(line[0].empty() && line.size() > 1 ? line[1] : line[0]);
        const std::string name = text.substr(0, text.find_first_of(" \t"));
        if (name.empty()) {
            continue;
        }
        if (!isShortName(name)) {
            report.problem(translated(
                "SVCPACK.INF の修正プログラム %1 は 8.3 の名前ではありません。", {name}));
        }
        if (!findFileNoCase(folder, name)) {
            report.problem(
                translated("SVCPACK.INF の修正プログラム %1 が %2 にありません。", {name, shown}));
        }
    }
}

void checkSetupCommands(const CheckedTree& tree, TreeCheckReport& report) {
    const std::string oem = entryPathNoCase(tree.root(), "$OEM$");
    if (std::optional<std::string> cmdlines = findFileNoCase(oem, "cmdlines.txt")) {
        Result<InfFile, InfProblem> file =
            InfFile::readBytes(readFile(*cmdlines), InfStyle::AnswerFile);
        if (!file) {
            report.problem(
                translated("$OEM$\\cmdlines.txt が読めません（%1）。", {file.failure().text()}));
        } else {
            for (const auto& line : sectionLines(*file, "Commands")) {
                checkCommandLength(
                    "$OEM$\\cmdlines.txt",
                    cp932ToUtf8(line[0].empty() && line.size() > 1 ? line[1] : line[0]), report);
            }
        }
    }
    if (std::optional<std::string> answer = tree.plainFile("WINNT.SIF")) {
        Result<InfFile, InfProblem> file = InfFile::read(*answer, InfStyle::AnswerFile);
        if (file) {
            for (const std::string& command : firstLogonCommandsOf(*file)) {
                checkCommandLength(inSetupFolder(tree, "WINNT.SIF") + " [GuiRunOnce]", command,
                                   report);
            }
        }
    }
}

} // namespace ornibe
