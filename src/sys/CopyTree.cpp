#include "sys/CopyTree.h"

#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/PendingFile.h"
#include "sys/UniqueDir.h"
#include "sys/UniqueFd.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace ornibe {
namespace {

// Large files are copied in chunks of this size, so that progress is
// reported and a cancel is seen while one file is still being copied.
constexpr size_t kChunk = 8u << 20;

enum class Kind { Folder, File, LeftOut, Other };

// One entry of the source tree as the scan found it.
struct Node {
    std::string name;
    Kind kind = Kind::Other;
    mode_t mode = 0;
    std::uint64_t size = 0;
    timespec times[2]{}; // access and modification
    std::vector<Node> children;
    int scanError = 0; // a folder that could not be listed
    // For an entry reached through a link inside the source: the real path
    // it is read from. For a link that is left out: why.
    std::string linkTarget;
    std::uint64_t filesBelow = 0;
    std::uint64_t bytesBelow = 0;
};

Kind kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return Kind::Folder;
    }
    if (S_ISREG(mode)) {
        return Kind::File;
    }
    return Kind::Other;
}

using FileId = std::pair<dev_t, ino_t>;

// What the scan needs besides the folder at hand: the source's real path,
// against which links are judged, and the folders on the way down, so that
// a link back to one of them is not followed for ever.
struct ScanContext {
    std::string realRoot;
    std::set<FileId> ancestors;
};

void scanFolder(const std::string& path, Node& folder, ScanContext& context) {
    UniqueDir dir(opendir(path.c_str()));
    if (!dir) {
        folder.scanError = errno;
        return;
    }
    struct stat self {};
    if (fstat(dirfd(dir.get()), &self) != 0) {
        folder.scanError = errno;
        return;
    }
    FileId selfId{self.st_dev, self.st_ino};
    context.ancestors.insert(selfId);
    while (dirent* entry = readdir(dir.get())) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        Node node;
        node.name = std::string(name);
        struct stat st {};
        if (fstatat(dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            node.scanError = errno;
            node.kind = Kind::Other;
            folder.filesBelow += 1;
            folder.children.push_back(std::move(node));
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            // A link is copied as what it names when that lies inside the
            // source; one that leads out of it (or nowhere, or back to a
            // folder above it) is left out.
            LinkTarget target = followLink(joinPath(path, node.name), context.realRoot);
            if (target.leads != LinkTarget::Leads::Inside) {
                node.kind = Kind::LeftOut;
                node.linkTarget = target.leads == LinkTarget::Leads::Nowhere
                                      ? "it leads nowhere"
                                      : "it leads out of the source";
            } else if (S_ISDIR(target.st.st_mode) &&
                       context.ancestors.count({target.st.st_dev, target.st.st_ino}) != 0) {
                node.kind = Kind::LeftOut;
                node.linkTarget = "it leads back to a folder above it";
            } else {
                node.linkTarget = target.real;
                st = target.st;
            }
        }
        if (node.kind != Kind::LeftOut) {
            node.kind = kindOf(st.st_mode);
        }
        node.mode = st.st_mode & 07777;
        node.times[0] = st.st_atim;
        node.times[1] = st.st_mtim;
        if (node.kind == Kind::LeftOut) {
            folder.children.push_back(std::move(node));
            continue;
        }
        if (node.kind == Kind::Folder) {
            scanFolder(node.linkTarget.empty() ? joinPath(path, node.name) : node.linkTarget, node,
                       context);
            folder.filesBelow += node.filesBelow;
            folder.bytesBelow += node.bytesBelow;
        } else {
            node.size = node.kind == Kind::File ? static_cast<std::uint64_t>(st.st_size) : 0;
            folder.filesBelow += 1;
            folder.bytesBelow += node.size;
        }
        folder.children.push_back(std::move(node));
    }
    context.ancestors.erase(selfId);
    // A fixed order, so that a copy and its progress do not depend on the
    // order of the directory.
    std::sort(folder.children.begin(), folder.children.end(),
              [](const Node& a, const Node& b) { return a.name < b.name; });
}

class TreeCopier {
public:
    TreeCopier(const CopyProgressCallback& progress, const std::atomic<bool>* cancel)
        : progressCallback_(progress), cancel_(cancel) {}

    CopyResult result;
    CopyProgress progress;

    void copyFolderContent(const std::string& from, const Node& source, DestFolder& to) {
        if (source.scanError != 0) {
            fail(from, systemReason(source.scanError), source);
            return;
        }
        for (const Node& node : source.children) {
            if (cancelled()) {
                return;
            }
            std::string sourcePath = joinPath(from, node.name);
            if (node.scanError != 0) {
                fail(sourcePath, systemReason(node.scanError), node);
                continue;
            }
            switch (node.kind) {
            case Kind::Folder:
                copyFolder(sourcePath, node, to);
                break;
            case Kind::File:
                copyFile(sourcePath, node, to);
                break;
            case Kind::LeftOut:
                result.leftOut.push_back(sourcePath + ": " + node.linkTarget);
                break;
            case Kind::Other:
                fail(sourcePath, "not a regular file, folder or link", node);
                break;
            }
        }
    }

