#include "sys/CopyTree.h"

#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
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
#include <set>
#include <vector>

namespace ornibe {
namespace {

// Large files are copied in chunks of this size, so that progress is
// reported and a cancel is seen while one file is still being copied.
constexpr size_t kChunk = 8u << 20;

enum class Kind { Folder, File, Link, Other };

// One entry of the source tree as the scan found it.
struct Node {
    std::string name;
    Kind kind = Kind::Other;
    mode_t mode = 0;
    std::uint64_t size = 0;
    timespec times[2]{}; // access and modification
    std::vector<Node> children;
    int scanError = 0; // a folder that could not be listed
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
    if (S_ISLNK(mode)) {
        return Kind::Link;
    }
    return Kind::Other;
}

void scanFolder(const std::string& path, Node& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(path.c_str()), closedir);
    if (!dir) {
        folder.scanError = errno;
        return;
    }
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
        node.kind = kindOf(st.st_mode);
        node.mode = st.st_mode & 07777;
        node.times[0] = st.st_atim;
        node.times[1] = st.st_mtim;
        if (node.kind == Kind::Folder) {
            scanFolder(joinPath(path, node.name), node);
            folder.filesBelow += node.filesBelow;
            folder.bytesBelow += node.bytesBelow;
        } else {
            node.size = node.kind == Kind::File ? static_cast<std::uint64_t>(st.st_size) : 0;
            folder.filesBelow += 1;
            folder.bytesBelow += node.size;
        }
        folder.children.push_back(std::move(node));
    }
    // A fixed order, so that a copy and its progress do not depend on the
    // order of the directory.
    std::sort(folder.children.begin(), folder.children.end(),
              [](const Node& a, const Node& b) { return a.name < b.name; });
}

// The names already in a destination folder, read once, so that each new
// entry finds an existing case twin without listing the folder again.
class DestFolder {
public:
    explicit DestFolder(std::string path) : path_(std::move(path)) {
        std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(path_.c_str()), closedir);
        if (!dir) {
            return;
        }
        while (dirent* entry = readdir(dir.get())) {
            std::string_view name = entry->d_name;
            if (name != "." && name != "..") {
                add(std::string(name));
            }
        }
    }

    const std::string& path() const { return path_; }

    // The path that name takes here: the exact name when it exists, else
    // the smallest existing name that differs only in case, else name.
    // existed tells whether that entry was there before (read from the
    // folder or handed out earlier), so that a new one needs no lstat.
    std::string entryFor(const std::string& name, bool* existed = nullptr) {
        bool there = true;
        if (exact_.count(name) == 0) {
            auto twin = twins_.find(foldHostText(name));
            if (twin != twins_.end()) {
                if (existed != nullptr) {
                    *existed = true;
                }
                return joinPath(path_, twin->second);
            }
            add(name);
            there = false;
        }
        if (existed != nullptr) {
            *existed = there;
        }
        return joinPath(path_, name);
    }

private:
    void add(const std::string& name) {
        exact_.insert(name);
        auto [it, inserted] = twins_.emplace(foldHostText(name), name);
        if (!inserted && name < it->second) {
            it->second = name;
        }
    }

    std::string path_;
    std::set<std::string> exact_;
    std::map<std::string, std::string> twins_;
};

// The new file beside a target that a copy writes first. It is removed
// unless it was renamed into place, also when a progress callback throws.
class PartFile {
public:
    explicit PartFile(std::string path) : path_(std::move(path)) {}
    ~PartFile() { remove(); }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    const std::string& path() const { return path_; }
    void placed() { path_.clear(); }
    void remove() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
            path_.clear();
        }
    }

