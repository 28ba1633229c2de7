#include "patch/SetupFileEditor.h"
#include "sys/CaseLookup.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/CompressedName.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <set>

namespace ornibe {
namespace {

std::string withoutSlash(std::string folder) {
    if (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

// The existing regular file called name in folder, whatever its case.
std::optional<std::string> existingFile(const std::string& folder, std::string_view name) {
    std::optional<std::string> found = findNoCase(folder.empty() ? "." : folder, name);
    if (found && existsAsFile(*found)) {
        return found;
    }
    return std::nullopt;
}

std::set<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names = folderEntries(folder).value_or(std::vector<std::string>{});
    return {names.begin(), names.end()};
}

// Copies a file, replacing the target; false with nothing half-written
// when it cannot be done.
bool copyReplacing(const std::string& from, const std::string& to) {
    try {
        std::string bytes = readFile(from);
        // A read-only work copy left by an earlier build must not block a
        // fresh one.
        removeFile(to);
        writeFileAtomic(to, bytes);
        return true;
    } catch (const FileError&) {
        return false;
    }
}

bool runTool(const std::string& commandLine) {
    ChildProcessRunner runner(commandLine);
    return runner.run() && runner.exitCode() == 0;
}

} // namespace

bool SetupFileEditor::PrepareWorkCopy(const std::string& plainPath) {
    std::string folder = folderPart(plainPath);
    std::string plainName = fileName(plainPath);
    std::string temp = withoutSlash(tempFolder_);
    std::optional<std::string> plain = existingFile(folder, plainName);
    workCopyPath_ = entryPathNoCase(temp, plainName);
    if (plain) {
        sourcePath_ = *plain;
    } else if (auto compressed = existingFile(folder, fileName(compressedName(plainPath)))) {
        sourcePath_ = *compressed;
    } else {
        sourcePath_ = plainPath;
        return false;
    }
    refuseLink("open", sourcePath_);

    if (!IsCabinet(sourcePath_)) {
        // A file that is not a cabinet is only used under its plain name.
        return plain && copyReplacing(*plain, workCopyPath_);
    }

    std::string tool = FindTool("EXTRACT");
    if (tool.empty()) {
        return false;
    }
    std::set<std::string> before = entriesOf(temp);
    bool expandedOk = runTool(quoteArgument(tool) + " /Y /L " + quoteArgument(temp) + " " +
                              quoteArgument(sourcePath_));
    if (std::optional<std::string> expanded = existingFile(temp, plainName)) {
        workCopyPath_ = *expanded;
    }
    bool ready = expandedOk && existsAsFile(workCopyPath_);
    // Whatever the tool brought besides the work copy goes (a cabinet may
    // hold other files, or the setup file under another name), and on
    // failure everything it brought, so that TEMP can be removed at the end.
    for (const std::string& name : entriesOf(temp)) {
        std::string path = joinPath(temp, name);
        if (!before.contains(name) && (!ready || path != workCopyPath_) && existsAsFile(path)) {
            ::unlink(path.c_str());
        }
    }
    return ready;
}

bool SetupFileEditor::PackBack() {
    if (sourcePath_.empty() || workCopyPath_.empty() || !existsAsFile(workCopyPath_)) {
        return false;
    }
    std::string temp = withoutSlash(tempFolder_);
    std::string target = compressedName(sourcePath_);
    target = entryPathNoCase(folderPart(target), fileName(target));
    // Windows refuses to delete or replace a read-only file: I386 stays as
    // it is and the step fails.
    // On every failure the work copy goes as well, so that I386 (with its
    // TEMP folder) is left exactly as it was; a new build makes it again.
    auto fail = [this] {
        ::unlink(workCopyPath_.c_str());
        return false;
    };
    if (isReadOnly(sourcePath_) || isReadOnly(target)) {
        return fail();
    }
    std::string tool = FindTool("MAKECAB");
    if (tool.empty()) {
        return fail();
    }

    // The new cabinet is made in TEMP first; the file in I386 is replaced
    // only once it exists, so a failing tool loses nothing.
    std::string cabinetName = fileName(compressedName(workCopyPath_));
    if (std::optional<std::string> stale = findNoCase(temp, cabinetName)) {
        ::unlink(stale->c_str());
    }
    bool made = runTool(quoteArgument(tool) + " /L " + quoteArgument(temp) + " " +
                        quoteArgument(workCopyPath_));
    std::optional<std::string> cabinet = existingFile(temp, cabinetName);
    if (!made || !cabinet || !IsCabinet(*cabinet)) {
        if (cabinet) {
            ::unlink(cabinet->c_str());
        }
        return fail();
    }
    if (std::rename(cabinet->c_str(), target.c_str()) != 0) {
        ::unlink(cabinet->c_str());
        return fail();
    }
    // I386 keeps the setup file under its compressed name only.
    if (sourcePath_ != target && ::unlink(sourcePath_.c_str()) != 0) {
        return fail();
    }
    ::unlink(workCopyPath_.c_str());
    return true;
}

} // namespace ornibe
