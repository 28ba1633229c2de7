#include "runner/CabinetBatch.h"

#include "patch/SetupFileEditor.h"
#include "sys/CaseLookup.h"
#include "sys/CommandLine.h"
#include "sys/CompressedName.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ornibe {
namespace {

// Removes a pending file of the batch, whatever became of it.
void removeQuietly(const std::string& path) {
    ::unlink(path.c_str());
}

} // namespace

CabinetBatch::CabinetBatch(const ToolSearch& tools, const std::string& i386Folder,
                           const std::vector<std::string>& files, const StopCheck& stop,
                           const ChildProcessRunner::IdleCallback& idle)
    : i386Folder_(i386Folder) {
    std::string makecab = SetupFileEditor::FindTool(tools, "MAKECAB");
    if (makecab.empty() || files.empty()) {
        return;
    }
    struct stat before {};
    if (::stat(i386Folder.c_str(), &before) == 0) {
        folderTimes_ = {before.st_atim, before.st_mtim};
    }
    // The list names each file and the pending file its cabinet goes to,
    // each ended by a NUL byte.
    std::string list;
    for (const std::string& file : files) {
        if (pending_.contains(file)) {
            continue;
        }
        std::string place =
            reservePendingFile(joinPath(i386Folder, compressedName(fileName(file))));
        pending_.emplace(file, place);
        list += file + '\0' + fileName(place) + '\0';
    }
    const std::string listFile = reservePendingFile(joinPath(i386Folder, "MAKECAB.LST"));
    try {
        writeFileAtomic(listFile, list);
    } catch (const FileError&) {
        removeQuietly(listFile);
        throw;
    }
    ChildProcessRunner runner(tools, quoteArgument(makecab) + " /L " + quoteArgument(i386Folder) +
                                         " /F " + quoteArgument(listFile));
    runner.setStopCheck(stop);
    Outcome ran = runQuietly(runner, idle);
    removeQuietly(listFile);
    if (runner.stopped()) {
        run_ = std::move(ran);
    }
    struct stat after {};
    if (folderTimes_ && ::stat(i386Folder.c_str(), &after) == 0) {
        batchTime_ = after.st_mtim;
    }
}

CabinetBatch::~CabinetBatch() {
    // When nothing but the batch's own pending files touched I386 (no
    // cabinet placed, by the batch or by a run of its own), the folder gets
    // back the times it had, as a stage that placed nothing leaves it.
    struct stat now {};
    bool untouched = folderTimes_ && batchTime_ && ::stat(i386Folder_.c_str(), &now) == 0 &&
                     now.st_mtim.tv_sec == batchTime_->tv_sec &&
                     now.st_mtim.tv_nsec == batchTime_->tv_nsec;
    for (const auto& entry : pending_) {
        removeQuietly(entry.second);
    }
    if (untouched) {
        ::utimensat(AT_FDCWD, i386Folder_.c_str(), folderTimes_->data(), 0);
    }
}

bool CabinetBatch::place(const std::string& file) {
    auto found = pending_.find(file);
    if (found == pending_.end()) {
        names_.reset();
        return false;
    }
    const std::string cabinet = found->second;
    pending_.erase(found);
    // Whether I386 was left as the batch left it, before this change.
    struct stat folder {};
    if (batchTime_ &&
        (::stat(i386Folder_.c_str(), &folder) != 0 || folder.st_mtim.tv_sec != batchTime_->tv_sec ||
         folder.st_mtim.tv_nsec != batchTime_->tv_nsec)) {
        batchTime_.reset();
    }
    if (!names_) {
        names_.emplace(i386Folder_);
    }
    const std::string target = names_->entryFor(compressedName(fileName(file)));
    mode_t mode = 0644;
    struct stat st {};
    bool placeable = SetupFileEditor::IsCabinet(cabinet);
    if (placeable && ::lstat(target.c_str(), &st) == 0) {
        placeable = S_ISREG(st.st_mode) && !isReadOnly(target);
        mode = st.st_mode & 07777;
    }
    if (!placeable || ::chmod(cabinet.c_str(), mode) != 0 ||
        ::rename(cabinet.c_str(), target.c_str()) != 0) {
        removeQuietly(cabinet);
        names_.reset();
        if (batchTime_ && ::stat(i386Folder_.c_str(), &folder) == 0) {
            batchTime_ = folder.st_mtim;
        }
        return false;
    }
    batchTime_.reset();
    return true;
}

} // namespace ornibe
