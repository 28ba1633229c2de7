#include "media/IsoImageReader.h"

#include "media/DirectoryWalk.h"
#include "media/ImageDevice.h"
#include "media/ImageTree.h"
#include "media/IsoImport.h"
#include "media/VolumeDescriptor.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"
#include "sys/TreeWriter.h"
#include "sys/UniqueFd.h"

#include <fcntl.h>

#include <cerrno>
#include <optional>
#include <utility>

namespace ornibe {

namespace {

constexpr std::string_view kStoppedText = toTranslate("読み込みを中止しました");

// The image's side of a copy: hands the tree to the writer, each file's
// bytes as its extents in the image.
class ImageSource {
public:
    ImageSource(TreeWriter& writer, int imageFd) : writer_(writer), imageFd_(imageFd) {}

    void copyFolderContent(const ImageNode& folder, const std::string& from, DestFolder& to) {
        for (const ImageNode& node : folder.children) {
            if (writer_.cancelled()) {
                return;
            }
            TreeEntry entry = entryOf(node, joinPath(from, node.name));
            if (node.folder) {
                writer_.copyFolder(to, entry, [&](DestFolder& sub) {
                    copyFolderContent(node, entry.sourcePath, sub);
                });
            } else {
                writer_.copyFile(to, entry, ByteSource{imageFd_, node.extents});
            }
        }
    }

private:
    // An image has no permission bits and no access time: files get
    // rw-r--r--, folders rwxr-xr-x, and the modification time it records.
    static TreeEntry entryOf(const ImageNode& node, std::string sourcePath) {
        TreeEntry entry;
        entry.name = node.name;
        entry.sourcePath = std::move(sourcePath);
        entry.mode = node.folder ? 0755 : 0644;
        entry.times[1] = {node.mtime, 0};
        entry.bytes = node.folder ? node.bytesBelow : node.size;
        entry.files = node.folder ? node.filesBelow : 1;
        return entry;
    }

    TreeWriter& writer_;
    int imageFd_;
};

} // namespace

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
        error_ = translated(kStoppedText);
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
    std::optional<IsoImport> rockRidge;
    if (windows.hasRockRidge()) {
        rockRidge.emplace(device, IsoImport::View::RockRidge, bounds, stop);
        if (!imported(*rockRidge)) {
            return;
        }
    }

    ImageTree tree = readImageTree(windows, rockRidge ? &*rockRidge : nullptr, imageBytes_);
    root_ = std::make_unique<ImageNode>(std::move(tree.root));
    leftOut_ = std::move(tree.leftOut);
    treeProblemPath_ = std::move(tree.problemPath);
    treeProblem_ = std::move(tree.problem);
}

IsoImageReader::~IsoImageReader() = default;

bool IsoImageReader::imported(const IsoImport& import) {
    if (import.stopped()) {
        stopped_ = true;
        error_ = translated(kStoppedText);
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

const ImageNode* IsoImageReader::findNode(std::string_view relative) const {
    return ok() ? findImageNode(*root_, relative) : nullptr;
}

bool IsoImageReader::hasFile(std::string_view relative) const {
    const ImageNode* node = findNode(relative);
    return node != nullptr && !node->folder;
}

std::optional<std::vector<std::string>>
IsoImageReader::folderNames(std::string_view relative) const {
    const ImageNode* node = findNode(relative);
    if (node == nullptr || !node->folder) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (const ImageNode& child : node->children) {
        names.push_back(child.name);
    }
    return names;
}

std::uint64_t IsoImageReader::treeBytes() const {
    return ok() ? root_->bytesBelow : 0;
}

std::optional<std::uint64_t> IsoImageReader::fileSize(std::string_view relative) const {
    const ImageNode* node = findNode(relative);
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
    const ImageNode* node = findNode(relative);
    if (node == nullptr) {
        return failed(translated("イメージにこのファイルはありません"));
    }
    if (node->folder) {
        return failed(translated("フォルダです"));
    }
    if (node->size > maxBytes) {
        return failed(
            translated("ファイルが大きすぎます (%1 バイト)", {std::to_string(node->size)}));
    }
    UniqueFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return failed(translated("イメージを読めません: %1", {systemReason(errno)}));
    }
    std::string bytes;
    bytes.reserve(node->size);
    for (const auto& [offset, length] : node->extents) {
        if (offset + length > imageBytes_) {
            return failed(translated("ファイルがイメージの終わりを越えています"));
        }
        size_t at = bytes.size();
        bytes.resize(at + length);
        if (!readFully(fd.get(), bytes.data() + at, length, offset)) {
            return failed(translated("イメージを読めません: %1", {systemReason(errno)}));
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
    if (!fd.valid()) {
        result.failures = 1;
        result.failedPath = path_;
        result.reason = systemReason(errno);
        return result;
    }
    CopyProgress totals;
    totals.bytesTotal = root_->bytesBelow;
    totals.filesTotal = root_->filesBelow;
    TreeWriter writer(totals, progress, cancel, aheadWorkersFor(fd.get()));
    ImageSource source(writer, fd.get());
    writer.copyInto(
        to, [&](DestFolder& destination) { source.copyFolderContent(*root_, path_, destination); });
    return writer.takeResult();
}

} // namespace ornibe
