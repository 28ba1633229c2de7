#pragma once

#include "sys/Failure.h"
#include "sys/Result.h"
#include "sys/StopCheck.h"
#include "sys/TreeWriter.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// A CD or driver medium: a folder of its files, or an image (an image file
// or a disc read through its device) read in place, never mounted. Entries
// are named from the medium's root, "/" or "\" between names, and found
// whatever their letter case (an exact name preferred). An image's tree is
// read once, when it is first asked about, and every question after that
// is answered from what was read.
class Medium {
public:
    // The medium at path: an image when path is a regular file or a block
    // device, else a folder (which need not exist; its questions then find
    // nothing). The image is read as long as stop does not say otherwise.
    static std::unique_ptr<Medium> open(const std::string& path, const StopCheck& stop = {});

    virtual ~Medium() = default;
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;

    const std::string& path() const { return path_; }
    virtual bool isImage() const = 0;

    // Why the medium cannot be read at all: no folder there, or no ISO
    // 9660 image whose tree can be read (the image's reason; after a stop,
    // that the reading was stopped).
    virtual Outcome readable() const = 0;
    // Whether stop ended the reading of the image.
    virtual bool stopped() const = 0;

    // The names in the folder at relative ("" for the root), in the
    // medium's order; nothing when there is no such folder.
    virtual std::optional<std::vector<std::string>>
    folderNames(std::string_view relative) const = 0;
    // Whether there is a folder, or a file, at relative.
    virtual bool hasFolder(std::string_view relative) const = 0;
    virtual bool hasFile(std::string_view relative) const = 0;
    // The size of the file at relative; nothing when there is none.
    virtual std::optional<std::uint64_t> fileSize(std::string_view relative) const = 0;
    // The bytes of the file at relative, or why not (no such file, larger
    // than maxBytes, unreadable): the failure names the file.
    virtual Result<std::string> readFile(std::string_view relative,
                                         std::uint64_t maxBytes = 64u << 20) const = 0;
    // Where the entry at relative lies on the host, as the folder spells
    // it; nothing on an image, or when a folder has no such entry.
    virtual std::optional<std::string> hostPath(std::string_view relative) const = 0;

    // The volume label an image's descriptor holds; empty for a folder
    // and for a file that holds no ISO 9660 volume.
    virtual std::string label() const = 0;
    // The bytes of all files together, as copyTo counts them; nothing when
    // the medium cannot be read.
    virtual std::optional<std::uint64_t> treeBytes() const = 0;
    // Whether copyTo can copy the whole tree: the failure names the entry
    // at fault, or nothing when the medium as a whole is.
    virtual Outcome copyable() const = 0;
    // Copies the tree into the folder to (see copyTree and
    // IsoImageReader::copyTo). The entries left out (links, device files)
    // are in the result's leftOut.
    virtual CopyResult copyTo(const std::string& to, const CopyProgressCallback& progress = {},
                              const std::atomic<bool>* cancel = nullptr) const = 0;

protected:
    explicit Medium(std::string path) : path_(std::move(path)) {}

private:
    std::string path_;
};

} // namespace ornibe
