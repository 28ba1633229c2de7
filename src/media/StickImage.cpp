#include "media/StickImage.h"

#include "media/StickTree.h"
#include "sys/FileError.h"
#include "sys/Translation.h"
#include "sys/UniqueFd.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace ornibe {

namespace {

constexpr std::uint64_t kSector = 512;
constexpr std::uint32_t kEndOfChain = 0x0FFFFFFF;
// Room for the entries the boot loader's installer adds to the root.
constexpr std::uint64_t kRootSpareEntries = 16;

struct Geometry {
    std::uint64_t partitionSectors = 0;
    std::uint32_t sectorsPerCluster = 0;
    std::uint32_t reservedSectors = 0;
    std::uint32_t fatSectors = 0;
    std::uint32_t clusterCount = 0;

    std::uint64_t clusterBytes() const { return sectorsPerCluster * kSector; }
    std::uint64_t dataOffset() const {
        return kStickPartitionOffset + (reservedSectors + 2ULL * fatSectors) * kSector;
    }
    std::uint64_t clusterOffset(std::uint32_t cluster) const {
        return dataOffset() + (cluster - 2ULL) * clusterBytes();
    }
};

// The cluster size Windows gives a FAT32 volume of this many sectors.
std::uint32_t sectorsPerClusterFor(std::uint64_t sectors) {
    if (sectors <= 532480) {
        return 1;
    }
    if (sectors <= 16777216) {
        return 8;
    }
    if (sectors <= 33554432) {
        return 16;
    }
    if (sectors <= 67108864) {
        return 32;
    }
    return 64;
}

Geometry geometryFor(std::uint64_t imageSize) {
    Geometry g;
    g.partitionSectors = (imageSize - kStickPartitionOffset) / kSector;
    g.sectorsPerCluster = sectorsPerClusterFor(g.partitionSectors);
    // A FAT large enough for every cluster the rest could hold; the data
    // area then starts on a 4 KiB boundary, as flash memory writes fastest.
    std::uint64_t upper = g.partitionSectors / g.sectorsPerCluster + 2;
    g.fatSectors = static_cast<std::uint32_t>((upper * 4 + kSector - 1) / kSector);
    g.reservedSectors = 32;
    while ((g.reservedSectors + 2ULL * g.fatSectors) % 8 != 0) {
        ++g.reservedSectors;
    }
    g.clusterCount = static_cast<std::uint32_t>(
        (g.partitionSectors - g.reservedSectors - 2ULL * g.fatSectors) / g.sectorsPerCluster);
    return g;
}

std::uint64_t entriesOf(const StickNode& node) {
    return 1 + (node.fatName.longName.size() + 12) / 13;
}

// Gives each folder and file its cluster count for a cluster size, and
// returns the sum.
std::uint64_t countClusters(StickNode& folder, std::uint64_t clusterBytes, bool root) {
    std::uint64_t entries = root ? 1 + kRootSpareEntries : 2;
    std::uint64_t total = 0;
    for (StickNode& child : folder.children) {
        entries += entriesOf(child);
        if (child.folder) {
            total += countClusters(child, clusterBytes, false);
        } else {
            child.clusters = (child.size + clusterBytes - 1) / clusterBytes;
            total += child.clusters;
        }
    }
    folder.clusters = std::max<std::uint64_t>(1, (entries * 32 + clusterBytes - 1) / clusterBytes);
    return total + folder.clusters;
}

void allocate(StickNode& node, std::uint32_t& next) {
    node.firstCluster = node.clusters == 0 ? 0 : next;
    next += static_cast<std::uint32_t>(node.clusters);
    for (StickNode& child : node.children) {
        allocate(child, next);
    }
}

std::uint64_t contentBytes(const StickNode& node) {
    std::uint64_t total = node.folder ? 4096 : (node.size + 4095) / 4096 * 4096;
    for (const StickNode& child : node.children) {
        total += contentBytes(child);
    }
    return total;
}

std::uint64_t countFiles(const StickNode& node) {
    std::uint64_t total = node.folder ? 0 : 1;
    for (const StickNode& child : node.children) {
        total += countFiles(child);
    }
    return total;
}

// Copies a host file's bytes to offset in fd, in the kernel where it can.
void copyInto(int fd, std::uint64_t offset, const StickNode& file, const std::string& image) {
    UniqueFd in(::open(file.hostFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!in.valid()) {
        throwFileError("open", file.hostFile, errno);
    }
    auto out = static_cast<loff_t>(offset);
    std::uint64_t left = file.size;
    while (left > 0) {
        ssize_t moved = ::copy_file_range(in.get(), nullptr, fd, &out, left, 0);
        if (moved > 0) {
            left -= static_cast<std::uint64_t>(moved);
            continue;
        }
        if (moved == 0) {
            throw FileError("read", file.hostFile,
                            translated("読み込む途中でファイルが短くなりました"));
        }
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            throwFileError("write", image, errno);
        }
        // A pair of file systems the kernel cannot copy between.
        std::string buffer(1 << 20, '\0');
        while (left > 0) {
            ssize_t got =
                ::read(in.get(), buffer.data(), std::min<std::uint64_t>(left, buffer.size()));
            if (got <= 0) {
                throwFileError("read", file.hostFile, got == 0 ? EIO : errno);
            }
            if (::pwrite(fd, buffer.data(), static_cast<std::size_t>(got), out) != got) {
                throwFileError("write", image, errno);
            }
            out += got;
            left -= static_cast<std::uint64_t>(got);
        }
    }
}

void writeAt(int fd, std::uint64_t offset, const std::string& bytes, const std::string& image) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t wrote = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                 static_cast<off_t>(offset + done));
        if (wrote < 0) {
            throwFileError("write", image, errno);
        }
        done += static_cast<std::size_t>(wrote);
    }
}

