#include "source/Medium.h"

#include "media/IsoImageReader.h"
#include "media/VolumeDescriptor.h"
#include "sys/CaseLookup.h"
#include "sys/CopyTree.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

#include <sys/stat.h>

#include <cerrno>
#include <mutex>

namespace ornibe {
namespace {

// Whether path names an image to read in place: a regular file, or a
// block device such as /dev/sr0. Anything else is taken for a folder.
bool isImageSource(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode));
}

// A folder that holds a medium's files: a mounted disc, a copy of a CD, a
// work folder.
class FolderMedium final : public Medium {
public:
    explicit FolderMedium(const std::string& path) : Medium(path) {}

    bool isImage() const override { return false; }

    Outcome readable() const override {
        if (existsAsFolder(path())) {
            return {};
        }
        return Failure{"open", path(), systemReason(ENOENT)};
    }

    bool stopped() const override { return false; }

    std::optional<std::vector<std::string>> folderNames(std::string_view relative) const override {
        if (relative.empty()) {
            return folderEntries(path());
        }
        std::optional<std::string> found = findNoCase(path(), relative);
        if (!found || !existsAsFolder(*found)) {
            return std::nullopt;
        }
        return folderEntries(*found);
    }

    bool hasFolder(std::string_view relative) const override {
        std::optional<std::string> found = findNoCase(path(), relative);
        return found && existsAsFolder(*found);
    }

    bool hasFile(std::string_view relative) const override { return bool(file(relative)); }

    std::optional<std::uint64_t> fileSize(std::string_view relative) const override {
        std::optional<std::string> found = file(relative);
        struct stat st {};
        if (!found || ::stat(found->c_str(), &st) != 0) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(st.st_size);
    }

    Result<std::string> readFile(std::string_view relative, std::uint64_t maxBytes) const override {
        std::optional<std::string> found = file(relative);
        if (!found) {
            return Failure{"read", joinPath(path(), relative), systemReason(ENOENT)};
        }
        try {
            std::uint64_t size = 0;
            if (std::optional<std::string> bytes = readFileAtMost(*found, maxBytes, &size)) {
                return std::move(*bytes);
            }
            return Failure{
                "read", *found,
                translated("ファイルが大きすぎます (%1 バイト)", {std::to_string(size)})};
        } catch (const FileError& error) {
            return Failure::fromFileError(error);
        }
    }

    std::optional<std::string> hostPath(std::string_view relative) const override {
        return findNoCase(path(), relative);
    }

    std::string label() const override { return {}; }

    std::optional<std::uint64_t> treeBytes() const override { return ornibe::treeBytes(path()); }

    Outcome copyable() const override { return {}; }

    CopyResult copyTo(const std::string& to, const CopyProgressCallback& progress,
                      const std::atomic<bool>* cancel) const override {
        return copyTree(path(), to, progress, cancel);
    }

private:
    // The file at relative as the folder spells it; nothing when there is
    // no file there.
    std::optional<std::string> file(std::string_view relative) const {
        std::optional<std::string> found = findNoCase(path(), relative);
        return found && existsAsFile(*found) ? found : std::nullopt;
    }
};

// An image file or a disc read through its device. Its tree is read when
// the first question needs it.
class ImageMedium final : public Medium {
public:
    ImageMedium(const std::string& path, const StopCheck& stop) : Medium(path), stop_(stop) {}

    bool isImage() const override { return true; }

    Outcome readable() const override {
        const IsoImageReader& image = reader();
        if (image.ok()) {
            return {};
        }
        return Failure{"read", path(), image.error()};
    }

    bool stopped() const override { return reader().stopped(); }

    std::optional<std::vector<std::string>> folderNames(std::string_view relative) const override {
        return reader().folderNames(relative);
    }

    bool hasFolder(std::string_view relative) const override {
        return bool(reader().folderNames(relative));
    }

    bool hasFile(std::string_view relative) const override { return reader().hasFile(relative); }

    std::optional<std::uint64_t> fileSize(std::string_view relative) const override {
        return reader().fileSize(relative);
    }

    Result<std::string> readFile(std::string_view relative, std::uint64_t maxBytes) const override {
        return reader().readFile(relative, maxBytes);
    }

    std::optional<std::string> hostPath(std::string_view) const override { return std::nullopt; }

    std::string label() const override { return readIso9660Label(path()).value_or(""); }

    std::optional<std::uint64_t> treeBytes() const override {
        const IsoImageReader& image = reader();
        return image.ok() ? std::optional<std::uint64_t>(image.treeBytes()) : std::nullopt;
    }

    Outcome copyable() const override { return reader().copyable(); }

    CopyResult copyTo(const std::string& to, const CopyProgressCallback& progress,
                      const std::atomic<bool>* cancel) const override {
        const IsoImageReader& image = reader();
        CopyResult result = image.copyTo(to, progress, cancel);
        result.leftOut = image.leftOut();
        return result;
    }

private:
    const IsoImageReader& reader() const {
        std::call_once(read_,
                       [this] { reader_ = std::make_unique<IsoImageReader>(path(), stop_); });
        return *reader_;
    }

    StopCheck stop_;
    mutable std::once_flag read_;
    mutable std::unique_ptr<IsoImageReader> reader_;
};

} // namespace

std::unique_ptr<Medium> Medium::open(const std::string& path, const StopCheck& stop) {
    if (isImageSource(path)) {
        return std::make_unique<ImageMedium>(path, stop);
    }
    return std::make_unique<FolderMedium>(path);
}

} // namespace ornibe
