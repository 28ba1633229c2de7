#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ornibe::test {

// How a test image is made with xorriso from a tree of files.
struct IsoRecipe {
    std::string label = "TEST_CD";
    bool joliet = true;
    // A no-emulation boot image taken from this file, loaded as
    // bootLoadSize 512-byte sectors and kept out of the image's tree, as
    // on a Windows CD; empty for an image that does not boot.
    std::string bootFile;
    int bootLoadSize = 4;
    // Further arguments for xorriso's mkisofs emulation.
    std::vector<std::string> extra;
};

inline IsoRecipe booting(const std::string& bootFile) {
    IsoRecipe recipe;
    recipe.bootFile = bootFile;
    return recipe;
}
inline IsoRecipe labelled(const std::string& label) {
    IsoRecipe recipe;
    recipe.label = label;
    return recipe;
}
inline IsoRecipe withoutJoliet() {
    IsoRecipe recipe;
    recipe.joliet = false;
    return recipe;
}

// Writes the image of tree to image with xorriso; fails the test (and
// returns false) when xorriso does not succeed.
bool makeIsoImage(const std::string& tree, const std::string& image, const IsoRecipe& recipe);

// The "El Torito boot img" and "El Torito img blks" lines of xorriso's
// El Torito report on image, reduced to what matters: the emulation and
// the load size of the first entry ("none 4"); empty when it has none.
std::string bootEntrySummary(const std::string& image);

// Directory records of an image's bytes, for tests that craft a damaged
// image from a good one. Records are found by their offset in the bytes.
// Paths are relative ("I386/TXTSETUP.SIF"), letter case ignored, the ";1"
// version and a trailing dot not part of a name.
//
// The record of path in each tree that has it (ISO 9660, Joliet); the
// test fails when no tree has it.
std::vector<size_t> isoRecordsOf(const std::string& image, const std::string& path);
// The "." record (the first) of the folder path ("" for the root) in each
// tree.
std::vector<size_t> isoSelfRecordsOf(const std::string& image, const std::string& folder);
// The record's extent: its first sector and its length in bytes.
std::uint32_t isoRecordSector(const std::string& image, size_t record);
std::uint32_t isoRecordLength(const std::string& image, size_t record);
// Both-endian numbers, as the records hold them.
void setIsoRecordSector(std::string& image, size_t record, std::uint32_t sector);
void setIsoRecordLength(std::string& image, size_t record, std::uint32_t length);

} // namespace ornibe::test
