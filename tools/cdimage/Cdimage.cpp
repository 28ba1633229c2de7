#include "Cdimage.h"

#include "CdimageArguments.h"
#include "ContentTwins.h"
#include "IsoWriter.h"

#include "media/IsoNameLimit.h"
#include "media/VolumeDescriptor.h"
#include "sys/BuildRecord.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/PendingFile.h"
#include "sys/SourceDateEpoch.h"
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

// Whether the image can hold the name whole: 37 characters with long names,
// otherwise 8 before the last dot and 3 after it.
bool fitsIso9660(const std::string& name, bool longNames) {
    if (longNames) {
        return name.size() <= kIsoLongNameLimit;
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

    // Success, or why the tree cannot be read.
    Outcome walk(const std::string& folder, size_t folderIndex) {
        UniqueDir dir(opendir(folder.c_str()));
        struct stat self {};
        if (!dir || fstat(dirfd(dir.get()), &self) != 0) {
            return Failure{"read folder", folder, systemReason(errno)};
        }
        // A link that leads back to a folder above would never end.
        if (!ancestors_.insert(idOf(self)).second) {
            out_ << "cdimage: skipping " << folder << ": it leads back to a folder above it\n";
            return Outcome();
        }
        std::vector<std::string> names = imagedNames(dir.get());
        dir.reset();
        const std::string below = folder.size() > root_.size() && folder.starts_with(root_ + "/")
                                      ? folder.substr(root_.size() + 1) + "/"
                                      : std::string();
        for (const std::string& name : names) {
            // The build's record of what it made is no content of the CD.
            if (isBuildRecord(below + name)) {
                continue;
            }
            if (Outcome added = addEntry(joinPath(folder, name), name, folderIndex); !added) {
                return added;
            }
        }
        ancestors_.erase(idOf(self));
        return Outcome();
    }

    ImageTree tree;
    std::vector<std::uint64_t> sizes;

private:
    // The folder's entries that go into the image, sorted.
    std::vector<std::string> imagedNames(DIR* dir) const {
        std::vector<std::string> names;
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name == "." || name == ".." || (name[0] == '.' && !includeHidden_)) {
                continue;
            }
            // A file on its way somewhere (this run's image, or what a
            // killed run left) is never content of the tree.
            if (isPendingFileName(name)) {
                continue;
            }
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // What path is, read where a link inside the tree leads; nothing (with
    // a line saying why) when it is left out.
    std::optional<std::pair<std::string, struct stat>> resolveEntry(std::string path) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            out_ << "cdimage: skipping " << path << ": " << systemReason(errno) << "\n";
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode)) {
            return std::make_pair(std::move(path), st);
        }
        // Only what lies inside the tree goes into the image: a link is
        // imaged as what it names when that is inside, and read there, so
        // that nothing on the way is a link.
        LinkTarget target = followLink(path, root_);
        using Leads = LinkTarget::Leads;
        if (target.leads == Leads::Inside) {
            return std::make_pair(std::move(target.real), target.st);
        }
        out_ << "cdimage: skipping " << path << ": "
             << (target.leads == Leads::Unreadable ? systemReason(target.error)
                 : target.leads == Leads::Nowhere  ? "the link leads nowhere"
                                                   : "the link leads out of the tree")
             << "\n";
        return std::nullopt;
    }

    Outcome addEntry(const std::string& path, const std::string& name, size_t folderIndex) {
        if (!fitsIso9660(name, longNames_)) {
            // A lookup by the full name (as Windows setup makes) will not
            // find such an entry in the image.
            out_ << "cdimage: " << path << ": the name is longer than "
                 << (longNames_ ? "37 characters" : "8.3") << " and is shortened in the image\n";
        }
        auto resolved = resolveEntry(path);
        if (!resolved) {
            return Outcome();
        }
        const auto& [source, st] = *resolved;
        if (S_ISDIR(st.st_mode)) {
            tree.folders.push_back({name, folderIndex, source});
            return walk(source, tree.folders.size() - 1);
        }
        if (S_ISREG(st.st_mode)) {
            if (!excluded_.count(idOf(st))) {
                tree.files.push_back({name, folderIndex, source, tree.files.size()});
                sizes.push_back(static_cast<std::uint64_t>(st.st_size));
            }
            return Outcome();
        }
        out_ << "cdimage: skipping " << source << ": not a file or folder\n";
        return Outcome();
    }

    std::string root_;
    bool includeHidden_;
    bool longNames_;
    std::set<FileId> excluded_;
    std::set<FileId> ancestors_;
    std::ostream& out_;
};

