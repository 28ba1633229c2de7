#pragma once

#include "sys/Failure.h"
#include "sys/StopCheck.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace ornibe {

// How much of a floppy image the program reads at most. A real driver
// floppy (1.44 or 2.88 MB, a few dozen files in two or three levels of
// folders) is far below each.
struct FloppyReadLimits {
    // The image file's size, and the sum of the sizes of its files.
    std::uint64_t bytes = 64ull * 1024 * 1024;
    // Folder entries (files and folders) in the whole image.
    std::size_t entries = 8192;
    // Folders below the root.
    unsigned depth = 16;
    // The whole reading, the check and the copy of the files together.
    std::chrono::milliseconds time = std::chrono::seconds(60);
};

// Walks the FAT12 or FAT16 file system of the image as the copy of its
// files would, before anything is copied: every folder and every cluster
// chain, within the limits and asking stop between entries. Refused, with
// the entry's path in the image, when a folder entry leads back to a folder
// on its own path (a folder loop), a cluster chain runs into itself or into
// another file's chain (cross-linked), a file claims more bytes than its
// chain holds, a cluster lies outside the image, or a limit is passed; the
// reason is "中止しました" when stop asked for it.
Outcome checkFloppyImage(const std::string& image, const StopCheck& stop = {},
                         const FloppyReadLimits& limits = {});

} // namespace ornibe