private:
    std::string path_;
};

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
            case Kind::Link:
                copyLink(sourcePath, node, to);
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
        copyFolderContent(from, node, folder);
        ::chmod(target.c_str(), node.mode);
        ::utimensat(AT_FDCWD, target.c_str(), node.times, AT_SYMLINK_NOFOLLOW);
    }

    void copyFile(const std::string& from, const Node& node, DestFolder& parent) {
        std::uint64_t bytesBefore = progress.bytesDone;
        auto finish = [&] {
            progress.bytesDone = bytesBefore + node.size;
            progress.filesDone += 1;
            report();
        };
        auto failHere = [&](const std::string& reason) {
            progress.bytesDone = bytesBefore;
            fail(from, reason, node);
        };

        // O_NONBLOCK: an entry that turned into a pipe since the scan must
        // not block the open; it is refused below.
        UniqueFd in(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
        if (!in.valid()) {
            failHere(systemReason(errno));
            return;
        }
        struct stat st {};
        if (fstat(in.get(), &st) != 0) {
            failHere(systemReason(errno));
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            failHere(S_ISDIR(st.st_mode) ? systemReason(EISDIR)
                                         : "not a regular file, folder or link");
            return;
        }
        // O_NONBLOCK stays: reads of a regular file ignore it.

        bool existed = true;
        std::string target = parent.entryFor(node.name, &existed);
        struct stat existing {};
        if (existed && lstat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
            failHere("a folder of that name stands in the destination: " + target);
            return;
        }
        // The copy goes to a new file beside the target and replaces it by
        // a rename: an existing file is replaced even when it is
        // read-only, and a copy that fails or is cancelled leaves no
        // half-written file under the real name.
        PartFile part(partPath(parent));
        UniqueFd out(::open(part.path().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        if (!out.valid()) {
            failHere(systemReason(errno));
            return;
        }
        auto abandon = [&](const std::string& reason) {
            out.reset();
            part.remove();
            if (!reason.empty()) {
                failHere(reason);
            }
        };

        std::uint64_t copied = 0;
        bool useCopyRange = true;
        std::vector<char> buffer;
        while (true) {
            if (cancelled()) {
                abandon({});
                return;
            }
            ssize_t n = -1;
            if (useCopyRange) {
                n = ::copy_file_range(in.get(), nullptr, out.get(), nullptr, kChunk, 0);
                if (n < 0 && copied == 0 &&
                    (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                     errno == EPERM)) {
                    // Not offered between these two file systems: copy
                    // through a buffer instead.
                    useCopyRange = false;
                    continue;
                }
            } else {
                n = readWrite(in.get(), out.get(), buffer);
            }
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                abandon(systemReason(errno));
                return;
            }
            if (n == 0) {
                break;
            }
            copied += static_cast<std::uint64_t>(n);
            progress.bytesDone = bytesBefore + std::min(copied, node.size);
            if (copied < node.size) {
                report(); // the end of the file is reported once, below
            }
        }
        timespec times[2] = {st.st_atim, st.st_mtim};
        if (::fchmod(out.get(), st.st_mode & 07777) != 0 || ::futimens(out.get(), times) != 0) {
            abandon(systemReason(errno));
            return;
        }
        if (::close(out.release()) != 0) {
            abandon(systemReason(errno));
            return;
        }
        if (::rename(part.path().c_str(), target.c_str()) != 0) {
            abandon(systemReason(errno));
            return;
        }
        part.placed();
        finish();
    }

    // Reads one chunk and writes all of it; the bytes copied, 0 at the
    // end, -1 with errno on an error.
    static ssize_t readWrite(int in, int out, std::vector<char>& buffer) {
        buffer.resize(1u << 20);
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
                return -1;
            }
            done += static_cast<size_t>(w);
        }
        return n;
    }

    void copyLink(const std::string& from, const Node& node, DestFolder& parent) {
        std::vector<char> buffer(PATH_MAX + 1);
        ssize_t n = ::readlink(from.c_str(), buffer.data(), buffer.size() - 1);
        if (n < 0) {
            fail(from, systemReason(errno), node);
            return;
        }
        std::string linkTarget(buffer.data(), static_cast<size_t>(n));
        std::string target = parent.entryFor(node.name);
        struct stat existing {};
        if (lstat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
            fail(from, "a folder of that name stands in the destination: " + target, node);
            return;
        }
        PartFile part(partPath(parent));
        ::unlink(part.path().c_str());
        if (::symlink(linkTarget.c_str(), part.path().c_str()) != 0) {
            fail(from, systemReason(errno), node);
            return;
        }
        ::utimensat(AT_FDCWD, part.path().c_str(), node.times, AT_SYMLINK_NOFOLLOW);
        if (::rename(part.path().c_str(), target.c_str()) != 0) {
            fail(from, systemReason(errno), node);
            return;
        }
        part.placed();
        progress.filesDone += 1;
        report();
    }

    // A short name of its own, so that a long file name cannot make it
    // too long for the file system.
    std::string partPath(const DestFolder& parent) {
        return joinPath(parent.path(), ".~ornibe" + std::to_string(++partCounter_));
    }

    const CopyProgressCallback& progressCallback_;
    const std::atomic<bool>* cancel_;
    std::uint64_t partCounter_ = 0;
};

std::string realFolder(const std::string& path) {
    std::unique_ptr<char, void (*)(void*)> real(::realpath(path.c_str(), nullptr), std::free);
    return real ? std::string(real.get()) : makeAbsolute(path);
}

// The real path of the nearest existing folder of path, followed by the
// rest of path, so that a destination that does not exist yet can still be
// compared with the source.
std::string realDestination(const std::string& path) {
    std::string absolute = makeAbsolute(path);
    std::string rest;
    std::string folder = absolute;
    while (!existsAsFolder(folder) && folder != "/" && !folder.empty()) {
        rest = rest.empty() ? fileName(folder) : joinPath(fileName(folder), rest);
        folder = folderPart(folder);
    }
    return joinPath(realFolder(folder.empty() ? "/" : folder), rest);
}

bool isInside(const std::string& inner, const std::string& outer) {
    if (inner == outer) {
        return true;
    }
    std::string prefix = outer == "/" ? outer : outer + "/";
    return inner.compare(0, prefix.size(), prefix) == 0;
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
    if (isInside(realDestination(to), realFolder(from))) {
        return failed(to, "the destination lies inside the source");
    }

    Node root;
    root.kind = Kind::Folder;
    scanFolder(from, root);

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

} // namespace ornibe
