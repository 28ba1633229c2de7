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

class IsoImport;
struct ImageNode;

// An ISO 9660 image read in place from an image file or a block device,
// never mounted. The tree is the one Windows shows for the disc: the Joliet
// tree when the image has one, else the ISO 9660 names without their ";1"
// version and without a trailing dot. Rock Ridge symbolic links and device
// files are not reproduced: they are left out and named in leftOut(), so
// that nothing outside the image is read and nothing outside the work
// folder is written. Files of several extents and files over 4 GB are read
// whole; on an optical drive the last session is read.
class IsoImageReader {
public:
    // Opens the image and reads its directory tree. When the file is no
    // ISO 9660 image or its tree cannot be read whole (a folder that
    // contains itself, records that libisofs would follow differently from
    // what they say, an entry libisofs cannot import), ok() is false and
    // error() says why. The reading is bounded by what the folders hold,
    // and stop is looked at throughout; once it says yes, the reading ends
    // and stopped() is true.
    explicit IsoImageReader(const std::string& path, const StopCheck& stop = {});
    ~IsoImageReader();
    IsoImageReader(const IsoImageReader&) = delete;
    IsoImageReader& operator=(const IsoImageReader&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }
    bool stopped() const { return stopped_; }

    // Whether copyTo() can copy the whole tree: the failure names the
    // entry at fault (the image's path joined with the entry; no path when
    // the image as a whole is at fault) and why.
    Outcome copyable() const;

    // The volume identifier, as readIso9660Label reads it.
    const std::string& label() const { return label_; }

    // Entries of the image that are not copied (links and device files),
    // each as "path -> target" or "path", in tree order.
    const std::vector<std::string>& leftOut() const { return leftOut_; }

    // The bytes of the file at relative ("I386/TXTSETUP.SIF"; "/" or "\"
    // between names, letter case ignored), or why not: the image cannot be
    // read (the failure names the image), or there is no such file, it
    // cannot be read whole or it is larger than maxBytes (the failure
    // names the file, the image's path joined with relative).
    Result<std::string> readFile(std::string_view relative,
                                 std::uint64_t maxBytes = 64u << 20) const;
    // The size of the file at relative, found as readFile finds it;
    // nothing when there is no such file.
    std::optional<std::uint64_t> fileSize(std::string_view relative) const;

    // Whether there is a file (not a folder) at relative, named as for
    // readFile.
    bool hasFile(std::string_view relative) const;
    // The names in the folder at relative ("" for the root), in tree order;
    // nothing when there is no such folder.
    std::optional<std::vector<std::string>> folderNames(std::string_view relative) const;
    // The bytes of all files of the tree together: what copyTo writes.
    std::uint64_t treeBytes() const;

    // Copies the image's tree into the folder to through the TreeWriter
    // that copyTree uses for a folder, so that both meet the work folder
    // alike: missing folders are created, existing files are replaced,
    // an existing name that differs only in letter case is used, progress,
    // cancel, failures and folders that refuse their bits or times
    // (foldersUnset) work the same way. Files arrive as rw-r--r--, folders
    // as rwxr-xr-x, with the modification times of the image. A
    // tree that cannot be copied whole (a file beyond the end of the
    // image, names that clash when letter case is ignored) fails before
    // anything is written; a file that cannot be copied is removed again
    // and named in the result: the image's entry when reading it failed,
    // the work folder's file when writing there failed. After a stopped
    // reading the copy is cancelled at once.
    CopyResult copyTo(const std::string& to, const CopyProgressCallback& progress = {},
                      const std::atomic<bool>* cancel = nullptr) const;

private:
    // The entry at relative, as readFile finds it; null when there is none.
    const ImageNode* findNode(std::string_view relative) const;
    bool imported(const IsoImport& import);

    std::string path_;
    std::string error_;
    // The entry that error_ is about; empty when it is the image's.
    std::string errorEntry_;
    bool stopped_ = false;
    std::string label_;
    std::vector<std::string> leftOut_;
    std::unique_ptr<ImageNode> root_;
    std::uint64_t imageBytes_ = 0;
    // The first entry that keeps the tree from being copied, with why.
    std::string treeProblemPath_;
    std::string treeProblem_;
};

} // namespace ornibe
