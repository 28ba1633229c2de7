#include "sys/TreeWriter.h"

#include "sys/CopyAhead.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/PendingCopy.h"
#include "sys/Translation.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace ornibe {
namespace {

// A link where a folder goes; the failure names the link.
constexpr std::string_view kLinkInTheWay =
    toTranslate("作業フォルダの、フォルダを置く場所にリンクがあります");
// Something other than a folder where a folder goes; the failure names the
// source's folder.
constexpr std::string_view kFileInTheWay =
    toTranslate("作業フォルダに同じ名前のフォルダでないものがあります");
// A folder where a file goes; the failure names the source's file.
constexpr std::string_view kFolderInTheWay =
    toTranslate("作業フォルダに同じ名前のフォルダがあります");

} // namespace

TreeWriter::TreeWriter(const CopyProgress& totals, CopyProgressCallback progress,
                       const std::atomic<bool>* cancel, unsigned workers)
    : progressCallback_(std::move(progress)), cancel_(cancel) {
    progress_.bytesTotal = totals.bytesTotal;
    progress_.filesTotal = totals.filesTotal;
    if (workers > 0) {
        ahead_ = std::make_unique<CopyAhead>(workers, cancel);
    }
}

// Also when a progress callback threw: the workers stop, and the files
// not yet in place are removed.
TreeWriter::~TreeWriter() = default;

bool TreeWriter::cancelled() {
    if (!result_.cancelled && cancel_ != nullptr && cancel_->load()) {
        result_.cancelled = true;
    }
    return result_.cancelled;
}

void TreeWriter::report() {
    if (progressCallback_) {
        progressCallback_(progress_);
    }
}

void TreeWriter::record(const std::string& path, const std::string& reason) {
    if (result_.failures == 0) {
        result_.failedPath = path;
        result_.reason = reason;
    }
    result_.failures += 1;
}

void TreeWriter::fail(const std::string& path, const std::string& reason, const TreeEntry& entry) {
    // In its turn, after the files handed before it; none after a cancel
    // that putting them in place met.
    if (ahead_) {
        placeAll();
        if (result_.cancelled) {
            return;
        }
    }
    failEntry(path, reason, entry);
}

void TreeWriter::failEntry(const std::string& path, const std::string& reason,
                           const TreeEntry& entry) {
    record(path, reason);
    // The entry's files count as done, so that the progress still reaches
    // its total.
    progress_.filesDone += entry.files;
    progress_.bytesDone += entry.bytes;
    report();
}

void TreeWriter::failAt(const std::string& path, const std::string& reason, const TreeEntry& entry,
                        std::uint64_t bytesBefore) {
    progress_.bytesDone = bytesBefore;
    failEntry(path, reason, entry);
}

void TreeWriter::leaveOut(std::string line) {
    result_.leftOut.push_back(std::move(line));
}

void TreeWriter::copyInto(const std::string& to, const Content& content) {
    try {
        makeFolders(to);
    } catch (const FileError& error) {
        record(error.path(), error.reason());
        return;
    }
    if (cancelled()) {
        return;
    }
    DestFolder destination(to);
    content(destination);
    placeAll();
}

std::string TreeWriter::prepareFolder(DestFolder& parent, const TreeEntry& entry) {
    // The files handed before the folder are in place before it is made.
    placeAll();
    if (cancelled()) {
        return {};
    }
    std::string target = parent.entryFor(entry.name);
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0) {
        // Made writable for the copy; the entry's bits are set afterwards.
        if (::mkdir(target.c_str(), 0700) != 0) {
            fail(target, systemReason(errno), entry);
            return {};
        }
        return target;
    }
    if (S_ISLNK(st.st_mode)) {
        // Never entered: whatever it leads to is not the destination.
        fail(target, translated(kLinkInTheWay), entry);
        return {};
    }
    if (!S_ISDIR(st.st_mode)) {
        fail(entry.sourcePath, translated(kFileInTheWay) + ": " + target, entry);
        return {};
    }
    // A folder that a former copy left read-only still takes new files, as
    // a read-only folder does on Windows; the entry's bits are set again
    // afterwards. One that refuses (another user's) is filled all the same:
    // its files fail on their own where it takes none, and the bits it
    // refuses afterwards are counted there.
    if ((st.st_mode & S_IRWXU) != S_IRWXU) {
        (void)::chmod(target.c_str(), (st.st_mode & 07777) | S_IRWXU);
    }
    return target;
}

