#include "media/DirectoryWalk.h"

#include "sys/HostPath.h"
#include "sys/Translation.h"

#include <deque>
#include <set>
#include <utility>
#include <vector>

namespace ornibe {

namespace {

constexpr std::uint64_t kSector = kIsoSectorBytes;
// No CD holds more folders, entries or folder bytes in one tree than these,
// nor folders nested deeper; a tree beyond them is refused, not walked.
constexpr size_t kMaxFolders = 200000;
constexpr std::uint64_t kMaxEntries = 500000;
constexpr std::uint64_t kMaxFolderBytes = 64u << 20;
constexpr int kMaxDepth = 64;

constexpr unsigned char kFolderFlag = 0x02;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The name of an entry as the messages show it: a Joliet name is UTF-16BE;
// the ";1" version and a trailing dot are no part of it.
std::string recordName(const unsigned char* record, bool joliet) {
    const size_t length = record[32];
    const unsigned char* id = record + 33;
    std::string name;
    if (joliet) {
        for (size_t i = 0; i + 1 < length; i += 2) {
            char32_t c = char32_t(id[i]) << 8 | id[i + 1];
            if (c >= 0xD800 && c < 0xDC00 && i + 3 < length) {
                char32_t low = char32_t(id[i + 2]) << 8 | id[i + 3];
                if (low >= 0xDC00 && low < 0xE000) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
            appendUtf8(name, c);
        }
    } else {
        name.assign(reinterpret_cast<const char*>(id), length);
    }
    if (size_t version = name.find(';'); version != std::string::npos) {
        name.erase(version);
    }
    while (name.size() > 1 && name.back() == '.') {
        name.pop_back();
    }
    return name;
}

struct Folder {
    std::uint32_t lba = 0;
    std::uint32_t length = 0;
    std::string path;
    int depth = 0;
};

class TreeWalk {
public:
    TreeWalk(const ImageDevice& device, const StopCheck& stop, DirectoryWalk& result)
        : device_(device), stop_(stop), result_(result) {}

    // Walks the tree below root; false when it found a fault or was
    // stopped, which result then holds.
    bool walk(Folder root, bool joliet) {
        std::set<std::uint32_t> seen{root.lba};
        std::deque<Folder> folders;
        folders.push_back(std::move(root));
        std::uint64_t bytesWalked = 0;
        std::uint64_t entries = 0;
        std::vector<unsigned char> bytes;
        while (!folders.empty()) {
            if (stopAsked(stop_)) {
                result_.stopped = true;
                return false;
            }
            Folder folder = std::move(folders.front());
            folders.pop_front();
            if (folder.length == 0) {
                return fail(folder.path, translated("フォルダの記録が壊れています"));
            }
            if (std::uint64_t(folder.lba) * kSector + folder.length > device_.size()) {
                return fail(folder.path, translated("フォルダがイメージの終わりを越えています"));
            }
            bytesWalked += folder.length;
            if (bytesWalked > kMaxFolderBytes) {
                return fail({},
                            translated("フォルダの記録が多すぎます (CD に入る量を越えています)"));
            }
            const std::uint64_t sectors = (folder.length + kSector - 1) / kSector;
            bytes.resize(sectors * kSector);
            for (std::uint64_t s = 0; s < sectors; ++s) {
                if (!device_.readSector(folder.lba + s, bytes.data() + s * kSector)) {
                    return fail(folder.path, translated("フォルダを読めません"));
                }
            }
            result_.folderSectors += sectors;

            size_t at = 0;
            int index = 0;
            while (at < folder.length) {
                const unsigned recordLength = bytes[at];
                if (recordLength == 0) {
                    // Records never cross a sector; the rest is padding.
                    at = (at / kSector + 1) * kSector;
                    continue;
                }
                const unsigned char* r = bytes.data() + at;
                if (recordLength < 34 || at % kSector + recordLength > kSector ||
                    33u + r[32] > recordLength) {
                    return fail(folder.path, translated("フォルダの記録が壊れています"));
                }
                // The first two records are the folder itself and its
                // parent; libisofs takes them by their place, whatever
                // they say.
                if (index == 0 && !checkSelf(folder, r)) {
                    return false;
                }
                std::string path =
                    index < 2 ? folder.path : joinPath(folder.path, recordName(r, joliet));
                if (index != 1 && (r[26] != 0 || r[27] != 0)) {
                    return fail(path, translated("インターリーブ方式で記録されていて、読めません"));
                }
                if (index >= 2) {
                    if (++entries > kMaxEntries) {
                        return fail(
                            {}, translated(
                                    "ファイルとフォルダが多すぎます (CD に入る数を越えています)"));
                    }
                    if ((r[25] & kFolderFlag) != 0) {
                        std::uint32_t child = le32(r + 2);
                        if (!seen.insert(child).second) {
                            return fail(
                                path,
                                translated(
                                    "フォルダが自分自身かほかのフォルダを含んでいます (ループ)"));
                        }
                        if (seen.size() > kMaxFolders) {
                            return fail(
                                {}, translated("フォルダが多すぎます (CD に入る数を越えています)"));
                        }
                        if (folder.depth + 1 > kMaxDepth) {
                            return fail(path, translated("フォルダが深すぎます"));
                        }
                        folders.push_back({child, le32(r + 10), std::move(path), folder.depth + 1});
                    }
                }
                ++index;
                at += recordLength;
            }
            if (index == 0) {
                return fail(folder.path, translated("フォルダに「.」の記録がありません"));
            }
        }
        result_.entries += entries;
        return true;
    }

private:
    // The "." record must name the folder itself, with the size its parent
    // records: libisofs reads the folder from there.
    bool checkSelf(const Folder& folder, const unsigned char* r) {
        const std::string folderWord =
            folder.path.empty() ? translated("ルートフォルダ") : translated("フォルダ");
        if (r[32] != 1 || r[33] != 0 || (r[25] & kFolderFlag) == 0) {
            return fail(folder.path,
                        translated("%1の最初の記録が「.」ではありません", {folderWord}));
        }
        if (le32(r + 2) != folder.lba) {
            return fail(folder.path,
                        translated("%1の「.」の記録が、そのフォルダ自身でない場所を指しています",
                                   {folderWord}));
        }
        const std::uint32_t size = le32(r + 10);
        if (size == folder.length) {
            return true;
        }
        if (std::uint64_t(folder.lba) * kSector + size > device_.size()) {
            return fail(folder.path,
                        translated("%1の「.」の記録にある大きさがイメージの終わりを越えています",
                                   {folderWord}));
        }
        return fail(
            folder.path,
            translated("%1の「.」の記録にある大きさが、親フォルダの記録と違います", {folderWord}));
    }

    bool fail(std::string entry, std::string why) {
        result_.entry = std::move(entry);
        result_.problem = std::move(why);
        return false;
    }

    const ImageDevice& device_;
    const StopCheck& stop_;
    DirectoryWalk& result_;
};

} // namespace

DirectoryWalk walkDirectories(const ImageDevice& device, const StopCheck& stop) {
    // The root folder records of the primary descriptor and of a Joliet
    // supplementary descriptor (type 2, escape sequence %/@, %/C or %/E).
    struct Root {
        Folder folder;
        bool joliet;
    };
    std::vector<Root> roots;
    device.findDescriptor([&](const unsigned char* sector) {
        bool joliet = sector[0] == 2 && sector[88] == '%' && sector[89] == '/' &&
                      (sector[90] == '@' || sector[90] == 'C' || sector[90] == 'E');
        if (sector[0] == 1 || joliet) {
            roots.push_back({{le32(sector + 156 + 2), le32(sector + 156 + 10), {}, 0}, joliet});
        }
        return false;
    });
    DirectoryWalk result;
    TreeWalk walk(device, stop, result);
    for (Root& root : roots) {
        if (!walk.walk(std::move(root.folder), root.joliet)) {
            break;
        }
    }
    return result;
}

} // namespace ornibe
