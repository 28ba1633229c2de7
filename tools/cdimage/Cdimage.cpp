#include "Cdimage.h"

#include "CdimageArguments.h"
#include "ContentTwins.h"
#include "IsoWriter.h"

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
#include <climits>
#include <cstdlib>
#include <memory>
#include <set>
#include <string_view>
#include <utility>

namespace ornibe {
namespace {

using FileId = std::pair<dev_t, ino_t>;

FileId idOf(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

// An ISO 9660 image has "CD001" at byte 32769 (the first volume
// descriptor at sector 16, after its type byte).
bool isIsoImage(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    char magic[5] = {};
    return fd.valid() && ::pread(fd.get(), magic, sizeof magic, 32769) == sizeof magic &&
           std::string_view(magic, sizeof magic) == "CD001";
}

// Whether the image can hold the name whole: 37 characters with long names,
// otherwise 8 before the last dot and 3 after it.
bool fitsIso9660(const std::string& name, bool longNames) {
    if (longNames) {
        return name.size() <= 37;
    }
    size_t dot = name.rfind('.');
    size_t stem = dot == std::string::npos ? name.size() : dot;
    size_t extension = dot == std::string::npos ? 0 : name.size() - dot - 1;
    return stem <= 8 && extension <= 3;
}

// Collects the folders and files of the tree into an ImageTree.
class TreeWalk {
public:
    // root is the tree's real path: links are judged against it.
    TreeWalk(std::string root, bool includeHidden, bool longNames, std::set<FileId> excluded,
             std::ostream& out)
        : root_(std::move(root)), includeHidden_(includeHidden), longNames_(longNames),
          excluded_(std::move(excluded)), out_(out) {}

    // Nothing on success, otherwise why the tree cannot be read.
    std::optional<std::string> walk(const std::string& folder, size_t folderIndex) {
        UniqueDir dir(opendir(folder.c_str()));
        if (!dir) {
            return "cannot read folder " + folder + ": " + systemReason(errno);
        }
        struct stat self {};
        if (fstat(dirfd(dir.get()), &self) != 0) {
            return "cannot read folder " + folder + ": " + systemReason(errno);
        }
        // A link that leads back to a folder above would never end.
        if (!ancestors_.insert(idOf(self)).second) {
            out_ << "cdimage: skipping " << folder << ": it leads back to a folder above it\n";
            return std::nullopt;
        }
        std::vector<std::string> names;
        errno = 0;
        while (dirent* entry = readdir(dir.get())) {
            std::string name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            if (name[0] == '.' && !includeHidden_) {
                continue;
            }
            // A file on its way somewhere (this run's image, or what a
            // killed run left) is never content of the tree.
            if (isPendingFileName(name)) {
                continue;
            }
            names.push_back(name);
        }
        dir.reset();
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            std::string path = joinPath(folder, name);
            if (!fitsIso9660(name, longNames_)) {
                // A lookup by the full name (as Windows setup makes) will
                // not find such an entry in the image.
                out_ << "cdimage: " << path << ": the name is longer than "
                     << (longNames_ ? "37 characters" : "8.3")
                     << " and is shortened in the image\n";
            }
            struct stat st {};
            if (::lstat(path.c_str(), &st) != 0) {
                out_ << "cdimage: skipping " << path << ": " << systemReason(errno) << "\n";
                continue;
            }
            if (S_ISLNK(st.st_mode)) {
                // Only what lies inside the tree goes into the image: a link
                // is imaged as what it names when that is inside, and read
                // there, so that nothing on the way is a link.
                std::string real = realPath(path).value_or(std::string());
                if (real.empty() || !isSameOrInside(real, root_)) {
                    out_ << "cdimage: skipping " << path << ": "
                         << (real.empty() ? "the link leads nowhere"
                                          : "the link leads out of the tree")
                         << "\n";
                    continue;
                }
                if (::stat(real.c_str(), &st) != 0) {
                    out_ << "cdimage: skipping " << path << ": " << systemReason(errno) << "\n";
                    continue;
                }
                path = real;
            }
            if (S_ISDIR(st.st_mode)) {
                tree.folders.push_back({name, folderIndex, path});
                if (auto problem = walk(path, tree.folders.size() - 1)) {
                    return problem;
                }
            } else if (S_ISREG(st.st_mode)) {
                if (excluded_.count(idOf(st))) {
                    continue;
                }
                tree.files.push_back({name, folderIndex, path, tree.files.size()});
                sizes.push_back(static_cast<std::uint64_t>(st.st_size));
            } else {
                out_ << "cdimage: skipping " << path << ": not a file or folder\n";
            }
        }
        ancestors_.erase(idOf(self));
        return std::nullopt;
    }

    ImageTree tree;
    std::vector<std::uint64_t> sizes;

private:
    std::string root_;
    bool includeHidden_;
    bool longNames_;
    std::set<FileId> excluded_;
    std::set<FileId> ancestors_;
    std::ostream& out_;
};

int fail(std::ostream& err, const std::string& problem) {
    err << "cdimage: " << problem << "\n";
    return 1;
}

mode_t currentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

int runCdimage(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string problem;
    std::optional<CdimageArguments> parsed = parseCdimageArguments(args, problem);
    if (!parsed) {
        return fail(err, problem);
    }
    if (!existsAsFolder(parsed->tree)) {
        return fail(err, "source folder " + parsed->tree + " does not exist");
    }
    std::optional<std::string> resolved = realPath(parsed->tree);
    if (!resolved) {
        return fail(err, "cannot read folder " + parsed->tree + ": " + systemReason(errno));
    }
    std::string tree = *resolved;

    ImageOptions options;
    options.label = parsed->label;
    options.longNames = parsed->longNames;
    if (parsed->bootFile) {
        if (!existsAsFile(*parsed->bootFile)) {
            return fail(err, "boot file " + *parsed->bootFile + " does not exist");
        }
        options.bootFile = makeAbsolute(*parsed->bootFile);
    }

    std::string image = makeAbsolute(parsed->image);
    std::string folder = folderPart(image);
    if (!existsAsFolder(folder)) {
        return fail(err, "folder of the image " + parsed->image + " does not exist");
    }
    // What a killed run left for this image goes first.
    removeStalePendingFiles(image);
    std::set<FileId> excluded;
    struct stat st {};
    if (::lstat(image.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) {
            return fail(err, "cannot write " + parsed->image + ": it is a folder");
        }
        if (isReadOnly(image)) {
            return fail(err, "cannot write " + parsed->image + ": it is read-only");
        }
        // Only an earlier image may be replaced inside the tree: any other
        // file there is part of what is imaged.
        std::string realFolder = realPath(folder).value_or(std::string());
        if (!realFolder.empty() && isSameOrInside(realFolder, tree) && !isIsoImage(image)) {
            return fail(err, "cannot write " + parsed->image +
                                 ": it is a file of the tree, not an earlier image");
        }
        // An image left by an earlier run inside the tree is replaced, not
        // imaged.
        excluded.insert(idOf(st));
    }

    try {
        PendingFile pending(image);
        if (fstat(pending.fd(), &st) != 0) {
            throwFileError("write", image, errno);
        }
        excluded.insert(idOf(st));

        TreeWalk walk(tree, parsed->includeHidden, parsed->longNames, excluded, out);
        if (auto walkProblem = walk.walk(tree, 0)) {
            return fail(err, *walkProblem);
        }
        if (parsed->storeTwinsOnce) {
            std::vector<std::string> paths;
            for (const ImageTree::File& file : walk.tree.files) {
                paths.push_back(file.source);
            }
            try {
                std::vector<size_t> twins = findContentTwins(paths, walk.sizes);
                for (size_t i = 0; i < twins.size(); ++i) {
                    walk.tree.files[i].twinOf = twins[i];
                }
            } catch (const FileError& error) {
                return fail(err, "cannot read " + error.path() + ": " + error.reason());
            }
        }

        if (auto writeProblem = writeIsoImage(walk.tree, options, pending.fd())) {
            return fail(err, "cannot write " + parsed->image + ": " + *writeProblem);
        }
        pending.setMode(0666 & ~currentUmask());
        pending.sync();
        pending.commit();
        out << "cdimage: wrote " << parsed->image << " (" << walk.tree.files.size() << " files, "
            << walk.tree.folders.size() - 1 << " folders)\n";
    } catch (const FileError& error) {
        return fail(err, "cannot write " + parsed->image + ": " + error.reason());
    }
    return 0;
}

} // namespace ornibe
