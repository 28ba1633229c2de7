#include "patch/SetupFileEditor.h"
#include "sys/CaseLookup.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/CompressedName.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>

namespace ornibe {
namespace {

std::set<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names = folderEntries(folder).value_or(std::vector<std::string>{});
    return {names.begin(), names.end()};
}

// Copies a file, replacing the target; the failure with nothing
// half-written when it cannot be done.
Outcome copyReplacing(const std::string& from, const std::string& to) {
    try {
        std::string bytes = readFile(from);
        // A read-only work copy left by an earlier build must not block a
        // fresh one.
        removeFile(to);
        writeFileAtomic(to, bytes);
        return {};
    } catch (const FileError& error) {
        return Failure::fromFileError(error);
    }
}

} // namespace

Outcome SetupFileEditor::PrepareWorkCopy(const std::string& plainPath) {
    std::string folder = folderPart(plainPath);
    std::string plainName = fileName(plainPath);
    std::string packedName = fileName(compressedName(plainPath));
    std::string temp = withoutTrailingSlash(tempFolder_);
    std::optional<std::string> plain = findFileNoCase(folder, plainName);
    workCopyPath_ = entryPathNoCase(temp, plainName);
    if (plain) {
        sourcePath_ = *plain;
    } else if (auto compressed = findFileNoCase(folder, packedName)) {
        sourcePath_ = *compressed;
    } else {
        sourcePath_ = plainPath;
        return Failure{
            "open", plainPath,
            translated("ファイルがありません（圧縮された %1 もありません）。", {packedName})};
    }
    refuseLink("open", sourcePath_);

    if (!IsCabinet(sourcePath_)) {
        // A file that is not a cabinet is only used under its plain name.
        if (!plain) {
            return Failure{"expand", sourcePath_,
                           translated("キャビネットファイルではありません。")};
        }
        return copyReplacing(*plain, workCopyPath_);
    }

    std::string tool = FindTool(tools_, "EXTRACT");
    if (tool.empty()) {
        return Failure{"expand", sourcePath_,
                       translated("展開する EXTRACT.EXE が見つかりません。")};
    }
    std::set<std::string> before = entriesOf(temp);
    Outcome expanded =
        runToolQuietly(tools_, quoteArgument(tool) + " /Y /L " + quoteArgument(temp) + " " +
                                   quoteArgument(sourcePath_));
    if (std::optional<std::string> copy = findFileNoCase(temp, plainName)) {
        workCopyPath_ = *copy;
    }
    if (expanded && !existsAsFile(workCopyPath_)) {
        expanded = Failure{"expand", sourcePath_,
                           translated("このキャビネットに %1 がありません。", {plainName})};
    }
    const bool ready = static_cast<bool>(expanded);
    // Whatever the tool brought besides the work copy goes (a cabinet may
    // hold other files, or the setup file under another name), and on
    // failure everything it brought, so that TEMP can be removed at the end.
    for (const std::string& name : entriesOf(temp)) {
        std::string path = joinPath(temp, name);
        if (!before.contains(name) && (!ready || path != workCopyPath_) && existsAsFile(path)) {
            ::unlink(path.c_str());
        }
    }
    return expanded;
}

Outcome SetupFileEditor::PackBack() {
    if (sourcePath_.empty() || workCopyPath_.empty() || !existsAsFile(workCopyPath_)) {
        return Failure{"compress", workCopyPath_, translated("作業用のコピーがありません。")};
    }
    std::string temp = withoutTrailingSlash(tempFolder_);
    std::string target = compressedName(sourcePath_);
    target = entryPathNoCase(folderPart(target), fileName(target));
    // On every failure the work copy goes as well, so that I386 (with its
    // TEMP folder) is left exactly as it was; a new build makes it again.
    auto fail = [this](Failure failure) {
        ::unlink(workCopyPath_.c_str());
        return Outcome(std::move(failure));
    };
    // Windows refuses to delete or replace a read-only file: I386 stays as
    // it is and the step fails.
    for (const std::string& path : {sourcePath_, target}) {
        if (isReadOnly(path)) {
            return fail({"replace", path, translated("読み取り専用なので置き換えられません。")});
        }
    }
    std::string tool = FindTool(tools_, "MAKECAB");
    if (tool.empty()) {
        return fail({"compress", target, translated("圧縮する MAKECAB.EXE が見つかりません。")});
    }

    // The new cabinet is made in TEMP first; the file in I386 is replaced
    // only once it exists, so a failing tool loses nothing.
    std::string cabinetName = fileName(compressedName(workCopyPath_));
    if (std::optional<std::string> stale = findNoCase(temp, cabinetName)) {
        ::unlink(stale->c_str());
    }
    Outcome made = runToolQuietly(tools_, quoteArgument(tool) + " /L " + quoteArgument(temp) + " " +
                                              quoteArgument(workCopyPath_));
    std::optional<std::string> cabinet = findFileNoCase(temp, cabinetName);
    if (made && (!cabinet || !IsCabinet(*cabinet))) {
        made = Failure{"compress", joinPath(temp, cabinetName),
                       translated("MAKECAB.EXE がキャビネットファイルを作りませんでした。")};
    }
    if (!made) {
        if (cabinet) {
            ::unlink(cabinet->c_str());
        }
        return fail(made.failure());
    }
    if (std::rename(cabinet->c_str(), target.c_str()) != 0) {
        Failure failure{"rename", target, systemReason(errno)};
        ::unlink(cabinet->c_str());
        return fail(std::move(failure));
    }
    // I386 keeps the setup file under its compressed name only.
    if (sourcePath_ != target && ::unlink(sourcePath_.c_str()) != 0) {
        return fail({"remove", sourcePath_, systemReason(errno)});
    }
    ::unlink(workCopyPath_.c_str());
    return {};
}

} // namespace ornibe
