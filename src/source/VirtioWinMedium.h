#pragma once

#include "sys/Failure.h"
#include "sys/Result.h"
#include "sys/StopCheck.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

class Medium;

// A virtio-win medium: an ISO image file read in place (never mounted and
// never extracted whole), or a folder that holds the image's files.
// Folders are named from the medium's root with "/" between names and
// found whatever their letter case.
class VirtioWinMedium {
public:
    explicit VirtioWinMedium(const std::string& source, const StopCheck& stop = {});
    ~VirtioWinMedium();
    VirtioWinMedium(const VirtioWinMedium&) = delete;
    VirtioWinMedium& operator=(const VirtioWinMedium&) = delete;

    // Why the medium cannot be read (no folder, no ISO 9660 image); nothing
    // when it can.
    const std::optional<Failure>& problem() const { return problem_; }

    // The folder at relative as the medium spells it, "\" between its
    // names ("viostor\xp\x86"); nothing when there is none.
    std::optional<std::string> findFolder(std::string_view relative) const;
    // The names of the folders in the folder at relative (as found by
    // findFolder), in the medium's order; empty when there is none.
    std::vector<std::string> folders(std::string_view relative) const;
    // The names of the files in that folder.
    std::vector<std::string> files(std::string_view relative) const;

    // The version the medium states: the first line of a version file in
    // its root (virtio-win-version.txt, VERSION), else the image's volume
    // label; empty when it states none.
    std::string version() const;

    // A folder of the host that holds the files of the folder at relative:
    // the folder itself on a folder medium; on an image, a copy of that
    // folder's files alone, made once for this run of the program and
    // removed when the program ends, made in tempFolder.
    Result<std::string> hostFolder(std::string_view relative, const std::string& tempFolder) const;

private:
    enum class Kind { Folder, File };
    // The names of the entries of one kind in the folder at relative.
    std::vector<std::string> entries(std::string_view relative, Kind kind) const;

    std::unique_ptr<Medium> medium_;
    std::optional<Failure> problem_;
};

} // namespace ornibe
