#include "runner/DriverStaging.h"

#include "inf/DriverPackage.h"
#include "runner/ProgressLog.h"
#include "sys/CaseLookup.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/CompressedName.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/SearchPath.h"

#include <sys/stat.h>

#include <optional>

namespace ornibe {
namespace {

constexpr std::string_view kCopying = " をコピーしています。。。";
constexpr std::string_view kDone = "完了\r\n";

// Copies a file into folder under name (or the entry that differs from it
// only in letter case), replacing what is there; false with nothing
// half-written when it cannot be done.
bool copyInto(const std::string& from, const std::string& folder, std::string_view name) {
    try {
        writeFileAtomic(entryPathNoCase(folder, name), readFile(from));
        return true;
    } catch (const FileError&) {
        return false;
    }
}

// The driver medium may spell names in another letter case than its INF.
std::optional<std::string> onMedium(const std::string& path) {
    std::string folder = folderPart(path);
    std::optional<std::string> found = findNoCase(folder.empty() ? "." : folder, fileName(path));
    if (found && existsAsFile(*found)) {
        return found;
    }
    return std::nullopt;
}

bool placeCompressed(const std::string& i386Folder, const std::string& source, ProgressLog& log) {
    std::string name = fileName(source);
    log.append(std::string(name) + std::string(kCopying));
    std::string makecab = findOnSearchPath("MAKECAB.EXE");
    if (!makecab.empty()) {
        ChildProcessRunner runner(quoteArgument(makecab) + " /L " + quoteArgument(i386Folder) +
                                  " " + quoteArgument(onMedium(source).value_or(source)));
        if (runner.run() && runner.exitCode() == 0 &&
            findNoCase(i386Folder, compressedName(name))) {
            log.append(kDone);
            return true;
        }
    }
    // Driver media often carry the compressed form beside the file, as the
    // Windows CD does.
    std::optional<std::string> supplied = onMedium(compressedName(source));
    if (!supplied || !copyInto(*supplied, i386Folder, fileName(*supplied))) {
        return false;
    }
    log.append(kDone);
    return true;
}

bool placeCatalog(const std::string& i386Folder, const std::string& catalog, ProgressLog& log) {
    log.append(fileName(catalog) + std::string(kCopying));
    // An existing folder is fine; one that cannot be made shows as a
    // failing copy. One that is a link is refused.
    std::string svcpack = entryPathNoCase(i386Folder, "SVCPACK");
    refuseLink("create folder", svcpack);
    ::mkdir(svcpack.c_str(), 0777);
    std::optional<std::string> source = onMedium(catalog);
    if (!source || !copyInto(*source, svcpack, fileName(catalog))) {
        return false;
    }
    log.append(kDone);
    return true;
}

} // namespace

bool stageDriverFiles(const std::string& i386Folder, const DriverPackage& package,
                      ProgressLog& log) {
    // Driver files go into the work folder's own I386, never where a link
    // of that name leads.
    refuseLink("open", i386Folder);
    for (const auto& entry : package.fileToTargetDir()) {
        if (!placeCompressed(i386Folder, entry.first, log)) {
            return false;
        }
    }
    for (const std::string& inf : package.infFiles()) {
        if (!placeCompressed(i386Folder, inf, log)) {
            return false;
        }
    }
    for (const std::string& catalog : package.catalogFiles()) {
        if (!placeCatalog(i386Folder, catalog, log)) {
            return false;
        }
    }
    return true;
}

} // namespace ornibe
