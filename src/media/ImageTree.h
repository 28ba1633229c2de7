#pragma once

#include "media/IsoImport.h"
#include "sys/TreeWriter.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// One entry of the tree that Windows shows for an image.
struct ImageNode {
    std::string name;
    bool folder = false;
    std::uint64_t size = 0;
    time_t mtime = 0;
    // Where a file's bytes lie in the image, in file order.
    std::vector<Extent> extents;
    std::vector<ImageNode> children;
    std::uint64_t filesBelow = 0;
    std::uint64_t bytesBelow = 0;
};

// The tree of an image as Windows shows it, and what keeps it from being
// copied.
struct ImageTree {
    ImageNode root;
    // Entries that are not copied (links and device files), each as
    // "path -> target" or "path", in tree order.
    std::vector<std::string> leftOut;
    // The first entry that keeps the tree from being copied whole (a file
    // beyond the end of the image, names that clash when letter case is
    // ignored), with why; no problem when there is none.
    std::string problemPath;
    std::string problem;
};

// The tree of the Windows view (the Joliet names, else the ISO 9660 names
// without ";1" and without a trailing dot), sorted by name. The Rock Ridge
// import (null when the image has no Rock Ridge) tells the links and device
// files apart, which the Windows view shows as empty files. imageBytes is
// the image's size, which no file may run past.
ImageTree readImageTree(const IsoImport& windows, const IsoImport* rockRidge,
                        std::uint64_t imageBytes);

// The entry at relative below root ("I386/TXTSETUP.SIF"; "/" or "\"
// between names, letter case ignored, an exact name preferred); null when
// there is none.
const ImageNode* findImageNode(const ImageNode& root, std::string_view relative);

} // namespace ornibe
