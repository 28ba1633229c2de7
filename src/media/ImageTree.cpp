#include "media/ImageTree.h"

#include "sys/CaseFold.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"
#include "sys/WindowsPath.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace ornibe {
namespace {

constexpr std::uint64_t kBlock = 2048;
// Deeper trees than this are taken for a directory that contains itself.
constexpr int kMaxDepth = 64;

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

    void build(IsoDir* dir, ImageNode& into, const std::string& path, const std::string& loosePath,
               int depth) {
        if (depth > kMaxDepth) {
            setProblem(path, translated("フォルダが自分自身を含んでいるか、深すぎます"));
            return;
        }
        std::map<std::string, std::string> folded;
        DirChildren children(dir);
        while (IsoNode* node = children.next()) {
            ImageNode child;
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
                setProblem(
                    childPath,
                    translated("大文字と小文字を区別しないと同じ名前になるものがあります (%1)",
                               {it->second}));
            }
            into.children.push_back(std::move(child));
        }
        std::sort(into.children.begin(), into.children.end(),
                  [](const auto& a, const auto& b) { return a.name < b.name; });
    }

private:
    void readExtents(IsoFile* file, ImageNode& node, const std::string& path) {
        int count = 0;
        iso_file_section* sections = nullptr;
        if (iso_file_get_old_image_sections(file, &count, &sections, 0) != 1) {
            if (node.size != 0) {
                setProblem(path, translated("ファイルの場所が読めません"));
            }
            return;
        }
        std::uint64_t total = 0;
        for (int i = 0; i < count; ++i) {
            std::uint64_t offset = std::uint64_t(sections[i].block) * kBlock;
            std::uint64_t length = sections[i].size;
            if (length != 0 && offset + length > imageBytes_) {
                setProblem(path, translated("ファイルがイメージの終わりを越えています"));
            }
            node.extents.push_back({offset, length});
            total += length;
        }
        std::free(sections);
        if (total != node.size) {
            setProblem(path, translated("ファイルの一部しか見つかりません"));
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

const ImageNode* findChild(const ImageNode& folder, std::string_view name) {
    const ImageNode* folded = nullptr;
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

} // namespace

ImageTree readImageTree(const IsoImport& windows, const IsoImport* rockRidge,
                        std::uint64_t imageBytes) {
    std::map<std::string, std::string> links;
    if (rockRidge != nullptr) {
        collectLinks(iso_image_get_root(rockRidge->image()), "", "", links, 0);
    }
    ImageTree tree;
    tree.root.folder = true;
    TreeBuilder builder(imageBytes, links);
    builder.build(iso_image_get_root(windows.image()), tree.root, "", "", 0);
    // Links that the Joliet tree leaves out altogether are named too.
    for (const auto& [loose, line] : links) {
        if (std::find(builder.leftOut.begin(), builder.leftOut.end(), line) ==
            builder.leftOut.end()) {
            builder.leftOut.push_back(line);
        }
    }
    tree.leftOut = std::move(builder.leftOut);
    tree.problemPath = std::move(builder.problemPath);
    tree.problem = std::move(builder.problem);
    return tree;
}

const ImageNode* findImageNode(const ImageNode& root, std::string_view relative) {
    const ImageNode* node = &root;
    for (std::string_view name : splitWindowsPath(relative)) {
        node = node->folder ? findChild(*node, name) : nullptr;
        if (node == nullptr) {
            break;
        }
    }
    return node;
}

} // namespace ornibe