// A failure as cdimage words it: "cannot WHAT PATH: REASON", or the
// reason alone for a failure that names no operation.
int fail(std::ostream& err, const Failure& failure) {
    err << "cdimage: "
        << (failure.what.empty() ? failure.reason : "cannot " + failure.what + " " + failure.line())
        << "\n";
    return 1;
}

Failure refused(std::string reason) {
    return Failure{{}, {}, std::move(reason)};
}

mode_t currentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// What the checks before anything is written settle: the tree's real
// path, the image's absolute path, and the files that are never imaged (an
// earlier image of the same name inside the tree).
struct ImagePlan {
    std::string tree;
    std::string image;
    ImageOptions options;
    std::set<FileId> excluded;
};

// The tree and the boot file exist; the tree's real path and the options.
Outcome checkSources(const CdimageArguments& parsed, const HostEnvironment& environment,
                     ImagePlan& plan) {
    if (!existsAsFolder(parsed.tree)) {
        return refused("source folder " + parsed.tree + " does not exist");
    }
    std::optional<std::string> resolved = realPath(parsed.tree);
    if (!resolved) {
        return Failure{"read folder", parsed.tree, systemReason(errno)};
    }
    plan.tree = *resolved;
    plan.options.label = parsed.label;
    plan.options.longNames = parsed.longNames;
    // SOURCE_DATE_EPOCH dates the whole image, so that the same tree makes
    // the same image.
    if (std::optional<std::string> epoch = environment.nonEmpty("SOURCE_DATE_EPOCH")) {
        plan.options.epoch = parseSourceDateEpoch(*epoch);
        if (!plan.options.epoch) {
            return refused("SOURCE_DATE_EPOCH=" + *epoch +
                           " is not a whole number of seconds from 0 to " +
                           std::to_string(kLastSourceDateEpoch));
        }
    }
    if (parsed.bootFile) {
        if (!existsAsFile(*parsed.bootFile)) {
            return refused("boot file " + *parsed.bootFile + " does not exist");
        }
        plan.options.bootFile = makeAbsolute(*parsed.bootFile);
    }
    return Outcome();
}

