#include "media/IsoImageReader.h"

#include "media/DirectoryWalk.h"
#include "media/ImageDevice.h"
#include "media/IsoImport.h"
#include "media/VolumeDescriptor.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
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
#include <map>
#include <set>
#include <utility>

namespace ornibe {

namespace {

constexpr std::uint64_t kBlock = 2048;
const char* const kStoppedText = "読み込みを中止しました";
// Deeper trees than this are taken for a directory that contains itself.
constexpr int kMaxDepth = 64;
// Large files are copied in chunks of this size, so that progress is
// reported and a cancel is seen while one file is still being copied.
constexpr std::uint64_t kChunk = 8u << 20;

// A name as Windows shows it: a trailing dot is no part of it.
std::string windowsName(std::string name) {
    while (name.size() > 1 && name.back() == '.') {
        name.pop_back();
    }
    return name;
}

// The form in which a Rock Ridge name and the ISO 9660 name made from it
// are compared: upper case, and every character that ISO 9660 names cannot
// hold as "_".
std::string looseName(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c >= 'a' && c <= 'z') {
            out += char(c - 'a' + 'A');
        } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_') {
            out += c;
        } else {
            out += '_';
        }
    }
    return out;
}

} // namespace

struct IsoImageReader::Node {
    std::string name;
    bool folder = false;
    std::uint64_t size = 0;
    time_t mtime = 0;
    // Byte offset and length of each extent, in file order.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> extents;
    std::vector<Node> children;
    std::uint64_t filesBelow = 0;
    std::uint64_t bytesBelow = 0;
};

namespace {

struct DirChildren {
    explicit DirChildren(IsoDir* dir) { iso_dir_get_children(dir, &iter); }
    ~DirChildren() { iso_dir_iter_free(iter); }
    DirChildren(const DirChildren&) = delete;
    DirChildren& operator=(const DirChildren&) = delete;
    IsoNode* next() {
        IsoNode* node = nullptr;
        return iso_dir_iter_next(iter, &node) == 1 ? node : nullptr;
    }
    IsoDirIter* iter = nullptr;
};

// Links and device files of the Rock Ridge tree, by their loose path.
void collectLinks(IsoDir* dir, const std::string& loosePath, const std::string& path,
                  std::map<std::string, std::string>& links, int depth) {
    if (depth > kMaxDepth) {
        return;
    }
    DirChildren children(dir);
    while (IsoNode* node = children.next()) {
        std::string name = iso_node_get_name(node);
        std::string looseChild = joinPath(loosePath, looseName(name));
        std::string child = joinPath(path, name);
        switch (iso_node_get_type(node)) {
        case LIBISO_DIR:
            collectLinks(reinterpret_cast<IsoDir*>(node), looseChild, child, links, depth + 1);
            break;
        case LIBISO_SYMLINK:
            links.emplace(looseChild,
                          child + " -> " +
                              iso_symlink_get_dest(reinterpret_cast<IsoSymlink*>(node)));
            break;
        case LIBISO_SPECIAL:
            links.emplace(looseChild, child);
            break;
        default:
            break;
        }
    }
}

class TreeBuilder {
public:
    TreeBuilder(std::uint64_t imageBytes, const std::map<std::string, std::string>& links)
        : imageBytes_(imageBytes), links_(links) {}

    std::vector<std::string> leftOut;
    std::string problemPath;
    std::string problem;

