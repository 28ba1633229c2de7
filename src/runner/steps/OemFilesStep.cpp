// The $OEM$ step of the build: after the PnP drivers, the user's own files
// go into $OEM$ beside the setup folder, which setup copies when it
// installs with OemPreinstall, and the commands for T-12 into its
// cmdlines.txt.

#include "runner/steps/OemFilesStep.h"

#include "runner/steps/BuildSteps.h"

#include "inf/InfFile.h"
#include "patch/SetupFileEditor.h"
#include "sys/BuildRecord.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/PathUnderRoot.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

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
                translated(
                    "リンクか特殊なファイルです。$OEM$ にはふつうのファイルだけを入れます。")};
        }
        if (it->is_directory()) {
            continue;
        }
        if (isBuildRecord(std::string(kBuildRecordFolder) + "/" + relative)) {
            return Failure{"copy", it->path().string(),
                           translated("ビルドが $OEM$ に書く記録と同じ名前です。")};
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

// What the step does, or why it failed.
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
        const std::string oem = entryPathNoCase(workFolder, std::string(kBuildRecordFolder));
        refuseLink("open", oem);
        std::vector<OemCopy> copies;
        if (!oemFolder.empty()) {
            Result<std::vector<OemCopy>> planned = planCopies(oemFolder, oem);
            if (!planned) {
                return planned.failure();
            }
            copies = std::move(*planned);
        }
        // Nothing there is replaced: a file of another content at the same
        // place refuses the step before anything is copied.
        for (const OemCopy& copy : copies) {
            if (existsAsFile(copy.target) && readFile(copy.target) != readFile(copy.source)) {
                return Failure{
                    "copy", copy.target,
                    translated(
                        "$OEM$ に同じ名前の別のファイルがあります（%1 で置き換えはしません）。",
                        {copy.source})};
            }
            if (fs::is_directory(copy.target)) {
                return Failure{"copy", copy.target, translated("同じ名前のフォルダがあります。")};
            }
        }
        if (!copies.empty()) {
            log.append(translated("%1 を $OEM$ にコピーしています。。。", {oemFolder}));
            for (const OemCopy& copy : copies) {
                if (existsAsFile(copy.target)) {
                    continue;
                }
                makeFolders(folderPart(copy.target));
                copied.push_back(copy.target);
                writeFileAtomic(copy.target, readFile(copy.source));
            }
            log.append(translated("完了\r\n"));
        }

        if (!setupCommands.empty()) {
            if (!existsAsFolder(oem)) {
                makeFolders(oem);
            }
            const std::string path = entryPathNoCase(oem, "cmdlines.txt");
            refuseLink("open", path);
            const std::string before = existsAsFile(path) ? readFile(path) : std::string();
            const std::vector<std::string> listed = cmdlinesCommands(before);
            if (!before.empty() && listed.empty() &&
                !InfFile::readBytes(before, InfStyle::AnswerFile)) {
                undo();
                return Failure{"read", path,
                               translated("INF として読めません。置き換えはしません。")};
            }
            std::string lines;
            for (const std::string& command : setupCommands) {
                if (std::find(listed.begin(), listed.end(), command) == listed.end()) {
                    lines += commandLine(command);
                }
            }
            log.append(translated("$OEM$\\cmdlines.txt を書き込んでいます。。。"));
            if (!lines.empty() && before.empty()) {
                writeFileAtomic(path, "[Commands]\r\n" + lines);
            } else if (!lines.empty()) {
                // The file's own lines stay; ours follow in a section of
                // the same name, which setup reads as more of it.
                SetupFileEditor::AppendText(path, "\r\n[Commands]\r\n" + lines);
            }
            // Read back as setup reads it: every command once more, in order.
            std::vector<std::string> now = cmdlinesCommands(readFile(path));
            for (const std::string& command : setupCommands) {
                if (std::find(now.begin(), now.end(), command) == now.end()) {
                    return Failure{
                        "read", path,
                        translated("読み返すとコマンド %1 が見つかりません。", {command})};
                }
            }
            log.append(translated("完了\r\n"));
        }
        if (!copies.empty() || !setupCommands.empty()) {
            log.append("\r\n");
        }
    } catch (const FileError& error) {
        undo();
        return Failure::fromFileError(error);
    }
    return {};
}

} // namespace

bool oemFilesStep(BuildContext& context) {
    if (Outcome merged = mergeOemFiles(context); !merged) {
        context.reportFailure(translated("\r\n$OEM$ の書き込みに失敗しました\r\n") +
                              merged.failure().line());
        return false;
    }
    return true;
}

} // namespace ornibe
