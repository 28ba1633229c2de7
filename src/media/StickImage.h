#pragma once

#include "sys/Failure.h"
#include "sys/Result.h"
#include "sys/StopCheck.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// Where the stick's one partition starts: 1 MiB, as disk tools align it.
inline constexpr std::uint64_t kStickPartitionOffset = 1024 * 1024;
// The smallest and largest images: FAT32 needs 65,525 clusters, and an MBR
// partition counts its sectors in 32 bits.
inline constexpr std::uint64_t kStickImageMinBytes = 64ULL * 1024 * 1024;
inline constexpr std::uint64_t kStickImageMaxBytes = 2ULL * 1024 * 1024 * 1024 * 1024 - 512;

// A file of the stick's file system that the host tree does not give as it
// is: its path inside the file system ("I386/TXTSETUP.SIF", folders
// separated by "/", matched ignoring case) and its bytes, given or read
// from a host file.
struct StickFile {
    std::string path;
    std::string bytes;
    std::string hostFile;
};

// What goes on a stick image.
struct StickImageInput {
    // The host folder copied whole into the partition's root.
    std::string tree;
    // Files added to the tree, or put in place of a tree's file of the same
    // name; their folders are made as needed.
    std::vector<StickFile> files;
    // The code of the master boot record (at most 440 bytes).
    std::string bootCode;
    // The image's size in bytes; 0 for one that fits the files with room
    // to spare.
    std::uint64_t size = 0;
    // The time every date of the file system is given (seconds since 1970,
    // UTC), and what the volume serial number is made from, so that the same
    // inputs give the same image; unset: each file's own time, and a serial
    // number from the time the image is made.
    std::optional<std::int64_t> epoch;
    // The volume label, at most 11 capitals, digits and marks.
    std::string label;
};

// A raw disk image for a USB stick: a master boot record with one active
// FAT32 partition (type 0x0C) from kStickPartitionOffset to the end, and
// in it the tree and the added files. Every file's clusters follow each
// other, folders before their files, names in byte order, so the same
// inputs always give the same bytes. Planned whole before a byte is
// written: a tree that does not fit, or holds a name that FAT cannot, or
// two names FAT takes for one, is refused first.
class StickImage {
public:
    ~StickImage();
    StickImage(StickImage&&) noexcept;

    // Reads the tree (without following links; pending files and the
    // build's lock are left out) and lays the image out.
    static Result<StickImage> plan(const StickImageInput& input, const StopCheck& stop = {});

    std::uint64_t size() const;
    // The bytes the image takes on the disk that holds it (it is written
    // sparse: what no file fills stays a hole).
    std::uint64_t bytesWritten() const;
    std::uint64_t fileCount() const;
    std::uint32_t volumeSerial() const;

    // Writes the image into fd, an empty file. Throws FileError naming the
    // file that could not be read, or image for the image itself. False when
    // stop asked to stop first.
    bool write(int fd, const std::string& image, const StopCheck& stop = {}) const;

    // Gives every entry of the root folder the image's epoch as its dates:
    // what another program added there (the boot loader's installer dates
    // its files when it runs), in the written image at file (image names it
    // in messages). Also copies the boot sector, which that installer
    // rewrites, over its backup. Throws FileError.
    void redateRoot(const std::string& file, const std::string& image) const;

private:
    struct Layout;
    explicit StickImage(std::unique_ptr<Layout> layout);
    std::unique_ptr<Layout> layout_;
};

} // namespace ornibe
