// The $OEM$ step of the build: after the PnP drivers, the user's own files
// go into $OEM$ beside the setup folder, which setup copies when it
// installs with OemPreinstall, and the commands for T-12 into its
// cmdlines.txt.

#include "runner/steps/OemFilesStep.h"

#include "runner/steps/BuildSteps.h"

#include "runner/WorkRecord.h"

#include "inf/InfFile.h"
#include "patch/SetupFileEditor.h"
#include "patch/SvcpackHotfixes.h"
#include "sys/BuildRecord.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/PathUnderRoot.h"
#include "sys/TextEncoding.h"
#include "sys/Trimmed.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace ornibe {
namespace {

namespace fs = std::filesystem;

struct OemCopy {
    std::string source;
    std::string target;
    std::string relative;
};

// Every file below the user's folder with where it goes under $OEM$;
// a link or a device file there is refused, as is the build's own record.
Result<std::vector<OemCopy>> planCopies(const std::string& from, const std::string& oem) {
    std::vector<OemCopy> copies;
    std::error_code error;
    for (fs::recursive_directory_iterator it(from, error), end; !error && it != end;
         it.increment(error)) {
        const std::string relative = fs::relative(it->path(), from).generic_string();
        if (it->is_symlink() || (!it->is_directory() && !it->is_regular_file())) {
            return Failure{
                "copy", it->path().string(),
                "リンクか特殊なファイルです。$OEM$ にはふつうのファイルだけを入れます。"};
        }
        if (it->is_directory()) {
            continue;
        }
        if (isBuildRecord(std::string(kBuildRecordFolder) + "/" + relative)) {
            return Failure{"copy", it->path().string(),
                           "ビルドが $OEM$ に書く記録と同じ名前です。"};
        }
        RootedPath target = pathUnderRoot(oem, relative, NameCase::Ignore);
        if (!target) {
            return Failure{"copy", it->path().string(), target.failure().reason};
        }
        copies.push_back({it->path().string(), *target, relative});
    }
    if (error) {
        return Failure{"open", from, systemReason(error.value())};
    }
    std::sort(copies.begin(), copies.end(),
              [](const OemCopy& a, const OemCopy& b) { return a.relative < b.relative; });
    return copies;
}

std::string commandLine(const std::string& command) {
    return "\"" + utf8ToCp932(command) + "\"\r\n";
}

} // namespace

std::vector<std::string> cmdlinesCommands(const std::string& bytes) {
    std::vector<std::string> commands;
    Result<InfFile, InfProblem> file = InfFile::readBytes(bytes, InfStyle::AnswerFile);
    if (!file) {
        return commands;
    }
    for (auto line = file->findFirstLine("Commands"); line; line = file->findNextLine(*line)) {
        commands.push_back(cp932ToUtf8(file->lineText(*line).value_or("")));
    }
    return commands;
}