    bool cancelled() {
        if (!result.cancelled && cancel_ != nullptr && cancel_->load()) {
            result.cancelled = true;
        }
        return result.cancelled;
    }

private:
    void report() {
        if (progressCallback_) {
            progressCallback_(progress);
        }
    }

    // Records a failure; the entry's files count as done so that the
    // progress still reaches its total.
    void fail(const std::string& path, const std::string& reason, const Node& node) {
        if (result.failures == 0) {
            result.failedPath = path;
            result.reason = reason;
        }
        result.failures += 1;
        if (node.kind == Kind::Folder) {
            progress.filesDone += node.filesBelow;
            progress.bytesDone += node.bytesBelow;
        } else {
            progress.filesDone += 1;
            progress.bytesDone += node.size;
        }
        report();
    }

    void copyFolder(const std::string& from, const Node& node, DestFolder& parent) {
        std::string target = parent.entryFor(node.name);
        struct stat st {};
        if (lstat(target.c_str(), &st) == 0) {
            if (S_ISLNK(st.st_mode)) {
                // Never entered: whatever it leads to is not the work folder.
                fail(target, "a link stands in the destination where a folder goes", node);
                return;
            }
            if (!S_ISDIR(st.st_mode)) {
                fail(from, "a file of that name stands in the destination: " + target, node);
                return;
            }
            // A folder that a former copy left read-only still takes new
            // files, as a read-only folder does on Windows; the source's
            // bits are set again below.
            if ((st.st_mode & S_IRWXU) != S_IRWXU) {
                ::chmod(target.c_str(), (st.st_mode & 07777) | S_IRWXU);
            }
        } else if (::mkdir(target.c_str(), 0700) != 0) {
            fail(from, systemReason(errno), node);
            return;
        }
        DestFolder folder(target);
        copyFolderContent(node.linkTarget.empty() ? from : node.linkTarget, node, folder);
        ::chmod(target.c_str(), node.mode);
        ::utimensat(AT_FDCWD, target.c_str(), node.times, AT_SYMLINK_NOFOLLOW);
    }

    void copyFile(const std::string& sourcePath, const Node& node, DestFolder& parent) {
        // A file reached through a link inside the source is read where it
        // really is; the open below then meets no link.
        const std::string& from = node.linkTarget.empty() ? sourcePath : node.linkTarget;
        const std::uint64_t bytesBefore = progress.bytesDone;
        struct stat st {};
        UniqueFd in = openSource(from, st, node, bytesBefore);
        if (!in.valid()) {
            return;
        }
        std::optional<std::string> target = destinationFor(from, node, parent, bytesBefore);
        if (!target) {
            return;
        }
        // The copy goes to a new file beside the target and replaces it by
        // a rename: an existing file (or a link of that name) is replaced
        // even when it is read-only, and a copy that fails or is cancelled
        // leaves no half-written file under the real name.
        try {
            PendingFile out(*target);
            if (!copyContent(in.get(), out, from, *target, node, bytesBefore)) {
                return; // out removes its file
            }
            placeCopy(out, st, *target);
        } catch (const FileError& error) {
            failAt(error.path(), error.reason(), node, bytesBefore);
            return;
        }
        progress.bytesDone = bytesBefore + node.size;
        progress.filesDone += 1;
        report();
    }

    // A failure names the file the copy could not do its part with: the
    // source when reading failed, the work folder's file when writing it
    // failed.
    void failAt(const std::string& path, const std::string& reason, const Node& node,
                std::uint64_t bytesBefore) {
        progress.bytesDone = bytesBefore;
        fail(path, reason, node);
    }