void TreeWriter::copyFolder(DestFolder& parent, const TreeEntry& entry, const Content& content) {
    std::string target = prepareFolder(parent, entry);
    if (target.empty()) {
        return;
    }
    DestFolder folder(target);
    content(folder);
    placeAll();
    // Also after a cancel: the folder is left as the source has it.
    setFolderAttributes(target, entry);
}

void TreeWriter::setFolderAttributes(const std::string& target, const TreeEntry& entry) {
    // Both are tried; the first refusal is the one named.
    int error = ::chmod(target.c_str(), entry.mode) == 0 ? 0 : errno;
    if (::utimensat(AT_FDCWD, target.c_str(), entry.times, AT_SYMLINK_NOFOLLOW) != 0 &&
        error == 0) {
        error = errno;
    }
    if (error == 0) {
        return;
    }
    if (result_.foldersUnset == 0) {
        result_.unsetPath = target;
        result_.unsetReason = systemReason(error);
    }
    result_.foldersUnset += 1;
}

void TreeWriter::copyFile(DestFolder& parent, const TreeEntry& entry, const ByteSource& source) {
    if (ahead_) {
        // No more than kReadAhead files are ahead of the one put in place.
        while (ahead_->size() >= kReadAhead) {
            placeOldest();
        }
        if (cancelled()) {
            return;
        }
    }
    bool existed = true;
    std::string target = parent.entryFor(entry.name, &existed);
    struct stat existing {};
    if (existed && ::lstat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        fail(entry.sourcePath, translated(kFolderInTheWay) + ": " + target, entry);
        return;
    }
    auto copy = std::make_unique<PendingCopy>();
    copy->target = std::move(target);
    copy->entry = entry;
    copy->extents.assign(source.extents.begin(), source.extents.end());
    copy->in.reset(::fcntl(source.fd, F_DUPFD_CLOEXEC, 0));
    if (!copy->in.valid()) {
        fail(entry.sourcePath, systemReason(errno), entry);
        return;
    }
    if (ahead_) {
        ahead_->add(std::move(copy));
        return;
    }
    // Written here and now: the progress between its chunks is reported as
    // it comes, and a cancel seen before the next chunk.
    const std::uint64_t bytesBefore = progress_.bytesDone;
    CopyChunkHooks hooks{[this] { return !cancelled(); },
                         [&](std::uint64_t counted) {
                             progress_.bytesDone = bytesBefore + counted;
                             report();
                         }};
    writePendingCopy(*copy, hooks, buffer_);
    progress_.bytesDone = bytesBefore;
    place(*copy, false);
}

void TreeWriter::place(PendingCopy& copy, bool replay) {
    if (result_.cancelled) {
        return; // copy removes its file
    }
    const std::uint64_t bytesBefore = progress_.bytesDone;
    if (replay) {
        for (const PendingCopy::Step& step : copy.steps) {
            if (cancelled()) {
                return;
            }
            if (step.reported) {
                progress_.bytesDone = bytesBefore + step.counted;
                report();
            }
        }
    }
    if (copy.stopped) {
        // The cancel that stopped it stays set.
        result_.cancelled = true;
        return;
    }
    if (copy.failed) {
        failAt(copy.failedPath, copy.reason, copy.entry, bytesBefore);
        return;
    }
    try {
        copy.file->commit();
    } catch (const FileError& error) {
        failAt(error.path(), error.reason(), copy.entry, bytesBefore);
        return;
    }
    progress_.bytesDone = bytesBefore + copy.entry.bytes;
    progress_.filesDone += 1;
    report();
}

void TreeWriter::placeOldest() {
    std::unique_ptr<PendingCopy> copy = ahead_->takeOldest();
    if (copy) {
        place(*copy, true);
    }
}

void TreeWriter::placeAll() {
    if (ahead_) {
        while (!ahead_->empty()) {
            placeOldest();
        }
    }
}

unsigned aheadWorkersFor(int fd) {
    struct stat st {};
    struct statfs fs {};
    if (::fstat(fd, &st) != 0 || S_ISBLK(st.st_mode) || S_ISCHR(st.st_mode) ||
        ::fstatfs(fd, &fs) != 0 || fs.f_type == ISOFS_SUPER_MAGIC || fs.f_type == UDF_SUPER_MAGIC) {
        return 0;
    }
    unsigned processors = std::thread::hardware_concurrency();
    return processors < 2 ? 0 : std::min(processors, 4u);
}

} // namespace ornibe
