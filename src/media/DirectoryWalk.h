#pragma once

#include "media/ImageDevice.h"
#include "sys/StopCheck.h"

#include <cstdint>
#include <string>

namespace ornibe {

// What a walk over the folder trees of an image found.
struct DirectoryWalk {
    // The first fault that keeps the trees from being read as they are
    // recorded, with the entry it lies on ("I386/SYSTEM32"; empty for the
    // root folder); no problem when there is none.
    std::string entry;
    std::string problem;
    // The walk ended early because the user asked to stop.
    bool stopped = false;
    // Folder sectors and entries walked, over every tree: about what a
    // reader that follows the same records has to read.
    std::uint64_t folderSectors = 0;
    std::uint64_t entries = 0;

    bool ok() const { return problem.empty() && !stopped; }
};

// Walks every folder of the ISO 9660 tree and of the Joliet tree of the
// last session as libisofs follows them, before any library does, because
// libisofs follows whatever the records say: it takes the root folder's
// place and each folder's size from the folder's own "." record, follows a
// folder record back to a folder above it without end, and leaves a folder
// out when one of its entries is recorded interleaved. So each folder's
// first record must be a "." record naming the folder itself with the size
// its parent records for it; no folder may be reached twice; no entry may
// be interleaved; every folder lies inside the medium. Trees larger or
// deeper than any CD holds are refused, not walked. stop is looked at
// before every folder.
DirectoryWalk walkDirectories(const ImageDevice& device, const StopCheck& stop = {});

} // namespace ornibe
