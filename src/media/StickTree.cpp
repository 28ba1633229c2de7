#include "media/StickTree.h"

#include "sys/FileError.h"
#include "sys/PendingFile.h"
#include "sys/Translation.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>

namespace ornibe {
namespace {

Failure cannotPlace(const std::string& path, const std::string& reason) {
    return Failure{"plan", path, reason};
}

StickNode* childNamed(StickNode& folder, const std::string& name) {
    for (StickNode& child : folder.children) {
        if (fatFoldedName(child.name) == fatFoldedName(name)) {
            return &child;
        }
    }
    return nullptr;
}

} // namespace

std::optional<Failure> readStickFolder(const std::string& path, StickNode& node,
                                       const StopCheck& stop) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
        if (stopAsked(stop)) {
            return std::nullopt;
        }
        std::string name = it->path().filename().string();
        fs::file_status status = it->symlink_status(error);
        if (error) {
            break;
        }
        if (isPendingFileName(name) ||
            (!fs::is_directory(status) && !fs::is_regular_file(status))) {
            continue;
        }
        StickNode child;
        child.name = name;
        child.folder = fs::is_directory(status);
        child.hostFile = it->path().string();
        struct stat st {};
        if (::lstat(child.hostFile.c_str(), &st) != 0) {
            return cannotPlace(child.hostFile, systemReason(errno));
        }
        child.time = st.st_mtime;
        if (child.folder) {
            if (std::optional<Failure> failed = readStickFolder(child.hostFile, child, stop)) {
                return failed;
            }
        } else {
            child.size = static_cast<std::uint64_t>(st.st_size);
        }
        node.children.push_back(std::move(child));
    }
    if (error) {
        return cannotPlace(path, systemReason(error.value()));
    }
    return std::nullopt;
}

std::optional<Failure> placeStickFile(StickNode& root, const StickFile& file, std::int64_t now) {
    StickNode* folder = &root;
    std::size_t start = 0;
    while (true) {
        std::size_t slash = file.path.find('/', start);
        std::string name = file.path.substr(start, slash - start);
        StickNode* existing = childNamed(*folder, name);
        if (slash == std::string::npos) {
            if (existing && existing->folder) {
                return cannotPlace(file.path, translated("同じ名前のフォルダがあります"));
            }
            StickNode leaf;
            leaf.name = existing ? existing->name : name;
            leaf.time = existing ? existing->time : now;
            leaf.given = file.hostFile.empty();
            leaf.bytes = file.bytes;
            leaf.hostFile = file.hostFile;
            if (leaf.given) {
                leaf.size = file.bytes.size();
            } else {
                struct stat st {};
                if (::stat(file.hostFile.c_str(), &st) != 0) {
                    return cannotPlace(file.hostFile, systemReason(errno));
                }
                leaf.size = static_cast<std::uint64_t>(st.st_size);
            }
            if (existing) {
                *existing = std::move(leaf);
            } else {
                folder->children.push_back(std::move(leaf));
            }
            return std::nullopt;
        }
        if (!existing) {
            StickNode made;
            made.name = name;
            made.folder = true;
            made.time = now;
            folder->children.push_back(std::move(made));
            existing = &folder->children.back();
        } else if (!existing->folder) {
            return cannotPlace(file.path, translated("%1 はフォルダではありません", {name}));
        }
        folder = existing;
        start = slash + 1;
    }
}

std::optional<Failure> nameStickEntries(StickNode& folder, const std::string& path) {
    std::sort(folder.children.begin(), folder.children.end(),
              [](const StickNode& a, const StickNode& b) { return a.name < b.name; });
    ShortNamesTaken taken;
    std::map<std::string, std::string> folded;
    for (StickNode& child : folder.children) {
        const std::string childPath = path.empty() ? child.name : path + "/" + child.name;
        auto [at, fresh] = folded.emplace(fatFoldedName(child.name), child.name);
        if (!fresh) {
            return cannotPlace(childPath,
                               translated("FAT では %1 と同じ名前になります（大文字と小文字を"
                                          "区別しません）",
                                          {at->second}));
        }
        std::optional<FatName> name = fatNameFor(child.name, taken);
        if (!name) {
            return cannotPlace(childPath, translated("FAT のファイル名にできない名前です"));
        }
        if (child.size > 0xFFFFFFFFULL) {
            return cannotPlace(childPath,
                               translated("FAT32 に入らない大きさです（4 GiB 未満まで）"));
        }
        child.fatName = std::move(*name);
        if (child.folder) {
            if (std::optional<Failure> failed = nameStickEntries(child, childPath)) {
                return failed;
            }
        }
    }
    return std::nullopt;
}

} // namespace ornibe