    void build(IsoDir* dir, IsoImageReader::Node& into, const std::string& path,
               const std::string& loosePath, int depth) {
        if (depth > kMaxDepth) {
            setProblem(path, "フォルダが自分自身を含んでいるか、深すぎます");
            return;
        }
        std::map<std::string, std::string> folded;
        DirChildren children(dir);
        while (IsoNode* node = children.next()) {
            IsoImageReader::Node child;
            child.name = windowsName(iso_node_get_name(node));
            child.mtime = iso_node_get_mtime(node);
            std::string childPath = joinPath(path, child.name);
            std::string looseChild = joinPath(loosePath, looseName(child.name));
            int type = iso_node_get_type(node);
            if (type == LIBISO_DIR) {
                child.folder = true;
                build(reinterpret_cast<IsoDir*>(node), child, childPath, looseChild, depth + 1);
                into.filesBelow += child.filesBelow;
                into.bytesBelow += child.bytesBelow;
            } else if (type == LIBISO_FILE) {
                auto* file = reinterpret_cast<IsoFile*>(node);
                child.size = iso_file_get_size(file);
                if (child.size == 0) {
                    // A Rock Ridge link shows in the ISO 9660 tree as an
                    // empty file; it is left out as the link it is.
                    auto link = links_.find(looseChild);
                    if (link != links_.end()) {
                        leftOut.push_back(link->second);
                        continue;
                    }
                }
                readExtents(file, child, childPath);
                into.filesBelow += 1;
                into.bytesBelow += child.size;
            } else if (type == LIBISO_BOOT) {
                leftOut.push_back(childPath);
                continue;
            } else {
                leftOut.push_back(childPath);
                continue;
            }
            auto [it, inserted] = folded.emplace(foldHostText(child.name), child.name);
            if (!inserted) {
                setProblem(childPath, "大文字と小文字を区別しないと同じ名前になるものがあります (" +
                                          it->second + ")");
            }
            into.children.push_back(std::move(child));
        }
        std::sort(into.children.begin(), into.children.end(),
                  [](const auto& a, const auto& b) { return a.name < b.name; });
    }

private:
    void readExtents(IsoFile* file, IsoImageReader::Node& node, const std::string& path) {
        int count = 0;
        iso_file_section* sections = nullptr;
        if (iso_file_get_old_image_sections(file, &count, &sections, 0) != 1) {
            if (node.size != 0) {
                setProblem(path, "ファイルの場所が読めません");
            }
            return;
        }
        std::uint64_t total = 0;
        for (int i = 0; i < count; ++i) {
            std::uint64_t offset = std::uint64_t(sections[i].block) * kBlock;
            std::uint64_t length = sections[i].size;
            if (length != 0 && offset + length > imageBytes_) {
                setProblem(path, "ファイルがイメージの終わりを越えています");
            }
            node.extents.emplace_back(offset, length);
            total += length;
        }
        std::free(sections);
        if (total != node.size) {
            setProblem(path, "ファイルの一部しか見つかりません");
        }
    }

    void setProblem(const std::string& path, std::string why) {
        if (problem.empty()) {
            problemPath = path;
            problem = std::move(why);
        }
    }

    std::uint64_t imageBytes_;
    const std::map<std::string, std::string>& links_;
};

const IsoImageReader::Node* findChild(const IsoImageReader::Node& folder, std::string_view name) {
    const IsoImageReader::Node* folded = nullptr;
    for (const auto& child : folder.children) {
        if (child.name == name) {
            return &child;
        }
        if (folded == nullptr && equalsHostNoCase(child.name, name)) {
            folded = &child;
        }
    }
    return folded;
}

// Writes all of buffer; false with errno set otherwise.
bool writeFully(int fd, const char* buffer, std::uint64_t length) {
    while (length > 0) {
        ssize_t n = ::write(fd, buffer, length);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        buffer += n;
        length -= std::uint64_t(n);
    }
    return true;
}

class ImageCopier {
public:
    ImageCopier(int imageFd, bool regularFile, const CopyProgressCallback& progress,
                const std::atomic<bool>* cancel)
        : imageFd_(imageFd), copyRange_(regularFile), progressCallback_(progress), cancel_(cancel) {
    }

    CopyResult result;
    CopyProgress progress;

