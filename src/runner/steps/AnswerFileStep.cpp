// The answer file step of the build: after the drivers are integrated, the
// unattended installation's WINNT.SIF goes into the setup folder.

#include "runner/steps/AnswerFileStep.h"

#include "runner/steps/BuildSteps.h"

#include "answer/AnswerFileCheck.h"
#include "answer/AnswerFileSummary.h"
#include "answer/AnswerFileWriter.h"
#include "answer/FirstLogonCommands.h"
#include "answer/PnpAnswerKeys.h"
#include "source/PnpDriverPackage.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

#include <algorithm>
#include <optional>

namespace ornibe {
namespace {

constexpr std::string_view kFailed = toTranslate("\r\nWINNT.SIF の書き込みに失敗しました\r\n");

// Where the file as the parser read it back differs from the entries it
// was written from: the first such entry, or the first section that does
// not belong; nothing when they agree.
std::optional<std::string> firstDifference(const InfFile& file,
                                           const std::vector<AnswerEntry>& entries) {
    std::vector<std::string> sections;
    for (const AnswerEntry& entry : entries) {
        if (sections.empty() || sections.back() != entry.section) {
            sections.push_back(entry.section);
        }
    }
    std::vector<std::string> read = file.sectionNames();
    for (std::size_t i = 0; i < std::max(read.size(), sections.size()); ++i) {
        if (i >= read.size() || i >= sections.size() || read[i] != sections[i]) {
            return "[" + (i < sections.size() ? sections[i] : read[i]) + "]";
        }
    }
    std::optional<InfPosition> line;
    std::string section;
    for (const AnswerEntry& entry : entries) {
        line =
            entry.section == section ? file.findNextLine(*line) : file.findFirstLine(entry.section);
        section = entry.section;
        if (!line || file.stringField(*line, 0) != entry.key || file.fieldCount(*line) != 1 ||
            file.stringField(*line, 1) != entry.value) {
            return "[" + entry.section + "] " + entry.key;
        }
    }
    for (const std::string& name : sections) {
        std::size_t count = 0;
        for (const AnswerEntry& entry : entries) {
            count += entry.section == name ? 1 : 0;
        }
        if (file.lineCount(name) != static_cast<int>(count)) {
            return "[" + name + "]";
        }
    }
    return std::nullopt;
}

} // namespace

void appendAnswerFileSummary(const BuildSettings& settings, const WindowsTarget& target,
                             ProgressLog& log) {
    std::vector<std::string> lines =
        answerFileSummary(settings.getAnswerFile(), target.version, settings.inputSnapshots());
    if (lines.empty()) {
        return;
    }
    constexpr std::string_view kI386 = "I386\\";
    if (target.architecture != Architecture::X86 && lines.front().starts_with(kI386)) {
        lines.front().replace(0, kI386.size(),
                              std::string(setupFolderName(target.architecture)) + "\\");
    }
    log.append(translated("\r\n\r\n無人インストール："));
    for (const std::string& line : lines) {
        log.append("\r\n      " + line);
    }
}

bool answerFileStep(BuildContext& context) {
    const AnswerFileFields& fields = context.settings.getAnswerFile();
    ProgressLog& log = context.log();
    const std::string target = entryPathNoCase(context.i386Folder(), "WINNT.SIF");
    const SetupAdditions& additions = context.settings.getSetupAdditions();

    // What goes into the tree: the file written from the fields, or the
    // user's own, checked again as it is now.
    std::string bytes;
    std::vector<AnswerEntry> entries;
    std::vector<std::string> unchecked;
    std::vector<std::string> changedKeys;
    std::vector<std::string> notes;
    if (fields.mode == AnswerFileFields::Mode::Write) {
        entries = answerFileEntries(fields, context.data.target.version,
                                    !context.settings.GetDriverInf(0).empty() ||
                                        !context.pnpEntries.empty());
        if (!context.pnpEntries.empty()) {
            addPnpEntries(entries, pnpPathValue({}, context.pnpEntries));
        }
        if (!additions.empty()) {
            addSetupAdditionEntries(entries, additions.needsOemPreinstall(),
                                    additions.firstLogonCommands);
        }
        bytes = answerFileText(entries);
    } else {
        AnswerFileReading reading = readUserAnswerFile(fields.userFile, context.data.target.version,
                                                       context.settings.inputSnapshots());
        if (!reading.check.outcome) {
            context.reportFailure(translated(kFailed) + reading.check.outcome.failure().line());
            return false;
        }
        bytes = std::move(reading.bytes);
        unchecked = std::move(reading.unchecked);
        notes = std::move(reading.check.warnings);
        if (!context.pnpEntries.empty()) {
            // The user's values stay; the PnP drivers' folders follow the
            // user's own.
            MergedAnswerFile merged =
                mergePnpKeys(bytes, pnpPathValue(userPnpFolders(reading.file), context.pnpEntries));
            if (!merged.problem.empty()) {
                context.reportFailure(translated(kFailed) +
                                      Failure{"read", fields.userFile, merged.problem}.line());
                return false;
            }
            bytes = std::move(merged.bytes);
            changedKeys = std::move(merged.changedKeys);
        } else if (additions.needsOemPreinstall()) {
            // Files in $OEM$ and cmdlines.txt need only OemPreinstall; the
            // user's own driver folders stay as they are.
            MergedAnswerFile merged = mergePnpKeys(bytes, {});
            if (!merged.problem.empty()) {
                context.reportFailure(translated(kFailed) +
                                      Failure{"read", fields.userFile, merged.problem}.line());
                return false;
            }
            bytes = std::move(merged.bytes);
            changedKeys = std::move(merged.changedKeys);
        }
        if (!additions.firstLogonCommands.empty()) {
            FirstLogonMerge merged = mergeFirstLogonCommands(bytes, additions.firstLogonCommands);
            if (!merged.problem.empty()) {
                context.reportFailure(translated(kFailed) +
                                      Failure{"read", fields.userFile, merged.problem}.line());
                return false;
            }
            bytes = std::move(merged.bytes);
        }
    }

    // A key the build has just set is not one it uses as the user wrote it.
    for (const std::string& key : changedKeys) {
        std::erase_if(unchecked, [&](const std::string& name) {
            return equalsSetupNoCase(name, "[Unattended] " + key);
        });
    }

    log.append(translated("WINNT.SIF（無人インストールの応答ファイル）を書き込んでいます。。。"));
    const bool replaces = existsAsFile(target);
    try {
        // The file goes into the work folder's own setup folder, never
        // where a link of that name leads; it may hold the Administrator's
        // password in the clear.
        refuseLink("open", context.i386Folder());
        writePrivateFileAtomic(target, bytes);
        // Read back as setup reads it: the bytes, then the parser's lines.
        std::string written = readFile(target);
        Result<InfFile, InfProblem> file = InfFile::readBytes(written, InfStyle::AnswerFile);
        std::optional<std::string> differs;
        if (written != bytes) {
            differs = translated("ファイルの中身");
        } else if (!file) {
            differs = translated("INF として読めません（%1）", {file.failure().text()});
        } else if (!entries.empty()) {
            differs = firstDifference(*file, entries);
        }
        if (differs) {
            context.reportFailure(
                translated(kFailed) +
                Failure{"read", target,
                        translated("読み返した内容が書き込もうとした内容と違います（%1）。",
                                   {*differs})}
                    .line());
            return false;
        }
    } catch (const FileError& error) {
        context.reportFailure(translated(kFailed) + Failure::fromFileError(error).line());
        return false;
    }
    log.append(replaces ? translated("完了（ツリーにあった WINNT.SIF を置き換えました）\r\n")
                        : translated("完了\r\n"));
    for (const std::string& key : changedKeys) {
        log.append(
            context.pnpEntries.empty()
                ? translated(
                      "応答ファイルの [Unattended] %1 を $OEM$ のファイルのために変えました。\r\n",
                      {key})
                : translated(
                      "応答ファイルの [Unattended] %1 を PnP ドライバのために変えました。\r\n",
                      {key}));
    }
    for (const std::string& note : notes) {
        log.append(note + "\r\n");
    }
    if (!unchecked.empty()) {
        std::string names;
        for (const std::string& name : unchecked) {
            names += (names.empty() ? "" : ", ") + name;
        }
        log.append(translated("応答ファイルのうち確かめずにそのまま使うセクションとキー：%1\r\n",
                              {names}));
    }
    log.append("\r\n");
    return true;
}

} // namespace ornibe
