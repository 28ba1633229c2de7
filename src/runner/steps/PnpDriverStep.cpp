// The Plug and Play driver step of the build: after the text-mode drivers,
// each PnP driver's INF and files go into a numbered folder of its own
// under $OEM$\$1\Drivers, which setup copies to the system drive's root and
// searches through OemPnPDriversPath.

#include "runner/steps/PnpDriverStep.h"

#include "runner/steps/BuildSteps.h"

#include "runner/PnpDriverRecord.h"
#include "runner/WorkRecord.h"
#include "source/PnpDriverPackage.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <system_error>

namespace ornibe {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFailed = "\r\nPnP ドライバのコピーに失敗しました";

// The folder at name inside parent (in the letter case it has), made when
// it is missing; never one that is a link.
std::string ownFolder(const std::string& parent, std::string_view name) {
    std::string folder = entryPathNoCase(parent, name);
    refuseLink("create folder", folder);
    if (!existsAsFolder(folder)) {
        makeFolders(folder);
    }
    return folder;
}

// Removes a folder the build made, with all it holds; links inside are
// removed, never followed.
void removeOwnFolder(const std::string& folder) {
    refuseLink("remove", folder);
    std::error_code error;
    fs::remove_all(folder, error);
    if (error) {
        throw FileError("remove", folder, systemReason(error.value()));
    }
}

// The files below folder, as "/"-separated paths relative to it; an entry
// that is neither a plain file nor a folder counts as a file, so that the
// folder is made anew.
std::set<std::string> filesBelow(const std::string& folder) {
    std::set<std::string> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (!it->is_directory() || it->is_symlink()) {
            files.insert(fs::relative(it->path(), folder).generic_string());
        }
    }
    return files;
}

// Puts the driver's files into its folder. A folder that holds exactly
// these files keeps every one whose bytes are the same, so a rerun changes
// nothing; one that holds anything else is made anew.
void fillFolder(const std::string& folder, const PnpDriver& driver) {
    refuseLink("open", folder);
    std::set<std::string> wanted;
    for (const PnpDriver::File& file : driver.files) {
        wanted.insert(file.relative);
    }
    if (existsAsFolder(folder) && filesBelow(folder) != wanted) {
        removeOwnFolder(folder);
    }
    if (!existsAsFolder(folder)) {
        makeFolders(folder);
    }
    for (const PnpDriver::File& file : driver.files) {
        const std::string target = folder + "/" + file.relative;
        std::string bytes = readFile(file.source);
        if (existsAsFile(target) && readFile(target) == bytes) {
            continue;
        }
        if (std::string parent = folderPart(target); parent != folder) {
            makeFolders(parent);
        }
        writeFileAtomic(target, bytes);
    }
}

// Whether a line of the record names one of the numbered folders.
bool isFolderKey(const std::string& key) {
    return key.size() == 3 &&
           std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Writes the record with these folders in place of those it names, the
// other steps' lines kept, unless it holds them already.
void writeRecord(WorkRecord& work, const PnpRecord& record) {
    // $OEM$ holds the drivers' folders from now on, and no later build
    // removes them without this step: the note that a build made $OEM$
    // goes, as a build of these drivers into an empty folder writes none.
    std::erase_if(work.lines, [](const BuildRecordLine& line) {
        return isFolderKey(line.key) || (line.key == kRecordMadeFolder && line.value == "$OEM$");
    });
    for (const PnpRecord::Entry& entry : record.entries) {
        work.lines.push_back({entry.folder, entry.inf});
    }
    writeWorkRecord(work);
}

// What names a Plug and Play driver's INF in the record of its folders
// the same from run to run.
std::string recordKeyOf(const BuildSettings& settings, const std::string& inf) {
    // An INF of a virtio-win image lies in a folder made for this run.
    const VirtioWinChoice& virtio = settings.getVirtioWin();
    if (!virtio.empty() && existsAsFile(virtio.source)) {
        for (const VirtioWinDriver& driver : virtio.drivers) {
            if (driver.inf == inf) {
                std::string inImage = driver.folder + "/" + fileName(inf);
                std::replace(inImage.begin(), inImage.end(), '\\', '/');
                return pnpRecordKey(inf, virtio.source, inImage);
            }
        }
    }
    return pnpRecordKey(inf);
}

} // namespace