std::string readAt(int fd, std::uint64_t offset, std::size_t count, const std::string& image) {
    std::string bytes(count, '\0');
    if (::pread(fd, bytes.data(), count, static_cast<off_t>(offset)) !=
        static_cast<ssize_t>(count)) {
        throwFileError("read", image, errno == 0 ? EIO : errno);
    }
    return bytes;
}

std::string sizeText(std::uint64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB";
}

} // namespace

struct StickImage::Layout {
    StickNode root;
    Geometry geometry;
    std::uint64_t size = 0;
    std::uint32_t nextCluster = 2;
    std::optional<std::int64_t> epoch;
    std::int64_t madeAt = 0;
    std::uint32_t serial = 0;
    std::string label;
    std::string bootCode;

    std::pair<std::uint16_t, std::uint16_t> dateOf(const StickNode& node) const {
        return epoch ? fatTime(*epoch, true) : fatTime(node.time, false);
    }

    std::string folderBytes(const StickNode& folder, const StickNode* parent) const {
        std::string out;
        if (!parent) {
            ShortName label{};
            std::fill(label.begin(), label.end(), ' ');
            std::copy(this->label.begin(), this->label.end(), label.begin());
            putFatShortEntry(out, label, 0x08, 0, 0, dateOf(folder));
        } else {
            ShortName dot{};
            std::fill(dot.begin(), dot.end(), ' ');
            dot[0] = '.';
            putFatShortEntry(out, dot, 0x10, folder.firstCluster, 0, dateOf(folder));
            dot[1] = '.';
            // ".." of a folder in the root names cluster 0.
            putFatShortEntry(out, dot, 0x10, parent == &root ? 0 : parent->firstCluster, 0,
                             dateOf(*parent));
        }
        for (const StickNode& child : folder.children) {
            if (!child.fatName.longName.empty()) {
                putFatLongEntries(out, child.fatName);
            }
            putFatShortEntry(
                out, child.fatName.shortName, child.folder ? 0x10 : 0x20, child.firstCluster,
                child.folder ? 0 : static_cast<std::uint32_t>(child.size), dateOf(child));
        }
        out.resize(folder.clusters * geometry.clusterBytes(), '\0');
        return out;
    }
};

StickImage::StickImage(std::unique_ptr<Layout> layout) : layout_(std::move(layout)) {}
StickImage::~StickImage() = default;
StickImage::StickImage(StickImage&&) noexcept = default;