    // The source opened for reading, with its status in st; not valid after
    // a failure, which is recorded.
    UniqueFd openSource(const std::string& from, struct stat& st, const Node& node,
                        std::uint64_t bytesBefore) {
        // O_NONBLOCK: an entry that turned into a pipe since the scan must
        // not block the open; it is refused below.
        UniqueFd in(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
        if (!in.valid()) {
            failAt(from, systemReason(errno), node, bytesBefore);
            return {};
        }
        if (fstat(in.get(), &st) != 0) {
            failAt(from, systemReason(errno), node, bytesBefore);
            return {};
        }
        if (!S_ISREG(st.st_mode)) {
            failAt(from,
                   S_ISDIR(st.st_mode) ? systemReason(EISDIR)
                                       : "not a regular file, folder or link",
                   node, bytesBefore);
            return {};
        }
        // O_NONBLOCK stays: reads of a regular file ignore it.
        return in;
    }

    // The path the copy takes in the destination folder; nothing, with the
    // failure recorded, when a folder stands there.
    std::optional<std::string> destinationFor(const std::string& from, const Node& node,
                                              DestFolder& parent, std::uint64_t bytesBefore) {
        bool existed = true;
        std::string target = parent.entryFor(node.name, &existed);
        struct stat existing {};
        if (existed && lstat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
            failAt(from, "a folder of that name stands in the destination: " + target, node,
                   bytesBefore);
            return std::nullopt;
        }
        return target;
    }

    // Copies the bytes into the pending file, reporting progress; false
    // when the copy was cancelled or failed (the failure is recorded).
    bool copyContent(int in, PendingFile& out, const std::string& from, const std::string& target,
                     const Node& node, std::uint64_t bytesBefore) {
        std::uint64_t copied = 0;
        bool useCopyRange = true;
        std::vector<char> buffer;
        while (true) {
            if (cancelled()) {
                return false;
            }
            ssize_t n = -1;
            bool writing = false;
            if (useCopyRange) {
                n = ::copy_file_range(in, nullptr, out.fd(), nullptr, kChunk, 0);
                if (n < 0 && copied == 0 &&
                    (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                     errno == EPERM)) {
                    // Not offered between these two file systems: copy
                    // through a buffer instead.
                    useCopyRange = false;
                    continue;
                }
                writing = n < 0 && isWriteError(errno);
            } else {
                n = readWrite(in, out.fd(), buffer, writing);
            }
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                int error = errno;
                out.abandon();
                failAt(writing ? target : from, systemReason(error), node, bytesBefore);
                return false;
            }
            if (n == 0) {
                return true;
            }
            copied += static_cast<std::uint64_t>(n);
            progress.bytesDone = bytesBefore + std::min(copied, node.size);
            if (copied < node.size) {
                report(); // the end of the file is reported once, when it is placed
            }
        }
    }

    // Gives the copy the source's permission bits and times and puts it in
    // place under its name; throws FileError.
    static void placeCopy(PendingFile& out, const struct stat& st, const std::string& target) {
        timespec times[2] = {st.st_atim, st.st_mtim};
        out.setMode(st.st_mode & 07777);
        if (::futimens(out.fd(), times) != 0) {
            throwFileError("write", target, errno);
        }
        out.commit();
    }

    // Errors of a copy that come from the side written to.
    static bool isWriteError(int error) {
        return error == ENOSPC || error == EFBIG || error == EDQUOT || error == EROFS;
    }

    // Reads one chunk and writes all of it; the bytes copied, 0 at the
    // end, -1 with errno on an error, with writing telling which side.
    static ssize_t readWrite(int in, int out, std::vector<char>& buffer, bool& writing) {
        buffer.resize(1u << 20);
        writing = false;
        ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n <= 0) {
            return n;
        }
        size_t done = 0;
        while (done < static_cast<size_t>(n)) {
            ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(n) - done);
            if (w < 0) {
                if (errno == EINTR) {
                    continue;
                }
                writing = true;
                return -1;
            }
            done += static_cast<size_t>(w);
        }
        return n;
    }

    const CopyProgressCallback& progressCallback_;
    const std::atomic<bool>* cancel_;
};

std::string realFolder(const std::string& path) {
    std::string real = realPath(path).value_or(std::string());
    return real.empty() ? makeAbsolute(path) : real;
}

} // namespace

CopyResult copyTree(const std::string& from, const std::string& to,
                    const CopyProgressCallback& progress, const std::atomic<bool>* cancel) {
    CopyResult result;
    auto failed = [&](const std::string& path, const std::string& reason) {
        result.failures = 1;
        result.failedPath = path;
        result.reason = reason;
        return result;
    };
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0) {
        return failed(from, systemReason(errno));
    }
    if (!S_ISDIR(st.st_mode)) {
        return failed(from, systemReason(ENOTDIR));
    }
    // Copying a folder into itself would never end.
    if (isSameOrInside(hostRealPath(to), realFolder(from))) {
        return failed(to, "the destination lies inside the source");
    }

    Node root;
    root.kind = Kind::Folder;
    ScanContext context{realFolder(from), {}};
    scanFolder(from, root, context);

    TreeCopier copier(progress, cancel);
    copier.progress.bytesTotal = root.bytesBelow;
    copier.progress.filesTotal = root.filesBelow;
    try {
        makeFolders(to);
    } catch (const FileError& error) {
        return failed(error.path(), error.reason());
    }
    if (copier.cancelled()) {
        return copier.result;
    }
    DestFolder destination(to);
    copier.copyFolderContent(from, root, destination);
    return copier.result;
}

std::optional<std::uint64_t> treeBytes(const std::string& from) {
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return std::nullopt;
    }
    Node root;
    root.kind = Kind::Folder;
    ScanContext context{realFolder(from), {}};
    scanFolder(from, root, context);
    if (root.scanError != 0) {
        return std::nullopt;
    }
    return root.bytesBelow;
}

} // namespace ornibe
