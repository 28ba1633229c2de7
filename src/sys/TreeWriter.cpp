#include "sys/TreeWriter.h"

#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/PendingFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace ornibe {
namespace {

// Large files are copied in chunks of this size, so that progress is
// reported and a cancel is seen while one file is still being copied.
constexpr std::uint64_t kChunk = 8u << 20;
// The buffer of a copy that the kernel cannot do.
constexpr std::size_t kBuffer = 1u << 20;

// A link where a folder goes; the failure names the link.
constexpr const char* kLinkInTheWay = "作業フォルダの、フォルダを置く場所にリンクがあります";
// Something other than a folder where a folder goes; the failure names the
// source's folder.
constexpr const char* kFileInTheWay = "作業フォルダに同じ名前のフォルダでないものがあります";
// A folder where a file goes; the failure names the source's file.
constexpr const char* kFolderInTheWay = "作業フォルダに同じ名前のフォルダがあります";

} // namespace

TreeWriter::TreeWriter(const CopyProgress& totals, CopyProgressCallback progress,
                       const std::atomic<bool>* cancel)
    : progressCallback_(std::move(progress)), cancel_(cancel) {
    progress_.bytesTotal = totals.bytesTotal;
    progress_.filesTotal = totals.filesTotal;
}

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
    fail(path, reason, entry);
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
}

std::string TreeWriter::prepareFolder(DestFolder& parent, const TreeEntry& entry) {
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
        fail(target, kLinkInTheWay, entry);
        return {};
    }
    if (!S_ISDIR(st.st_mode)) {
        fail(entry.sourcePath, std::string(kFileInTheWay) + ": " + target, entry);
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
    const std::uint64_t bytesBefore = progress_.bytesDone;
    bool existed = true;
    std::string target = parent.entryFor(entry.name, &existed);
    struct stat existing {};
    if (existed && ::lstat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        failAt(entry.sourcePath, std::string(kFolderInTheWay) + ": " + target, entry, bytesBefore);
        return;
    }
    // The copy goes to a new file beside the target and replaces it by a
    // rename: an existing file (or a link of that name) is replaced even
    // when it is read-only, and a copy that fails or is cancelled leaves
    // no half-written file under the real name.
    try {
        PendingFile out(target);
        if (!copyBytes(source, out.fd(), target, entry, bytesBefore)) {
            return; // out removes its file
        }
        out.setMode(entry.mode);
        if (::futimens(out.fd(), entry.times) != 0) {
            throwFileError("write", target, errno);
        }
        out.commit();
    } catch (const FileError& error) {
        failAt(error.path(), error.reason(), entry, bytesBefore);
        return;
    }
    progress_.bytesDone = bytesBefore + entry.bytes;
    progress_.filesDone += 1;
    report();
}

// Copies the source's extents to the end of out, reporting progress; false
// when the copy was cancelled or failed (the failure is recorded).
bool TreeWriter::copyBytes(const ByteSource& source, int out, const std::string& target,
                           const TreeEntry& entry, std::uint64_t bytesBefore) {
    bool inKernel = true;
    std::uint64_t copied = 0;
    for (const Extent& extent : source.extents) {
        const bool toTheEnd = extent.length == kToTheEnd;
        std::uint64_t offset = extent.offset;
        std::uint64_t left = extent.length;
        while (left > 0) {
            if (cancelled()) {
                return false;
            }
            const std::uint64_t chunk = std::min(left, kChunk);
            ssize_t n = -1;
            bool writing = false;
            if (inKernel) {
                // The kernel moves the bytes (or shares them) without a
                // trip through this process.
                auto at = static_cast<loff_t>(offset);
                n = ::copy_file_range(source.fd, &at, out, nullptr, chunk, 0);
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n < 0 || (n == 0 && !toTheEnd)) {
                    // Not offered between these two (from a device, across
                    // file systems), or something failed: the rest goes
                    // through the buffer, which tells which side it was.
                    inKernel = false;
                    continue;
                }
            } else {
                n = readAndWrite(source.fd, offset, out, std::min<std::uint64_t>(chunk, kBuffer),
                                 writing);
                if (n < 0) {
                    failAt(writing ? target : entry.sourcePath, systemReason(errno), entry,
                           bytesBefore);
                    return false;
                }
            }
            if (n == 0) {
                if (toTheEnd) {
                    break;
                }
                // The source ends before the bytes it claims.
                failAt(entry.sourcePath, systemReason(EIO), entry, bytesBefore);
                return false;
            }
            offset += static_cast<std::uint64_t>(n);
            left -= static_cast<std::uint64_t>(n);
            copied += static_cast<std::uint64_t>(n);
            progress_.bytesDone = bytesBefore + std::min(copied, entry.bytes);
            if (copied < entry.bytes) {
                report(); // the end of the file is reported once, when it is placed
            }
        }
    }
    return true;
}

// Reads up to length bytes at offset and writes all of them; the bytes
// moved, 0 at the end of the source, -1 with errno on an error, with
// writing telling which side it was.
ssize_t TreeWriter::readAndWrite(int in, std::uint64_t offset, int out, std::size_t length,
                                 bool& writing) {
    buffer_.resize(kBuffer);
    writing = false;
    ssize_t n = -1;
    do {
        n = ::pread(in, buffer_.data(), length, static_cast<off_t>(offset));
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        return n;
    }
    std::size_t done = 0;
    while (done < static_cast<std::size_t>(n)) {
        ssize_t w = ::write(out, buffer_.data() + done, static_cast<std::size_t>(n) - done);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            if (w == 0) {
                errno = EIO;
            }
            writing = true;
            return -1;
        }
        done += static_cast<std::size_t>(w);
    }
    return n;
}

} // namespace ornibe