Result<StickImage> StickImage::plan(const StickImageInput& input, const StopCheck& stop) {
    auto layout = std::make_unique<Layout>();
    layout->epoch = input.epoch;
    layout->madeAt = static_cast<std::int64_t>(std::time(nullptr));
    layout->label = input.label.empty() ? "NO NAME" : input.label.substr(0, 11);
    layout->bootCode = input.bootCode.substr(0, 440);
    StickNode& root = layout->root;
    root.folder = true;
    root.time = input.epoch.value_or(layout->madeAt);
    if (std::optional<Failure> failed = readStickFolder(input.tree, root, stop)) {
        return *failed;
    }
    if (stopAsked(stop)) {
        return Failure{"plan", input.tree, translated("中止しました")};
    }
    for (const StickFile& file : input.files) {
        if (std::optional<Failure> failed = placeStickFile(root, file, root.time)) {
            return *failed;
        }
    }
    if (std::optional<Failure> failed = nameStickEntries(root, "")) {
        return *failed;
    }

    std::uint64_t size = input.size;
    if (size == 0) {
        // The files, a tenth more and 32 MiB for what the user adds later,
        // in whole MiB.
        std::uint64_t content = contentBytes(root);
        size = kStickPartitionOffset + content + content / 10 + (32ULL << 20);
        size = std::max(kStickImageMinBytes, (size + (1 << 20) - 1) >> 20 << 20);
    }
    if (size < kStickImageMinBytes || size > kStickImageMaxBytes) {
        return Failure{"plan",
                       {},
                       translated("イメージの大きさは %1 から 2 TiB までです",
                                  {sizeText(kStickImageMinBytes)})};
    }
    while (true) {
        Geometry geometry = geometryFor(size);
        std::uint64_t needed = countClusters(root, geometry.clusterBytes(), true);
        if (needed <= geometry.clusterCount) {
            layout->geometry = geometry;
            break;
        }
        if (input.size != 0) {
            return Failure{
                "plan",
                {},
                translated("%1 には入りません（ファイルだけで %2 あります）",
                           {sizeText(size), sizeText(needed * geometry.clusterBytes())})};
        }
        size += size / 10;
    }
    layout->size = size;
    allocate(root, layout->nextCluster);
    std::int64_t seed = input.epoch.value_or(layout->madeAt);
    layout->serial = static_cast<std::uint32_t>(static_cast<std::uint64_t>(seed) * 2654435761ULL) ^
                     static_cast<std::uint32_t>(static_cast<std::uint64_t>(seed) >> 32);
    return StickImage(std::move(layout));
}

std::uint64_t StickImage::size() const {
    return layout_->size;
}

std::uint64_t StickImage::bytesWritten() const {
    const Geometry& g = layout_->geometry;
    return g.dataOffset() + (layout_->nextCluster - 2ULL) * g.clusterBytes();
}

std::uint64_t StickImage::fileCount() const {
    return countFiles(layout_->root);
}

std::uint32_t StickImage::volumeSerial() const {
    return layout_->serial;
}