namespace {

// A cmdlines.txt line's command: blanks and the quotes around it taken off.
std::string unquoted(std::string_view text) {
    text = trimmed(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    return cp932ToUtf8(text);
}

// The folders below oem on the way to relative that are missing, outermost
// first, each as the record names it ("Install/").
std::vector<std::string> missingFolders(const std::string& oem, const std::string& relative) {
    std::vector<std::string> missing;
    for (std::size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', slash + 1)) {
        const std::string folder = relative.substr(0, slash);
        if (!findNoCase(oem, folder)) {
            missing.push_back(folder + "/");
        }
    }
    return missing;
}

// What the step does, or why it failed. What an earlier build of the work
// folder added and this one does not (its record) goes, so that $OEM$ is as
// a build into an empty folder makes it.
Outcome mergeOemFiles(BuildContext& context) {
    const std::string workFolder = context.settings.GetWorkFolder();
    const SetupAdditions& additions = context.settings.getSetupAdditions();
    const std::string& oemFolder = additions.oemFolder;
    const std::vector<std::string>& setupCommands = additions.setupCommands;
    ProgressLog& log = context.log();
    std::vector<std::string> copied;
    auto undo = [&copied] {
        for (const std::string& path : copied) {
            ::unlink(path.c_str());
        }
    };
    try {
        Result<WorkRecord> record = readWorkRecord(workFolder);
        if (!record) {
            return record.failure();
        }
        const std::string oem = record->oemFolder;
        const std::vector<std::string> earlier = recordValues(record->lines, kRecordOemFile);
        const std::vector<std::string> earlierCommands =
            recordValues(record->lines, kRecordSetupCommand);
        auto isEarlier = [&](const std::string& relative) {
            return std::any_of(earlier.begin(), earlier.end(), [&](const std::string& entry) {
                return equalsHostNoCase(entry, relative);
            });
        };
        std::vector<OemCopy> copies;
        if (!oemFolder.empty()) {
            Result<std::vector<OemCopy>> planned = planCopies(oemFolder, oem);
            if (!planned) {
                return planned.failure();
            }
            copies = std::move(*planned);
        }
        // Nothing there is replaced but what an earlier build copied: a
        // file of another content at the same place refuses the step before
        // anything is copied.
        // The files as the settings checks read them; one that was not
        // there then is refused, as it was never checked.
        InputSnapshots& inputs = context.settings.inputSnapshots();
        std::map<std::string, std::string> sourceBytes;
        for (const OemCopy& copy : copies) {
            std::optional<std::string> bytes =
                inputs.holds(copy.source) ? inputs.read(copy.source, kCdBytes) : std::nullopt;
            if (!bytes) {
                return Failure{"copy", copy.source,
                               "「次へ >」で確かめた後にフォルダに加わったファイルです。"
                               "確かめ直してから実行してください。"};
            }
            sourceBytes[copy.source] = std::move(*bytes);
        }
        for (const OemCopy& copy : copies) {
            if (existsAsFile(copy.target) && !isEarlier(copy.relative) &&
                readFile(copy.target) != sourceBytes[copy.source]) {
                return Failure{"copy", copy.target,
                               "$OEM$ に同じ名前の別のファイルがあります（" + copy.source +
                                   " で置き換えはしません）。"};
            }
            if (fs::is_directory(copy.target)) {
                return Failure{"copy", copy.target, "同じ名前のフォルダがあります。"};
            }
        }
        // This build's entries: the files it copies, with the folders an
        // earlier build made for them or this one makes.
        std::vector<std::string> now;
        auto keep = [&](const std::string& entry) {
            if (std::find(now.begin(), now.end(), entry) == now.end()) {
                now.push_back(entry);
            }
        };
        for (const OemCopy& copy : copies) {
            for (std::size_t slash = copy.relative.find('/'); slash != std::string::npos;
                 slash = copy.relative.find('/', slash + 1)) {
                if (isEarlier(copy.relative.substr(0, slash + 1))) {
                    keep(copy.relative.substr(0, slash + 1));
                }
            }
            for (const std::string& folder : missingFolders(oem, copy.relative)) {
                keep(folder);
            }
            if (!existsAsFile(copy.target) || isEarlier(copy.relative)) {
                keep(copy.relative);
            }
        }
        const bool madeCmdlines = isEarlier("cmdlines.txt");
        const std::string cmdlines = entryPathNoCase(oem, "cmdlines.txt");
        refuseLink("open", cmdlines);
        if (!setupCommands.empty() && (madeCmdlines || !existsAsFile(cmdlines))) {
            keep("cmdlines.txt");
        }
        // Claimed before anything changes, as the hotfix step does.
        std::vector<std::string> claimed = earlier;
        for (const std::string& entry : now) {
            if (!isEarlier(entry)) {
                claimed.push_back(entry);
            }
        }
        if (!claimed.empty() || !setupCommands.empty()) {
            makeOemFolder(*record);
        }
        record->lines = withRecordKind(std::move(record->lines), kRecordOemFile, claimed);
        writeWorkRecord(*record);

        // What an earlier build copied and this one does not: its files,
        // then its folders deepest first when nothing else is left in them.
        std::vector<std::string> gone;
        for (const std::string& entry : earlier) {
            if (std::find(now.begin(), now.end(), entry) == now.end() &&
                !(entry == "cmdlines.txt" && madeCmdlines && !setupCommands.empty())) {
                gone.push_back(entry);
            }
        }
        std::sort(gone.begin(), gone.end(), std::greater<>());
        if (!gone.empty()) {
            log.append("前のビルドが $OEM$ に加えたファイルを削除しています。。。");
            for (const std::string& entry : gone) {
                std::optional<std::string> found = findNoCase(
                    oem, entry.ends_with('/') ? entry.substr(0, entry.size() - 1) : entry);
                if (!found) {
                    continue;
                }
                refuseLink("remove", *found);
                if (!entry.ends_with('/')) {
                    removeFile(*found);
                } else if (fs::is_empty(*found)) {
                    ::rmdir(found->c_str());
                }
            }
            log.append("完了\r\n");
        }

        if (!copies.empty()) {
            log.append(oemFolder + " を $OEM$ にコピーしています。。。");
            for (const OemCopy& copy : copies) {
                const std::string& bytes = sourceBytes[copy.source];
                if (existsAsFile(copy.target) && readFile(copy.target) == bytes) {
                    continue;
                }
                makeFolders(folderPart(copy.target));
                copied.push_back(copy.target);
                writeFileAtomic(copy.target, bytes);
            }
            log.append("完了\r\n");
        }

        // cmdlines.txt: the commands an earlier build added go first; a file
        // it made is made anew.
        std::string before = existsAsFile(cmdlines) ? readFile(cmdlines) : std::string();
        const std::string original = before;
        if (madeCmdlines) {
            before.clear();
        } else if (!earlierCommands.empty()) {
            before = withoutSectionLines(before, "Commands", [&](std::string_view text) {
                return std::find(earlierCommands.begin(), earlierCommands.end(), unquoted(text)) !=
                       earlierCommands.end();
            });
        }
        std::vector<std::string> appended;
        if (!setupCommands.empty()) {
            const std::vector<std::string> listed = cmdlinesCommands(before);
            if (!before.empty() && listed.empty() &&
                !InfFile::readBytes(before, InfStyle::AnswerFile)) {
                undo();
                return Failure{"read", cmdlines, "INF として読めません。置き換えはしません。"};
            }
            std::string lines;
            for (const std::string& command : setupCommands) {
                if (std::find(listed.begin(), listed.end(), command) == listed.end()) {
                    lines += commandLine(command);
                    appended.push_back(command);
                }
            }
            log.append("$OEM$\\cmdlines.txt を書き込んでいます。。。");
            if (before.empty()) {
                before = "[Commands]\r\n" + lines;
                appended.clear();
            } else if (!lines.empty()) {
                // The file's own lines stay; ours follow in a section of
                // the same name, which setup reads as more of it.
                before = SetupFileEditor::withTextAppended(std::move(before),
                                                           "\r\n[Commands]\r\n" + lines);
            }
            // Read back as setup reads it: every command once more, in order.
            std::vector<std::string> inFile = cmdlinesCommands(before);
            for (const std::string& command : setupCommands) {
                if (std::find(inFile.begin(), inFile.end(), command) == inFile.end()) {
                    undo();
                    return Failure{"read", cmdlines,
                                   "読み返すとコマンド " + command + " が見つかりません。"};
                }
            }
        }
        if (before != original) {
            if (before.empty()) {
                removeFile(cmdlines);
            } else {
                writeFileAtomic(cmdlines, before);
            }
        }
        if (!setupCommands.empty()) {
            log.append("完了\r\n");
        }
        if (!copies.empty() || !setupCommands.empty() || !gone.empty()) {
            log.append("\r\n");
        }
        record->lines = withRecordKind(std::move(record->lines), kRecordOemFile, now);
        record->lines = withRecordKind(std::move(record->lines), kRecordSetupCommand, appended);
        writeWorkRecord(*record);
    } catch (const FileError& error) {
        undo();
        return Failure::fromFileError(error);
    }
    return {};
}

} // namespace

bool oemFilesStep(BuildContext& context) {
    if (Outcome merged = mergeOemFiles(context); !merged) {
        context.reportFailure("\r\n$OEM$ の書き込みに失敗しました\r\n" + merged.failure().line());
        return false;
    }
    return true;
}

} // namespace ornibe