// The image's folder exists, and what stands at the image's name may be
// replaced: not a folder, not read-only, and inside the tree only an
// earlier image, which is then left out of the new one.
Outcome checkImageName(const CdimageArguments& parsed, ImagePlan& plan) {
    plan.image = makeAbsolute(parsed.image);
    std::string folder = folderPart(plan.image);
    if (!existsAsFolder(folder)) {
        return refused("folder of the image " + parsed.image + " does not exist");
    }
    // What a killed run left for this image goes first.
    removeStalePendingFiles(plan.image);
    struct stat st {};
    if (::lstat(plan.image.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) {
        return Outcome();
    }
    auto cannotWrite = [&](std::string reason) {
        return Failure{"write", parsed.image, std::move(reason)};
    };
    if (S_ISDIR(st.st_mode)) {
        return cannotWrite("it is a folder");
    }
    if (isReadOnly(plan.image)) {
        return cannotWrite("it is read-only");
    }
    std::string realFolder = realPath(folder).value_or(std::string());
    if (!realFolder.empty() && isSameOrInside(realFolder, plan.tree) &&
        !hasIso9660Signature(plan.image)) {
        return cannotWrite("it is a file of the tree, not an earlier image");
    }
    plan.excluded.insert(idOf(st));
    return Outcome();
}

// An ISO image in the tree's top folder, whatever its name, is an earlier
// image and never content of the new one: an image made into the same
// work folder under another name would otherwise hold the old one. Each
// one left out is named on out; the one at the image's own name, which
// the new image replaces, is left out without a word.
void leaveOutEarlierImages(const CdimageArguments& parsed, ImagePlan& plan, std::ostream& out) {
    std::optional<std::vector<std::string>> names = folderEntries(plan.tree);
    if (!names) {
        // The walk says why the folder cannot be read.
        return;
    }
    std::sort(names->begin(), names->end());
    for (const std::string& name : *names) {
        if (isPendingFileName(name) || (name[0] == '.' && !parsed.includeHidden)) {
            continue;
        }
        std::string path = joinPath(plan.tree, name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            // Imaged as what it names inside the tree, so judged by that.
            LinkTarget target = followLink(path, plan.tree);
            if (target.leads != LinkTarget::Leads::Inside) {
                continue;
            }
            path = target.real;
            st = target.st;
        }
        if (!S_ISREG(st.st_mode) || plan.excluded.count(idOf(st)) != 0 ||
            !hasIso9660Signature(path)) {
            continue;
        }
        plan.excluded.insert(idOf(st));
        out << "cdimage: leaving out " << joinPath(parsed.tree, name) << ": an earlier ISO image\n";
    }
}

// Marks the files whose content equals an earlier file's, so that the
// image stores that content once.
Outcome markTwins(ImageTree& tree, const std::vector<std::uint64_t>& sizes) {
    std::vector<std::string> paths;
    for (const ImageTree::File& file : tree.files) {
        paths.push_back(file.source);
    }
    try {
        std::vector<size_t> twins = findContentTwins(paths, sizes);
        for (size_t i = 0; i < twins.size(); ++i) {
            tree.files[i].twinOf = twins[i];
        }
    } catch (const FileError& error) {
        return Failure{"read", error.path(), error.reason()};
    }
    return Outcome();
}

// Walks the tree and writes the image into a pending file beside its
// name, which takes the name only once the image is whole.
int writeImage(const CdimageArguments& parsed, ImagePlan& plan, std::ostream& out,
               std::ostream& err) {
    try {
        PendingFile pending(plan.image);
        struct stat st {};
        if (fstat(pending.fd(), &st) != 0) {
            throwFileError("write", plan.image, errno);
        }
        plan.excluded.insert(idOf(st));

        TreeWalk walk(plan.tree, parsed.includeHidden, parsed.longNames, plan.excluded, out);
        if (Outcome walked = walk.walk(plan.tree, 0); !walked) {
            return fail(err, walked.failure());
        }
        if (parsed.storeTwinsOnce) {
            if (Outcome marked = markTwins(walk.tree, walk.sizes); !marked) {
                return fail(err, marked.failure());
            }
        }
        if (Outcome written = writeIsoImage(walk.tree, plan.options, pending.fd()); !written) {
            return fail(err, Failure{"write", parsed.image, written.failure().reason});
        }
        pending.setMode(0666 & ~currentUmask());
        pending.sync();
        pending.commit();
        out << "cdimage: wrote " << parsed.image << " (" << walk.tree.files.size() << " files, "
            << walk.tree.folders.size() - 1 << " folders)\n";
    } catch (const FileError& error) {
        return fail(err, Failure{"write", parsed.image, error.reason()});
    }
    return 0;
}

} // namespace

int runCdimage(const std::vector<std::string>& args, const HostEnvironment& environment,
               std::ostream& out, std::ostream& err) {
    ToolParse<CdimageArguments> parsed = parseCdimageArguments(args);
    if (!parsed) {
        return fail(err, refused(parsed.failure().message));
    }
    ImagePlan plan;
    if (Outcome sources = checkSources(*parsed, environment, plan); !sources) {
        return fail(err, sources.failure());
    }
    if (Outcome image = checkImageName(*parsed, plan); !image) {
        return fail(err, image.failure());
    }
    leaveOutEarlierImages(*parsed, plan, out);
    return writeImage(*parsed, plan, out, err);
}

} // namespace ornibe
