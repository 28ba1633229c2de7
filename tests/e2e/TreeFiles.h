#pragma once

#include <map>
#include <string>
#include <vector>

namespace ornibe::test {

// Writes a synthetic installation tree of the target ("2000", "xp",
// "2003") into folder with the project's tree generator; extra arguments
// go to the generator as they are. True when the generator succeeded.
bool makeTree(const std::string& folder, const std::string& target,
              const std::vector<std::string>& extra = {});
// Writes the sample driver (OrScsi.inf with its catalog and X86/ORSCSI.SYS).
bool makeDriver(const std::string& folder);

// Every regular file below root, by its path relative to root.
std::map<std::string, std::string> readTree(const std::string& root);
// Every folder below root (root itself left out), relative to root.
std::vector<std::string> foldersOf(const std::string& root);
// Whether every file and folder below root may be written by its owner.
bool ownerMayWriteAll(const std::string& root);

// The one file that a cabinet holds, as cabextract expands it.
struct CabinetFile {
    std::string name;
    std::string bytes;
};
// Expands a cabinet (its bytes) in a fresh folder under scratch; an empty
// name when it is not a cabinet of exactly one file.
CabinetFile expandCabinet(const std::string& cabinet, const std::string& scratch);

// An ISO image as xorriso reads it back.
struct ImageReport {
    // Paths of its files as recorded (no mapping of names), sorted.
    std::vector<std::string> files;
    // The words of the El Torito boot entry: number, platform, bootable,
    // emulation, load segment, partition type, load size, block address.
    std::vector<std::string> bootEntry;
    std::string volumeId;
    // Everything xorriso said, for failure messages.
    std::string output;
};
ImageReport readImage(const std::string& image);
// Extracts the whole image into folder (which must not exist).
bool extractImage(const std::string& image, const std::string& folder);

} // namespace ornibe::test