    void copyFolder(const IsoImageReader::Node& folder, const std::string& to,
                    const std::string& from) {
        DestFolder names(to);
        for (const auto& node : folder.children) {
            if (cancelled()) {
                return;
            }
            bool exists = false;
            std::string target = names.entryFor(node.name, &exists);
            std::string source = joinPath(from, node.name);
            if (node.folder) {
                if (!exists && ::mkdir(target.c_str(), 0755) != 0 && errno != EEXIST) {
                    fail(target, systemReason(errno), node);
                    continue;
                }
                struct stat st {};
                if (::lstat(target.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
                    fail(target, "作業フォルダに同じ名前のフォルダでないものがあります", node);
                    continue;
                }
                copyFolder(node, target, source);
                setTime(target, node.mtime);
            } else {
                copyFile(node, target, source);
            }
        }
    }

private:
    bool cancelled() {
        if (cancel_ != nullptr && cancel_->load()) {
            result.cancelled = true;
        }
        return result.cancelled;
    }

    void report() {
        if (progressCallback_) {
            progressCallback_(progress);
        }
    }

    void fail(const std::string& path, std::string reason, const IsoImageReader::Node& node) {
        if (result.failures == 0) {
            result.failedPath = path;
            result.reason = std::move(reason);
        }
        result.failures += node.folder ? std::max<std::uint64_t>(node.filesBelow, 1) : 1;
        progress.filesDone += node.folder ? node.filesBelow : 1;
        progress.bytesDone += node.folder ? node.bytesBelow : node.size;
        report();
    }

    static void setTime(const std::string& path, time_t mtime) {
        timespec times[2] = {{0, UTIME_OMIT}, {mtime, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }

    void copyFile(const IsoImageReader::Node& node, const std::string& target,
                  const std::string& source) {
        // The file is written beside its target as a pending file and put
        // in place whole, so an existing file is replaced only by a
        // complete copy and a failed or cancelled copy leaves nothing.
        // A failure names the side it happened on: the image's entry when
        // reading failed, the work folder's file when writing failed.
        std::uint64_t startBytes = progress.bytesDone;
        std::string reason;
        std::string failedPath = target;
        try {
            PendingFile out(target);
            bool reading = false;
            for (const auto& [offset, length] : node.extents) {
                if (!copyExtent(out.fd(), offset, length, reason, reading)) {
                    break;
                }
            }
            if (reading) {
                failedPath = source;
            }
            if (reason.empty() && result.cancelled) {
                return;
            }
            if (reason.empty()) {
                timespec times[2] = {{0, UTIME_OMIT}, {node.mtime, 0}};
                ::futimens(out.fd(), times);
                out.setMode(0644);
                out.commit();
            }
        } catch (const FileError& error) {
            failedPath = error.path();
            reason = error.reason();
        }
        if (!reason.empty()) {
            progress.bytesDone = startBytes;
            fail(failedPath, reason, node);
            return;
        }
        progress.filesDone += 1;
        report();
    }

    // Copies one extent into out; false when cancelled or failed, with
    // reason set and reading telling whether reading the image failed.
    bool copyExtent(int out, std::uint64_t offset, std::uint64_t length, std::string& reason,
                    bool& reading) {
        while (length > 0) {
            if (cancelled()) {
                return false;
            }
            std::uint64_t chunk = std::min(length, kChunk);
            std::uint64_t done = 0;
            if (copyRange_) {
                done = copyInKernel(out, offset, chunk);
            }
            if (done == 0) {
                if (buffer_.empty()) {
                    buffer_.resize(1u << 20);
                }
                std::uint64_t piece = std::min<std::uint64_t>(chunk, buffer_.size());
                if (!readFully(imageFd_, buffer_.data(), piece, offset)) {
                    reason = "イメージを読めません: " + systemReason(errno);
                    reading = true;
                    return false;
                }
                if (!writeFully(out, buffer_.data(), piece)) {
                    reason = systemReason(errno);
                    return false;
                }
                done = piece;
            }
            offset += done;
            length -= done;
            progress.bytesDone += done;
            report();
        }
        return true;
    }

    // Copies by copy_file_range, which lets the kernel move the bytes (or
    // share them) without a trip through this process; 0 when it cannot,
    // and the bytes are then read and written here.
    std::uint64_t copyInKernel(int out, std::uint64_t offset, std::uint64_t length) {
        loff_t in = static_cast<loff_t>(offset);
        std::uint64_t done = 0;
        while (done < length) {
            ssize_t n = ::copy_file_range(imageFd_, &in, out, nullptr, length - done, 0);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                if (done == 0) {
                    copyRange_ = false;
                }
                break;
            }
            done += std::uint64_t(n);
        }
        return done;
    }

    int imageFd_;
    bool copyRange_;
    const CopyProgressCallback& progressCallback_;
    const std::atomic<bool>* cancel_;
    std::vector<char> buffer_;
};

} // namespace

bool isImageSource(const std::string& root) {
    struct stat st {};
    return ::stat(root.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode));
}

IsoImageReader::IsoImageReader(const std::string& path, const StopCheck& stop) : path_(path) {
    Result<ImageDevice> opened = ImageDevice::open(path);
    if (!opened) {
        error_ = opened.failure().reason;
        return;
    }
    const ImageDevice& device = *opened;
    imageBytes_ = device.size();
    if (Outcome iso = device.checkIso9660(); !iso) {
        error_ = iso.failure().reason;
        return;
    }
    // The trees are walked here before libisofs follows them; what the
    // walk read bounds what libisofs may read and take up: no tree of the
    // image has more entries than the walk saw in all of them.
    DirectoryWalk walk = walkDirectories(device, stop);
    if (walk.stopped) {
        stopped_ = true;
        error_ = kStoppedText;
        return;
    }
    if (!walk.problem.empty()) {
        error_ = walk.problem;
        errorEntry_ = walk.entry;
        return;
    }
    const IsoImport::Bounds bounds{256 + 4 * (walk.folderSectors + walk.entries),
                                   walk.entries + 64};

    IsoImport windows(device, IsoImport::View::Windows, bounds, stop);
    if (!imported(windows)) {
        return;
    }
    label_ = readIso9660Label(device).value_or("");

    // The Rock Ridge tree tells the links and device files apart, which
    // the Windows tree shows as empty files.
    std::map<std::string, std::string> links;
    if (windows.hasRockRidge()) {
        IsoImport rockRidge(device, IsoImport::View::RockRidge, bounds, stop);
        if (!imported(rockRidge)) {
            return;
        }
        collectLinks(iso_image_get_root(rockRidge.image()), "", "", links, 0);
    }

    root_ = std::make_unique<Node>();
    root_->folder = true;
    TreeBuilder builder(imageBytes_, links);
    builder.build(iso_image_get_root(windows.image()), *root_, "", "", 0);
    // Links that the Joliet tree leaves out altogether are named too.
    for (const auto& [loose, line] : links) {
        if (std::find(builder.leftOut.begin(), builder.leftOut.end(), line) ==
            builder.leftOut.end()) {
            builder.leftOut.push_back(line);
        }
    }
    leftOut_ = std::move(builder.leftOut);
    treeProblemPath_ = std::move(builder.problemPath);
    treeProblem_ = std::move(builder.problem);
}

IsoImageReader::~IsoImageReader() = default;

bool IsoImageReader::imported(const IsoImport& import) {
    if (import.stopped()) {
        stopped_ = true;
        error_ = kStoppedText;
        return false;
    }
    if (import.image() == nullptr) {
        error_ = import.problem();
        errorEntry_ = import.entry();
        return false;
    }
    return true;
}

Outcome IsoImageReader::copyable() const {
    if (!ok()) {
        return Failure{
            {}, errorEntry_.empty() ? std::string() : joinPath(path_, errorEntry_), error_};
    }
    if (!treeProblem_.empty()) {
        return Failure{{}, joinPath(path_, treeProblemPath_), treeProblem_};
    }
    return {};
}

const IsoImageReader::Node* IsoImageReader::findNode(std::string_view relative) const {
    if (!ok()) {
        return nullptr;
    }
    const Node* node = root_.get();
    size_t start = 0;
    while (node != nullptr && start <= relative.size()) {
        size_t end = relative.find_first_of("/\\", start);
        std::string_view name = relative.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!name.empty()) {
            node = node->folder ? findChild(*node, name) : nullptr;
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return node;
}

bool IsoImageReader::hasFile(std::string_view relative) const {
    const Node* node = findNode(relative);
    return node != nullptr && !node->folder;
}

std::optional<std::vector<std::string>>
IsoImageReader::folderNames(std::string_view relative) const {
    const Node* node = findNode(relative);
    if (node == nullptr || !node->folder) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (const Node& child : node->children) {
        names.push_back(child.name);
    }
    return names;
}

std::uint64_t IsoImageReader::treeBytes() const {
    return ok() ? root_->bytesBelow : 0;
}

std::optional<std::uint64_t> IsoImageReader::fileSize(std::string_view relative) const {
    const Node* node = findNode(relative);
    if (node == nullptr || node->folder) {
        return std::nullopt;
    }
    return node->size;
}

Result<std::string> IsoImageReader::readFile(std::string_view relative,
                                             std::uint64_t maxBytes) const {
    if (!ok()) {
        return Failure{"read", path_, error_};
    }
    auto failed = [&](std::string reason) {
        return Failure{"read", joinPath(path_, relative), std::move(reason)};
    };
    const Node* node = findNode(relative);
    if (node == nullptr) {
        return failed("イメージにこのファイルはありません");
    }
    if (node->folder) {
        return failed("フォルダです");
    }
    if (node->size > maxBytes) {
        return failed("ファイルが大きすぎます (" + std::to_string(node->size) + " バイト)");
    }
    UniqueFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return failed("イメージを読めません: " + systemReason(errno));
    }
    std::string bytes;
    bytes.reserve(node->size);
    for (const auto& [offset, length] : node->extents) {
        if (offset + length > imageBytes_) {
            return failed("ファイルがイメージの終わりを越えています");
        }
        size_t at = bytes.size();
        bytes.resize(at + length);
        if (!readFully(fd.get(), bytes.data() + at, length, offset)) {
            return failed("イメージを読めません: " + systemReason(errno));
        }
    }
    return bytes;
}

CopyResult IsoImageReader::copyTo(const std::string& to, const CopyProgressCallback& progress,
                                  const std::atomic<bool>* cancel) const {
    CopyResult result;
    if (stopped_) {
        result.cancelled = true;
        return result;
    }
    if (Outcome usable = copyable(); !usable) {
        result.failures = 1;
        result.failedPath = usable.failure().path.empty() ? path_ : usable.failure().path;
        result.reason = usable.failure().reason;
        return result;
    }
    UniqueFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
        result.failures = 1;
        result.failedPath = path_;
        result.reason = systemReason(errno);
        return result;
    }
    if (::mkdir(to.c_str(), 0755) != 0 && errno != EEXIST) {
        result.failures = 1;
        result.failedPath = to;
        result.reason = systemReason(errno);
        return result;
    }
    ImageCopier copier(fd.get(), S_ISREG(st.st_mode), progress, cancel);
    copier.progress.bytesTotal = root_->bytesBelow;
    copier.progress.filesTotal = root_->filesBelow;
    copier.copyFolder(*root_, to, path_);
    return copier.result;
}

} // namespace ornibe
