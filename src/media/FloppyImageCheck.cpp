#include "media/FloppyImageCheck.h"

#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/Result.h"
#include "sys/Translation.h"

#include <optional>
#include <vector>

namespace ornibe {
namespace {

using Clock = std::chrono::steady_clock;

unsigned little16(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8);
}

std::uint32_t little32(const std::string& bytes, std::size_t at) {
    return little16(bytes, at) | (static_cast<std::uint32_t>(little16(bytes, at + 2)) << 16);
}

// The short name of a folder entry as "NAME.EXT", blanks of the padding
// removed; the name as the messages show it.
std::string shortName(const std::string& bytes, std::size_t at) {
    auto part = [&](std::size_t from, std::size_t count) {
        std::string text = bytes.substr(from, count);
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        return text;
    };
    std::string base = part(at, 8);
    if (!base.empty() && static_cast<unsigned char>(base[0]) == 0x05) {
        base[0] = static_cast<char>(0xE5);
    }
    std::string extension = part(at + 8, 3);
    return extension.empty() ? base : base + "." + extension;
}

class FatWalk {
public:
    FatWalk(const std::string& image, std::string bytes, const StopCheck& stop,
            const FloppyReadLimits& limits)
        : image_(image), bytes_(std::move(bytes)), stop_(stop), limits_(limits),
          deadline_(Clock::now() + limits.time) {}

    Outcome run() {
        if (Outcome read = readLayout(); !read) {
            return read;
        }
        owner_.assign(clusterCount_ + 2, kFree);
        names_.push_back("/");
        return walkFolder(bytes_.substr(rootStart_, rootEntries_ * 32ull), "", 0);
    }

private:
    static constexpr std::size_t kFree = static_cast<std::size_t>(-1);

    Failure refused(const std::string& path, const std::string& reason) const {
        return Failure{"read", image_ + (path.empty() ? "" : ":" + path), reason};
    }

    Outcome readLayout() {
        if (bytes_.size() < 512) {
            return refused("", translated("FAT のブートセクタがありません。"));
        }
        bytesPerSector_ = little16(bytes_, 11);
        const unsigned sectorsPerCluster = static_cast<unsigned char>(bytes_[13]);
        const unsigned reserved = little16(bytes_, 14);
        const unsigned fats = static_cast<unsigned char>(bytes_[16]);
        rootEntries_ = little16(bytes_, 17);
        std::uint64_t totalSectors = little16(bytes_, 19);
        if (totalSectors == 0) {
            totalSectors = little32(bytes_, 32);
        }
        const unsigned sectorsPerFat = little16(bytes_, 22);
        if (bytesPerSector_ < 512 || bytesPerSector_ > 4096 ||
            (bytesPerSector_ & (bytesPerSector_ - 1)) != 0 || sectorsPerCluster == 0 ||
            (sectorsPerCluster & (sectorsPerCluster - 1)) != 0 || reserved == 0 || fats == 0 ||
            rootEntries_ == 0 || sectorsPerFat == 0) {
            return refused("", translated("FAT12/FAT16 のブートセクタとして読めません。"));
        }
        clusterBytes_ = static_cast<std::uint64_t>(bytesPerSector_) * sectorsPerCluster;
        fatStart_ = static_cast<std::uint64_t>(reserved) * bytesPerSector_;
        fatBytes_ = static_cast<std::uint64_t>(sectorsPerFat) * bytesPerSector_;
        rootStart_ = fatStart_ + fats * fatBytes_;
        const std::uint64_t rootSectors =
            (rootEntries_ * 32ull + bytesPerSector_ - 1) / bytesPerSector_;
        dataStart_ = rootStart_ + rootSectors * bytesPerSector_;
        const std::uint64_t firstDataSector = dataStart_ / bytesPerSector_;
        if (totalSectors <= firstDataSector) {
            return refused("",
                           translated("FAT のブートセクタのセクタ数がデータ領域に足りません。"));
        }
        clusterCount_ = (totalSectors - firstDataSector) / sectorsPerCluster;
        if (clusterCount_ >= 65525) {
            return refused(
                "", translated("FAT32 のイメージです（フロッピーは FAT12 か FAT16 です）。"));
        }
        fat12_ = clusterCount_ < 4085;
        const std::uint64_t fatNeeded =
            fat12_ ? (clusterCount_ + 2) * 3 / 2 + 1 : (clusterCount_ + 2) * 2;
        if (fatNeeded > fatBytes_ || dataStart_ > bytes_.size()) {
            return refused("", translated("FAT かルートフォルダがイメージに収まっていません。"));
        }
        return {};
    }

