#include "source/VirtioWinMedium.h"

#include "media/IsoImageReader.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/ScratchFolders.h"

#include <cerrno>
#include <map>

namespace ornibe {
namespace {

// The names of relative, split at "/" or "\"; empty names dropped.
std::vector<std::string> namesOf(std::string_view relative) {
    std::vector<std::string> names;
    std::string name;
    for (char c : relative) {
        if (c == '/' || c == '\\') {
            if (!name.empty()) {
                names.push_back(name);
            }
            name.clear();
        } else {
            name += c;
        }
    }
    if (!name.empty()) {
        names.push_back(name);
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

    Result<std::string> copy(const IsoImageReader& image, const std::string& relative,
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
    : source_(source) {
    if (existsAsFolder(source)) {
        return;
    }
    if (!isImageSource(source)) {
        problem_ =
            Failure::refusal(source + " は virtio-win の ISO イメージでもフォルダでもありません。",
                             source, systemReason(ENOENT));
        return;
    }
    image_ = std::make_unique<IsoImageReader>(source, stop);
    if (!image_->ok()) {
        problem_ = Failure::refusal(source + " は virtio-win の ISO イメージとして読めません。",
                                    source, image_->error());
    }
}

VirtioWinMedium::~VirtioWinMedium() = default;

std::optional<std::string> VirtioWinMedium::hostPath(std::string_view relative) const {
    std::string path = source_;
    for (const std::string& name : namesOf(relative)) {
        std::optional<std::string> entry = entryNameNoCase(path, name);
        if (!entry || !existsAsFolder(joinPath(path, *entry))) {
            return std::nullopt;
        }
        path = joinPath(path, *entry);
    }
    return path;
}

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
    if (image_) {
        const std::string base = joined(namesOf(relative), '/');
        for (const std::string& name :
             image_->folderNames(base).value_or(std::vector<std::string>{})) {
            const std::string path = base.empty() ? name : base + "/" + name;
            if (kind == Kind::Folder ? bool(image_->folderNames(path)) : image_->hasFile(path)) {
                names.push_back(name);
            }
        }
        return names;
    }
    if (std::optional<std::string> path = hostPath(relative)) {
        for (const std::string& name : folderEntries(*path).value_or(std::vector<std::string>{})) {
            const std::string entry = joinPath(*path, name);
            if (kind == Kind::Folder ? existsAsFolder(entry) : existsAsFile(entry)) {
                names.push_back(name);
            }
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
        std::optional<std::string> bytes;
        if (image_) {
            if (Result<std::string> read = image_->readFile(name, 4096); read) {
                bytes = *read;
            }
        } else if (std::optional<std::string> file = findFileNoCase(source_, name)) {
            try {
                bytes = readFileAtMost(*file, 4096);
            } catch (const FileError&) {
            }
        }
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
    return image_ ? image_->label() : std::string();
}

Result<std::string> VirtioWinMedium::hostFolder(std::string_view relative,
                                                const std::string& tempFolder) const {
    if (problem_) {
        return *problem_;
    }
    if (!image_) {
        if (std::optional<std::string> path = hostPath(relative)) {
            return *path;
        }
        return Failure{"open", joinPath(source_, relative), systemReason(ENOENT)};
    }
    const std::string base = joined(namesOf(relative), '/');
    return copiedFolders(tempFolder).copy(*image_, base, files(base));
}

} // namespace ornibe