void appendPnpDriverSummary(const BuildSettings& settings, const WindowsTarget& target,
                            ProgressLog& log) {
    if (settings.pnpDriverInfList().empty()) {
        return;
    }
    log.append("\r\n\r\n追加する PnP ドライバ：");
    for (const std::string& inf : settings.pnpDriverInfList()) {
        PnpDriver driver = readPnpDriver(inf, target);
        std::string description = driver.description.empty() ? fileName(inf) : driver.description;
        log.append("\r\n      " + description + "（" +
                   (driver.className.empty() ? std::string("クラスなし") : driver.className) +
                   "）");
    }
}

bool pnpDriverStep(BuildContext& context) {
    const std::vector<std::string>& infs = context.settings.pnpDriverInfList();
    ProgressLog& log = context.log();
    context.pnpEntries.clear();

    // Read again as they are now; what left the medium since the check is
    // found before anything changes.
    std::vector<PnpDriver> drivers;
    for (const std::string& inf : infs) {
        drivers.push_back(readPnpDriver(inf, context.data.target));
        if (std::optional<MediumProblem> problem = firstPnpProblem(drivers.back())) {
            Failure failure = problem->failure;
            if (failure.reason.empty()) {
                failure.reason = systemReason(ENOENT);
            }
            context.reportFailure(std::string(kFailed) + "\r\n" + failure.line());
            return false;
        }
    }

    try {
        Result<WorkRecord> work = readWorkRecord(context.settings.GetWorkFolder());
        if (!work) {
            context.reportFailure(std::string(kFailed) + "\r\n" + work.failure().line());
            return false;
        }
        PnpRecord earlier;
        for (const BuildRecordLine& line : work->lines) {
            if (isFolderKey(line.key) && !earlier.holdsFolder(line.key)) {
                earlier.entries.push_back({line.key, line.value});
            }
        }
        const std::string root = ownFolder(
            ownFolder(ownFolder(context.settings.GetWorkFolder(), kBuildRecordFolder), "$1"),
            "Drivers");
        std::vector<std::string> keys;
        for (const std::string& inf : infs) {
            keys.push_back(recordKeyOf(context.settings, inf));
        }
        const PnpRecord now = assignPnpFolders(earlier, keys, [&](const std::string& name) {
            return entryNameNoCase(root, name).has_value();
        });
        // Every folder this build may make or leave is in the record before
        // anything is copied: a copy that fails half-way leaves a folder
        // that the next build knows as its own, never one it takes for the
        // user's.
        PnpRecord claimed = now;
        for (const PnpRecord::Entry& old : earlier.entries) {
            if (!claimed.holdsFolder(old.folder)) {
                claimed.entries.push_back(old);
            }
        }
        writeRecord(*work, claimed);

        for (const PnpRecord::Entry& old : earlier.entries) {
            if (now.folderOf(old.inf) == old.folder) {
                continue;
            }
            if (std::optional<std::string> found = findNoCase(root, old.folder)) {
                log.append(pnpPathEntry(old.folder) + " を削除しています。。。");
                removeOwnFolder(*found);
                log.append("完了\r\n");
            }
        }
        for (std::size_t i = 0; i < drivers.size(); ++i) {
            const std::string& folder = now.entries[i].folder;
            log.append(pnpPathEntry(folder) + " に " + fileName(drivers[i].inf) +
                       " をコピーしています。。。");
            fillFolder(entryPathNoCase(root, folder), drivers[i]);
            log.append("完了\r\n");
            context.pnpEntries.push_back(pnpPathEntry(folder));
        }
        writeRecord(*work, now);
    } catch (const FileError& error) {
        context.reportFailure(std::string(kFailed) + "\r\n" + Failure::fromFileError(error).line());
        return false;
    }
    log.append("PnP ドライバのコピーが完了しました。\r\n\r\n");
    return true;
}

} // namespace ornibe
