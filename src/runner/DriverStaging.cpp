#include "runner/DriverStaging.h"

#include "inf/DriverPackage.h"
#include "patch/SetupFileEditor.h"
#include "runner/CabinetBatch.h"
#include "runner/ProgressLog.h"
#include "source/DriverMedium.h"
#include "sys/CaseLookup.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/CompressedName.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/SearchPath.h"
#include "sys/Translation.h"

#include <sys/stat.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <vector>

namespace ornibe {
namespace {

constexpr std::string_view kCopying = toTranslate("%1 をコピーしています。。。");
constexpr std::string_view kDone = toTranslate("完了\r\n");

// Copies a file into folder under name (or the entry that differs from it
// only in letter case), replacing what is there; the failure with nothing
// half-written when it cannot be done. The file goes to disk as the tree
// copy's files do, without a flush of its own.
Outcome copyInto(const std::string& from, const std::string& folder, std::string_view name) {
    try {
        writeFileUnflushed(entryPathNoCase(folder, name), readFile(from));
        return {};
    } catch (const FileError& error) {
        return Failure::fromFileError(error);
    }
}

// Why a file the INF names is not on the medium (it may have gone, or
// turned into a folder, since the settings were checked).
Failure notOnMedium(const std::string& path) {
    std::string folder = folderPart(path);
    std::optional<std::string> found = findNoCase(folder.empty() ? "." : folder, fileName(path));
    return {"open", path, systemReason(found && existsAsFolder(*found) ? EISDIR : ENOENT)};
}

// Compresses the file on the medium into the I386 folder with makecab.
Outcome compressInto(const ToolSearch& tools, const std::string& i386Folder,
                     const std::string& file) {
    std::string makecab = SetupFileEditor::FindTool(tools, "MAKECAB");
    if (makecab.empty()) {
        return Failure{"compress", file, translated("MAKECAB.EXE が見つかりません。")};
    }
    Outcome made = runToolQuietly(tools, quoteArgument(makecab) + " /L " +
                                             quoteArgument(i386Folder) + " " + quoteArgument(file));
    std::string cabinet = compressedName(fileName(file));
    if (made && !findNoCase(i386Folder, cabinet)) {
        return Failure{"compress", file,
                       translated("MAKECAB.EXE が %1 を作りませんでした。", {cabinet})};
    }
    return made;
}

Outcome placeCompressed(const ToolSearch& tools, const std::string& i386Folder,
                        const std::string& source, CabinetBatch& batch, ProgressLog& log) {
    log.append(translated(kCopying, {fileName(source)}));
    std::optional<std::string> plain = plainOnMedium(source);
    if (plain && batch.place(*plain)) {
        log.append(translated(kDone));
        return {};
    }
    Outcome compressed = plain ? compressInto(tools, i386Folder, *plain) : notOnMedium(source);
    if (compressed) {
        log.append(translated(kDone));
        return {};
    }
    // Driver media often carry the compressed form beside the file, as the
    // Windows CD does. Without one, the reason the file could not be
    // compressed is the reason of the failure.
    // A link of that name is never read through: it could lead out of the
    // medium.
    Result<std::string> supplied = compressedOnMedium(source);
    if (!supplied) {
        return supplied.failure();
    }
    if (supplied->empty()) {
        return compressed;
    }
    if (Outcome copied = copyInto(*supplied, i386Folder, fileName(*supplied)); !copied) {
        return copied;
    }
    log.append(translated(kDone));
    return {};
}

Outcome placeCatalog(const std::string& i386Folder, const std::string& catalog, ProgressLog& log) {
    log.append(translated(kCopying, {fileName(catalog)}));
    // An existing folder is fine; one that is a link is refused, and one
    // that cannot be made fails with the system's reason.
    std::string svcpack = entryPathNoCase(i386Folder, "SVCPACK");
    refuseLink("create folder", svcpack);
    if (::mkdir(svcpack.c_str(), 0777) != 0 && errno != EEXIST) {
        return Failure{"create folder", svcpack, systemReason(errno)};
    }
    std::optional<std::string> source = plainOnMedium(catalog);
    if (!source) {
        return notOnMedium(catalog);
    }
    if (Outcome copied = copyInto(*source, svcpack, fileName(catalog)); !copied) {
        return copied;
    }
    log.append(translated(kDone));
    return {};
}

} // namespace

Outcome stageDriverFiles(const ToolSearch& tools, const std::string& i386Folder,
                         const DriverPackage& package, ProgressLog& log, const StopCheck& stop,
                         const std::function<void()>& idle) {
    // Driver files go into the work folder's own I386, never where a link
    // of that name leads.
    refuseLink("open", i386Folder);
    // Every file to compress is compressed in one run first; each is then
    // placed in its turn, as it would be by a run of its own.
    std::vector<std::string> plainFiles;
    for (const auto& entry : package.fileToTargetDir()) {
        if (std::optional<std::string> plain = plainOnMedium(entry.first)) {
            plainFiles.push_back(*plain);
        }
    }
    for (const std::string& inf : package.infFiles()) {
        if (std::optional<std::string> plain = plainOnMedium(inf)) {
            plainFiles.push_back(*plain);
        }
    }
    CabinetBatch batch(tools, i386Folder, plainFiles, stop, idle);
    if (!batch.run()) {
        return batch.run();
    }
    for (const auto& entry : package.fileToTargetDir()) {
        if (Outcome placed = placeCompressed(tools, i386Folder, entry.first, batch, log); !placed) {
            return placed;
        }
    }
    for (const std::string& inf : package.infFiles()) {
        if (Outcome placed = placeCompressed(tools, i386Folder, inf, batch, log); !placed) {
            return placed;
        }
    }
    for (const std::string& catalog : package.allCatalogFiles()) {
        if (Outcome placed = placeCatalog(i386Folder, catalog, log); !placed) {
            return placed;
        }
    }
    return {};
}

} // namespace ornibe
