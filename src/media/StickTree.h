#pragma once

#include "media/FatNames.h"
#include "media/StickImage.h"
#include "sys/Failure.h"
#include "sys/StopCheck.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// The stick image's file system as it is planned: one folder or file, its
// FAT names, where its bytes come from and, once laid out, its clusters.
struct StickNode {
    std::string name;
    FatName fatName;
    bool folder = false;
    std::string hostFile;
    std::string bytes;
    bool given = false;
    std::uint64_t size = 0;
    std::int64_t time = 0;
    std::vector<StickNode> children;
    std::uint32_t firstCluster = 0;
    std::uint64_t clusters = 0;
};

// Reads a host folder into node, without following links; pending files
// are left out.
std::optional<Failure> readStickFolder(const std::string& path, StickNode& node,
                                       const StopCheck& stop);

// Puts an added file into the tree read, in place of a file of the same
// name (any letter case), making its folders as needed.
std::optional<Failure> placeStickFile(StickNode& root, const StickFile& file, std::int64_t now);

// Sorts each folder's entries by name and gives them their FAT names; two
// names that FAT takes for one, a name FAT cannot hold and a file of 4 GiB
// or more are refused.
std::optional<Failure> nameStickEntries(StickNode& folder, const std::string& path);

} // namespace ornibe