bool StickImage::write(int fd, const std::string& image, const StopCheck& stop) const {
    const Layout& l = *layout_;
    const Geometry& g = l.geometry;
    if (::ftruncate(fd, static_cast<off_t>(l.size)) != 0) {
        throwFileError("write", image, errno);
    }

    // The master boot record: the boot code, the disk's signature and the
    // one partition, active, FAT32 addressed by LBA.
    std::string mbr(kSector, '\0');
    std::copy(l.bootCode.begin(), l.bootCode.end(), mbr.begin());
    putLe32(mbr, 440, l.serial);
    std::string entry(16, '\0');
    entry[0] = static_cast<char>(0x80);
    // Start at LBA 2048 is cylinder 0, head 32, sector 33 in the 255-head,
    // 63-sector geometry; the end lies past what CHS can say.
    entry[1] = 32;
    entry[2] = 33;
    entry[3] = 0;
    entry[4] = 0x0C;
    entry[5] = static_cast<char>(0xFE);
    entry[6] = static_cast<char>(0xFF);
    entry[7] = static_cast<char>(0xFF);
    putLe32(entry, 8, static_cast<std::uint32_t>(kStickPartitionOffset / kSector));
    putLe32(entry, 12, static_cast<std::uint32_t>(g.partitionSectors));
    std::copy(entry.begin(), entry.end(), mbr.begin() + 446);
    mbr[510] = 0x55;
    mbr[511] = static_cast<char>(0xAA);
    writeAt(fd, 0, mbr, image);

    // The partition's boot sector with its BPB, and its information sector;
    // each with its copy six sectors on.
    std::string boot(kSector, '\0');
    boot[0] = static_cast<char>(0xEB);
    boot[1] = 0x58;
    boot[2] = static_cast<char>(0x90);
    std::string oem = "MSWIN4.1";
    std::copy(oem.begin(), oem.end(), boot.begin() + 3);
    putLe16(boot, 11, kSector);
    boot[13] = static_cast<char>(g.sectorsPerCluster);
    putLe16(boot, 14, g.reservedSectors);
    boot[16] = 2;
    boot[21] = static_cast<char>(0xF8);
    putLe16(boot, 24, 63);
    putLe16(boot, 26, 255);
    putLe32(boot, 28, static_cast<std::uint32_t>(kStickPartitionOffset / kSector));
    putLe32(boot, 32, static_cast<std::uint32_t>(g.partitionSectors));
    putLe32(boot, 36, g.fatSectors);
    putLe32(boot, 44, 2);
    putLe16(boot, 48, 1);
    putLe16(boot, 50, 6);
    boot[64] = static_cast<char>(0x80);
    boot[66] = 0x29;
    putLe32(boot, 67, l.serial);
    std::string label = l.label;
    label.resize(11, ' ');
    std::copy(label.begin(), label.end(), boot.begin() + 71);
    std::string type = "FAT32   ";
    std::copy(type.begin(), type.end(), boot.begin() + 82);
    boot[510] = 0x55;
    boot[511] = static_cast<char>(0xAA);
    std::string info(kSector, '\0');
    putLe32(info, 0, 0x41615252);
    putLe32(info, 484, 0x61417272);
    putLe32(info, 488, g.clusterCount - (l.nextCluster - 2));
    putLe32(info, 492, l.nextCluster);
    putLe32(info, 508, 0xAA550000);
    for (std::uint64_t first : {0ULL, 6ULL}) {
        writeAt(fd, kStickPartitionOffset + first * kSector, boot + info, image);
    }

    // Both FATs: each folder and file one chain of clusters in a row.
    std::vector<std::uint32_t> fat(l.nextCluster, 0);
    fat[0] = 0x0FFFFFF8;
    fat[1] = kEndOfChain;
    std::vector<const StickNode*> pending{&l.root};
    while (!pending.empty()) {
        const StickNode* node = pending.back();
        pending.pop_back();
        for (std::uint64_t k = 0; k < node->clusters; ++k) {
            fat[node->firstCluster + k] =
                k + 1 == node->clusters ? kEndOfChain
                                        : static_cast<std::uint32_t>(node->firstCluster + k + 1);
        }
        for (const StickNode& child : node->children) {
            pending.push_back(&child);
        }
    }
    std::string fatBytes(fat.size() * 4, '\0');
    for (std::size_t i = 0; i < fat.size(); ++i) {
        putLe32(fatBytes, i * 4, fat[i]);
    }
    for (std::uint64_t copy = 0; copy < 2; ++copy) {
        writeAt(fd, kStickPartitionOffset + (g.reservedSectors + copy * g.fatSectors) * kSector,
                fatBytes, image);
    }

    // The folders and files, in the order of their clusters.
    struct Step {
        const StickNode* node;
        const StickNode* parent;
    };
    std::vector<Step> steps{{&l.root, nullptr}};
    while (!steps.empty()) {
        Step step = steps.back();
        steps.pop_back();
        if (stopAsked(stop)) {
            return false;
        }
        const StickNode& node = *step.node;
        if (node.folder) {
            writeAt(fd, g.clusterOffset(node.firstCluster), l.folderBytes(node, step.parent),
                    image);
            for (auto it = node.children.rbegin(); it != node.children.rend(); ++it) {
                steps.push_back({&*it, &node});
            }
        } else if (node.size > 0) {
            if (node.given) {
                writeAt(fd, g.clusterOffset(node.firstCluster), node.bytes, image);
            } else {
                copyInto(fd, g.clusterOffset(node.firstCluster), node, image);
            }
        }
    }
    return true;
}

void StickImage::redateRoot(const std::string& file, const std::string& image) const {
    UniqueFd opened(::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (!opened.valid()) {
        throwFileError("open", image, errno);
    }
    const int fd = opened.get();
    const Layout& l = *layout_;
    const Geometry& g = l.geometry;
    // The installer writes the boot code into the boot sector alone: its
    // copy follows, as Windows keeps the two equal.
    std::string boot = readAt(fd, kStickPartitionOffset, kSector, image);
    writeAt(fd, kStickPartitionOffset + 6 * kSector, boot, image);
    if (!l.epoch) {
        return;
    }
    const std::uint64_t offset = g.clusterOffset(l.root.firstCluster);
    std::string folder = readAt(fd, offset, l.root.clusters * g.clusterBytes(), image);
    for (std::size_t at = 0; at + 32 <= folder.size(); at += 32) {
        auto first = static_cast<unsigned char>(folder[at]);
        if (first == 0) {
            break;
        }
        if (first != 0xE5 && folder[at + 11] != 0x0F) {
            putFatDates(folder, at, fatTime(*l.epoch, true));
        }
    }
    writeAt(fd, offset, folder, image);
}

} // namespace ornibe