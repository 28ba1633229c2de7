#include "source/VirtioWinMedium.h"

#include "source/Medium.h"
#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/ScratchFolders.h"
#include "sys/Translation.h"
#include "sys/WindowsPath.h"

#include <cerrno>
#include <map>

namespace ornibe {
namespace {

// The names of relative, split at "/" or "\"; empty names dropped.
std::vector<std::string> namesOf(std::string_view relative) {
    std::vector<std::string> names;
    for (std::string_view name : splitWindowsPath(relative)) {
        names.emplace_back(name);
    }
    return names;
}

std::string joined(const std::vector<std::string>& names, char separator) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : std::string(1, separator)) + name;
    }
    return text;
}

// The folders copied out of images in this run, removed when the program
// ends.
class CopiedFolders {
public:
    explicit CopiedFolders(std::string tempFolder)
        : scratch_("ornibe-virtio", std::move(tempFolder)) {}

    Result<std::string> copy(const Medium& image, const std::string& relative,
                             const std::vector<std::string>& files) {
        const std::string key = image.path() + '\n' + relative;
        if (auto found = copied_.find(key); found != copied_.end()) {
            return found->second;
        }
        Result<std::string> folder = scratch_.make();
        if (!folder) {
            return folder;
        }
        for (const std::string& name : files) {
            Result<std::string> bytes = image.readFile(relative + "/" + name);
            if (!bytes) {
                return bytes.failure();
            }
            try {
                writeFileAtomic(joinPath(*folder, name), *bytes);
            } catch (const FileError& error) {
                return Failure::fromFileError(error);
            }
        }
        copied_[key] = *folder;
        return folder;
    }

private:
    ScratchFolders scratch_;
    std::map<std::string, std::string> copied_;
};

// Made in the scratch folder of the first call; every call gives the
// program's own.
CopiedFolders& copiedFolders(const std::string& tempFolder) {
    static CopiedFolders folders(tempFolder);
    return folders;
}

} // namespace

VirtioWinMedium::VirtioWinMedium(const std::string& source, const StopCheck& stop)
    : medium_(Medium::open(source, stop)) {
    if (!medium_->isImage()) {
        if (!medium_->readable()) {
            problem_ = Failure::refusal(
                translated("%1 は virtio-win の ISO イメージでもフォルダでもありません。",
                           {source}),
                source, systemReason(ENOENT));
        }
        return;
    }
    if (Outcome readable = medium_->readable(); !readable) {
        problem_ = Failure::refusal(
            translated("%1 は virtio-win の ISO イメージとして読めません。", {source}), source,
            readable.failure().reason);
    }
}

VirtioWinMedium::~VirtioWinMedium() = default;

std::optional<std::string> VirtioWinMedium::findFolder(std::string_view relative) const {
    if (problem_) {
        return std::nullopt;
    }
    std::vector<std::string> spelled;
    for (const std::string& name : namesOf(relative)) {
        bool found = false;
        for (const std::string& entry : folders(joined(spelled, '/'))) {
            if (equalsHostNoCase(entry, name)) {
                spelled.push_back(entry);
                found = true;
                break;
            }
        }
        if (!found) {
            return std::nullopt;
        }
    }
    return joined(spelled, '\\');
}

std::vector<std::string> VirtioWinMedium::entries(std::string_view relative, Kind kind) const {
    std::vector<std::string> names;
    if (problem_) {
        return names;
    }
    const std::string base = joined(namesOf(relative), '/');
    for (const std::string& name :
         medium_->folderNames(base).value_or(std::vector<std::string>{})) {
        const std::string path = base.empty() ? name : base + "/" + name;
        if (kind == Kind::Folder ? medium_->hasFolder(path) : medium_->hasFile(path)) {
            names.push_back(name);
        }
    }
    return names;
}

std::vector<std::string> VirtioWinMedium::folders(std::string_view relative) const {
    return entries(relative, Kind::Folder);
}

std::vector<std::string> VirtioWinMedium::files(std::string_view relative) const {
    return entries(relative, Kind::File);
}

std::string VirtioWinMedium::version() const {
    if (problem_) {
        return {};
    }
    for (const char* name : {"virtio-win-version.txt", "VERSION"}) {
        Result<std::string> bytes = medium_->readFile(name, 4096);
        if (!bytes) {
            continue;
        }
        std::string line = bytes->substr(0, bytes->find_first_of("\r\n"));
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
            line.pop_back();
        }
        if (!line.empty() && line.size() <= 80) {
            return line;
        }
    }
    return medium_->label();
}

Result<std::string> VirtioWinMedium::hostFolder(std::string_view relative,
                                                const std::string& tempFolder) const {
    if (problem_) {
        return *problem_;
    }
    const std::string base = joined(namesOf(relative), '/');
    if (!medium_->isImage()) {
        std::optional<std::string> path = medium_->hostPath(base);
        if (path && medium_->hasFolder(base)) {
            return *path;
        }
        return Failure{"open", joinPath(medium_->path(), relative), systemReason(ENOENT)};
    }
    return copiedFolders(tempFolder).copy(*medium_, base, files(base));
}

} // namespace ornibe