    std::uint32_t next(std::uint32_t cluster) const {
        if (fat12_) {
            const std::uint64_t at = fatStart_ + cluster + cluster / 2;
            const unsigned pair = little16(bytes_, at);
            return (cluster & 1) != 0 ? pair >> 4 : pair & 0x0FFF;
        }
        return little16(bytes_, fatStart_ + cluster * 2ull);
    }

    bool chainEnd(std::uint32_t value) const { return value >= (fat12_ ? 0x0FF8u : 0xFFF8u); }

    Outcome checkTime() const {
        if (stopAsked(stop_)) {
            return refused("", translated("中止しました。"));
        }
        if (Clock::now() > deadline_) {
            return refused("", translated("読み込みが時間の上限を超えました。"));
        }
        return {};
    }

    // Follows the chain from first, marking each cluster as the entry's.
    // The clusters in order, or the refusal naming the entry.
    Result<std::vector<std::uint32_t>> chain(std::uint32_t first, std::size_t entry,
                                             const std::string& path,
                                             const std::vector<std::string>& ancestors) {
        std::vector<std::uint32_t> clusters;
        for (std::uint32_t cluster = first;;) {
            if (cluster < 2 || cluster >= clusterCount_ + 2) {
                return refused(
                    path,
                    translated("FAT のチェーンがデータ領域の外（クラスタ %1）を指しています。",
                               {std::to_string(cluster)}));
            }
            if (std::size_t owner = owner_[cluster]; owner != kFree) {
                if (owner == entry) {
                    return refused(path,
                                   translated("FAT のチェーンが輪になっています（クラスタ %1）。",
                                              {std::to_string(cluster)}));
                }
                for (const std::string& ancestor : ancestors) {
                    if (ancestor == names_[owner]) {
                        return refused(
                            path,
                            translated("フォルダが上のフォルダ %1 を指していて、輪になっています。",
                                       {ancestor.empty() ? std::string("/") : ancestor}));
                    }
                }
                return refused(
                    path,
                    translated(
                        "クラスタ %1 を %2 と共有しています（FAT のチェーンが交差しています）。",
                        {std::to_string(cluster), names_[owner]}));
            }
            if (dataStart_ + (cluster - 1ull) * clusterBytes_ > bytes_.size()) {
                return refused(path, translated("クラスタ %1 がイメージファイルの外にあります。",
                                                {std::to_string(cluster)}));
            }
            owner_[cluster] = entry;
            clusters.push_back(cluster);
            const std::uint32_t following = next(cluster);
            if (chainEnd(following)) {
                return clusters;
            }
            cluster = following;
        }
    }

    // The folder's entry bytes: the root's fixed area, or the clusters of
    // a folder's chain.
    std::string folderBytes(const std::vector<std::uint32_t>& clusters) const {
        std::string entries;
        for (std::uint32_t cluster : clusters) {
            entries += bytes_.substr(dataStart_ + (cluster - 2ull) * clusterBytes_, clusterBytes_);
        }
        return entries;
    }

