#include "sys/CopyTree.h"

#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"
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
                                      ? translated("リンク先がありません")
                                      : translated("リンク先がコピー元の外にあります");
            } else if (S_ISDIR(target.st.st_mode) &&
                       context.ancestors.count({target.st.st_dev, target.st.st_ino}) != 0) {
                node.kind = Kind::LeftOut;
                node.linkTarget = translated("リンク先がこのフォルダより上のフォルダです");
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

// What the writer is handed for a scanned entry.
TreeEntry entryOf(const Node& node, const std::string& sourcePath) {
    TreeEntry entry;
    entry.name = node.name;
    entry.sourcePath = sourcePath;
    entry.mode = node.mode;
    entry.times[0] = node.times[0];
    entry.times[1] = node.times[1];
    entry.bytes = node.kind == Kind::Folder ? node.bytesBelow : node.size;
    entry.files = node.kind == Kind::Folder ? node.filesBelow : 1;
    return entry;
}

// The folder's side of the copy: hands the scanned tree to the writer,
// opening each file where it really is.
class FolderSource {
public:
    explicit FolderSource(TreeWriter& writer) : writer_(writer) {}

    void copyFolderContent(const std::string& from, const Node& source, DestFolder& to) {
        if (source.scanError != 0) {
            writer_.fail(from, systemReason(source.scanError), entryOf(source, from));
            return;
        }
        for (const Node& node : source.children) {
            if (writer_.cancelled()) {
                return;
            }
            std::string sourcePath = joinPath(from, node.name);
            if (node.scanError != 0) {
                writer_.fail(sourcePath, systemReason(node.scanError), entryOf(node, sourcePath));
                continue;
            }
            switch (node.kind) {
            case Kind::Folder:
                writer_.copyFolder(to, entryOf(node, sourcePath), [&](DestFolder& folder) {
                    copyFolderContent(node.linkTarget.empty() ? sourcePath : node.linkTarget, node,
                                      folder);
                });
                break;
            case Kind::File:
                copyFile(sourcePath, node, to);
                break;
            case Kind::LeftOut:
                writer_.leaveOut(sourcePath + ": " + node.linkTarget);
                break;
            case Kind::Other:
                writer_.fail(sourcePath, translated(kNotCopyable), entryOf(node, sourcePath));
                break;
            }
        }
    }

private:
    static constexpr std::string_view kNotCopyable =
        toTranslate("ファイル、フォルダ、リンクのどれでもありません");

    void copyFile(const std::string& sourcePath, const Node& node, DestFolder& parent) {
        // A file reached through a link inside the source is read where it
        // really is; the open below then meets no link. O_NONBLOCK: an entry
        // that turned into a pipe since the scan must not block the open;
        // it is refused below. Reads of a regular file ignore it.
        const std::string& from = node.linkTarget.empty() ? sourcePath : node.linkTarget;
        TreeEntry entry = entryOf(node, from);
        UniqueFd in(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
        struct stat st {};
        if (!in.valid() || ::fstat(in.get(), &st) != 0) {
            writer_.fail(from, systemReason(errno), entry);
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            writer_.fail(
                from, S_ISDIR(st.st_mode) ? systemReason(EISDIR) : translated(kNotCopyable), entry);
            return;
        }
        // The copy takes the bits and times the file has now, and all of
        // its bytes, also when it grew since the scan.
        entry.mode = st.st_mode & 07777;
        entry.times[0] = st.st_atim;
        entry.times[1] = st.st_mtim;
        const Extent whole{0, kToTheEnd};
        writer_.copyFile(parent, entry, ByteSource{in.get(), {&whole, 1}});
    }

    TreeWriter& writer_;
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
        return failed(to, translated("コピー先がコピー元の中にあります"));
    }

    Node root;
    root.kind = Kind::Folder;
    ScanContext context{realFolder(from), {}};
    scanFolder(from, root, context);

    CopyProgress totals;
    totals.bytesTotal = root.bytesBelow;
    totals.filesTotal = root.filesBelow;
    UniqueFd folder(::open(from.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    TreeWriter writer(totals, progress, cancel, folder.valid() ? aheadWorkersFor(folder.get()) : 0);
    FolderSource source(writer);
    writer.copyInto(
        to, [&](DestFolder& destination) { source.copyFolderContent(from, root, destination); });
    return writer.takeResult();
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
