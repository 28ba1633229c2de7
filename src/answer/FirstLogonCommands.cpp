#include "answer/FirstLogonCommands.h"

#include "inf/InfFile.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

#include <algorithm>

namespace ornibe {
namespace {

constexpr std::string_view kSection = "GuiRunOnce";

} // namespace

void addSetupAdditionEntries(std::vector<AnswerEntry>& entries, bool preinstall,
                             const std::vector<std::string>& firstLogon) {
    const bool hasPreinstall = std::any_of(entries.begin(), entries.end(), [](const auto& entry) {
        return entry.section == "Unattended" && entry.key == "OemPreinstall";
    });
    if (preinstall && !hasPreinstall) {
        auto end = entries.begin();
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            if (it->section == "Unattended") {
                end = it + 1;
            }
        }
        entries.insert(end, {"Unattended", "OemPreinstall", "Yes", false});
    }
    for (std::size_t i = 0; i < firstLogon.size(); ++i) {
        entries.push_back({std::string(kSection), "Command" + std::to_string(i),
                           utf8ToCp932(firstLogon[i]), true});
    }
}

std::vector<std::string> firstLogonCommandsOf(const InfFile& file) {
    std::vector<std::string> commands;
    for (auto line = file.findFirstLine(kSection); line; line = file.findNextLine(*line)) {
        commands.push_back(cp932ToUtf8(file.stringField(*line, 1).value_or("")));
    }
    return commands;
}

FirstLogonMerge mergeFirstLogonCommands(const std::string& bytes,
                                        const std::vector<std::string>& firstLogon) {
    Result<InfFile, InfProblem> user = InfFile::readBytes(bytes, InfStyle::AnswerFile);
    const std::vector<std::string> before =
        user ? firstLogonCommandsOf(*user) : std::vector<std::string>{};
    FirstLogonMerge merged{bytes, {}};
    if (!merged.bytes.empty() && !merged.bytes.ends_with("\r\n")) {
        merged.bytes += "\r\n";
    }
    // A blank line first: a last line ending in a backslash joins it, never
    // the section's header.
    merged.bytes += "\r\n[" + std::string(kSection) + "]\r\n";
    for (std::size_t i = 0; i < firstLogon.size(); ++i) {
        merged.bytes += "Command" + std::to_string(before.size() + i) + " = \"" +
                        utf8ToCp932(firstLogon[i]) + "\"\r\n";
    }
    std::vector<std::string> expected = before;
    expected.insert(expected.end(), firstLogon.begin(), firstLogon.end());
    Result<InfFile, InfProblem> file = InfFile::readBytes(merged.bytes, InfStyle::AnswerFile);
    if (!file) {
        merged.problem =
            translated("コマンドを加えた応答ファイルが読めません（%1）。", {file.failure().text()});
    } else if (firstLogonCommandsOf(*file) != expected) {
        merged.problem = translated(
            "コマンドを加えた応答ファイルの [GuiRunOnce] が、加えたとおりに読めません。");
    }
    return merged;
}

} // namespace ornibe