    Outcome walkFolder(const std::string& entries, const std::string& path, unsigned depth) {
        ancestors_.push_back(path);
        for (std::size_t at = 0; at + 32 <= entries.size(); at += 32) {
            if (Outcome time = checkTime(); !time) {
                return time;
            }
            const unsigned char lead = static_cast<unsigned char>(entries[at]);
            if (lead == 0x00) {
                break;
            }
            const unsigned char attributes = static_cast<unsigned char>(entries[at + 11]);
            if (lead == 0xE5 || (attributes & 0x0F) == 0x0F || (attributes & 0x08) != 0) {
                continue;
            }
            const std::string name = shortName(entries, at);
            if (name == "." || name == "..") {
                continue;
            }
            if (++entryCount_ > limits_.entries) {
                return refused(path + "/" + name,
                               translated("項目の数が上限（%1 個）を超えました。",
                                          {std::to_string(limits_.entries)}));
            }
            const std::string entryPath = path + "/" + name;
            const std::uint32_t start = little16(entries, at + 26);
            const std::uint32_t size = little32(entries, at + 28);
            const std::size_t entry = names_.size();
            names_.push_back(entryPath);
            if ((attributes & 0x10) != 0) {
                if (depth + 1 > limits_.depth) {
                    return refused(entryPath,
                                   translated("フォルダの深さが上限（%1 段）を超えました。",
                                              {std::to_string(limits_.depth)}));
                }
                if (start == 0) {
                    return refused(entryPath,
                                   translated("フォルダがルートフォルダを指していて、輪になって"
                                              "います。"));
                }
                Result<std::vector<std::uint32_t>> clusters =
                    chain(start, entry, entryPath, ancestors_);
                if (!clusters) {
                    return clusters.failure();
                }
                if (Outcome walked = walkFolder(folderBytes(*clusters), entryPath, depth + 1);
                    !walked) {
                    return walked;
                }
                continue;
            }
            if (size == 0) {
                continue;
            }
            if (start == 0) {
                return refused(entryPath, translated("%1 バイトのファイルにクラスタがありません。",
                                                     {std::to_string(size)}));
            }
            Result<std::vector<std::uint32_t>> clusters =
                chain(start, entry, entryPath, ancestors_);
            if (!clusters) {
                return clusters.failure();
            }
            if (static_cast<std::uint64_t>(size) > clusters->size() * clusterBytes_) {
                return refused(entryPath,
                               translated("大きさが %1 バイトとありますが、FAT のチェーンには %2 "
                                          "バイトしかありません。",
                                          {std::to_string(size),
                                           std::to_string(clusters->size() * clusterBytes_)}));
            }
            totalBytes_ += size;
            if (totalBytes_ > limits_.bytes) {
                return refused(entryPath,
                               translated("ファイルの大きさの合計が上限（%1 バイト）を超えました。",
                                          {std::to_string(limits_.bytes)}));
            }
        }
        ancestors_.pop_back();
        return {};
    }

    std::string image_;
    std::string bytes_;
    const StopCheck& stop_;
    FloppyReadLimits limits_;
    Clock::time_point deadline_;
    unsigned bytesPerSector_ = 0;
    unsigned rootEntries_ = 0;
    std::uint64_t clusterBytes_ = 0;
    std::uint64_t fatStart_ = 0;
    std::uint64_t fatBytes_ = 0;
    std::uint64_t rootStart_ = 0;
    std::uint64_t dataStart_ = 0;
    std::uint64_t clusterCount_ = 0;
    bool fat12_ = true;
    // For each cluster the entry whose chain holds it, as an index of names_.
    std::vector<std::size_t> owner_;
    std::vector<std::string> names_;
    std::vector<std::string> ancestors_;
    std::size_t entryCount_ = 0;
    std::uint64_t totalBytes_ = 0;
};

} // namespace

Outcome checkFloppyImage(const std::string& image, const StopCheck& stop,
                         const FloppyReadLimits& limits) {
    std::optional<std::string> bytes;
    try {
        bytes = readFileAtMost(image, limits.bytes);
    } catch (const FileError& error) {
        return Failure{"read", image, error.reason()};
    }
    if (!bytes) {
        return Failure{"read", image,
                       translated("イメージファイルが大きすぎます（上限 %1 バイト）。",
                                  {std::to_string(limits.bytes)})};
    }
    return FatWalk(image, std::move(*bytes), stop, limits).run();
}

} // namespace ornibe
