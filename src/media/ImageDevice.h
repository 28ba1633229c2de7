#pragma once

#include "sys/Failure.h"
#include "sys/Result.h"
#include "sys/UniqueFd.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ornibe {

// The sector size of a CD and of its image.
inline constexpr std::uint64_t kIsoSectorBytes = 2048;

// Numbers in ISO 9660 structures are little-endian (or both-endian, whose
// first half is the little-endian one).
inline std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
inline std::uint16_t le16(const unsigned char* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

// Reads length bytes at offset of the file or device fd in full; false
// with errno set otherwise (EIO when it ends sooner).
bool readFully(int fd, char* buffer, std::uint64_t length, std::uint64_t offset);

// An image file or a block device (an optical drive, a loop device) opened
// read-only for reading 2048-byte sectors.
class ImageDevice {
public:
    // The image file or device at path, or why it cannot be read (no such
    // file, no right to read the device, a folder, an empty file): the
    // failure names the path.
    static Result<ImageDevice> open(const std::string& path);
    // An image held in memory, read through an anonymous in-memory file so
    // that every reader (also libisofs, which reads the descriptor) meets
    // it as it meets an image file; name is what failures call it. Fails
    // when the system refuses the file or the bytes are empty.
    static Result<ImageDevice> fromBytes(std::string_view bytes, std::string name);

    int fd() const { return fd_.get(); }
    // Bytes the file or device holds.
    std::uint64_t size() const { return size_; }
    // The first sector of the last session: nonzero only on an optical
    // disc written in several sessions, whose last session is the one read.
    std::uint32_t sessionStart() const { return sessionStart_; }

    // Reads sector number lba (relative to the start of the medium) whole;
    // false when it lies beyond the end or cannot be read.
    bool readSector(std::uint64_t lba, unsigned char* sector) const;

    // Success when the last session starts with an ISO 9660 volume
    // descriptor set; otherwise why the medium cannot be read as one (only
    // UDF, no image at all, cut short), the failure naming the path.
    Outcome checkIso9660() const;

    // Shows visit each ISO 9660 volume descriptor of the last session in
    // order, up to the set terminator or a sector that is none, until visit
    // returns true; true when it did.
    bool findDescriptor(const std::function<bool(const unsigned char* sector)>& visit) const;

private:
    ImageDevice() = default;

    std::string path_;
    UniqueFd fd_;
    std::uint64_t size_ = 0;
    std::uint32_t sessionStart_ = 0;
};

} // namespace ornibe
