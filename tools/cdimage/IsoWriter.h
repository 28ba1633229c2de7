#pragma once

#include "sys/Failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// What goes into the image: folders listed before their subfolders (index
// 0 is the root), files each with the folder it stands in.
struct ImageTree {
    struct Folder {
        std::string name;
        size_t parent = 0;
        std::string source;
    };
    struct File {
        std::string name;
        size_t folder = 0;
        std::string source;
        // Index of the first file with the same content; the file's own
        // index when its content is written for it alone.
        size_t twinOf = 0;
    };
    std::vector<Folder> folders{Folder{}};
    std::vector<File> files;
};

struct ImageOptions {
    std::string label;
    bool longNames = true;
    std::optional<std::string> bootFile;
    // Seconds since 1970 UTC that every date of the image is (the volume's
    // and every directory record's), recorded as UTC; unset: the time of
    // writing, in local time.
    std::optional<std::int64_t> epoch;
};

// Writes the ISO 9660 image of tree to the open regular file fd, from its
// start. Names go in upper case, without version suffix or forced dot, 37
// characters at most with longNames (8.3 otherwise); no Rock Ridge, no
// Joliet. Twins share one copy of their content. With a boot file, an El
// Torito no-emulation entry loads 4 sectors at segment 0x07C0; neither the
// boot file nor the catalog shows in the tree. On failure the reason says
// why; the failure names no path, as the caller names the image.
Outcome writeIsoImage(const ImageTree& tree, const ImageOptions& options, int fd);

} // namespace ornibe
