#include "media/BootImage.h"

#include "media/ImageDevice.h"
#include "media/MountTable.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"
#include "sys/PendingFile.h"
#include "sys/Translation.h"
#include "sys/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string_view>
#include <vector>

namespace ornibe {

namespace {

constexpr std::uint64_t kSector = kIsoSectorBytes;

Failure noBoot(std::string why) {
    return Failure{"read", {}, std::move(why)};
}

} // namespace

Result<BootImage> findBootImage(const std::string& path) {
    Result<ImageDevice> opened = ImageDevice::open(path);
    if (!opened) {
        return noBoot(opened.failure().reason);
    }
    return findBootImage(*opened);
}

Result<BootImage> findBootImage(const ImageDevice& device) {
    // The boot record is one of the volume descriptors from sector 16 on:
    // type 0, "CD001", and the boot system "EL TORITO SPECIFICATION"; its
    // bytes 71 to 74 give the sector of the boot catalog.
    std::uint32_t catalog = 0;
    bool found = device.findDescriptor([&](const unsigned char* sector) {
        std::string_view system(reinterpret_cast<const char*>(sector) + 7, 23);
        if (sector[0] == 0 && system == "EL TORITO SPECIFICATION") {
            catalog = le32(sector + 71);
            return true;
        }
        return false;
    });
    unsigned char sector[kSector];
    if (!found) {
        return noBoot(translated("ブートカタログがありません"));
    }
    if (!device.readSector(catalog, sector)) {
        return noBoot(translated("ブートカタログがイメージの外を指しています"));
    }
    // The validation entry: header 1, key bytes 0x55 0xAA, and its sixteen
    // little-endian words add up to zero.
    std::uint16_t sum = 0;
    for (int i = 0; i < 32; i += 2) {
        sum = std::uint16_t(sum + le16(sector + i));
    }
    if (sector[0] != 1 || sector[30] != 0x55 || sector[31] != 0xAA || sum != 0) {
        return noBoot(translated("ブートカタログが壊れています"));
    }
    // The initial entry follows: bootable 0x88, the media type in the
    // low bits of byte 1 (0 is no emulation), the sector count (512-byte
    // sectors) at 6 and the image's first 2048-byte sector at 8.
    const unsigned char* entry = sector + 32;
    if (entry[0] != 0x88) {
        return noBoot(translated("ブートカタログの最初のエントリは起動できません"));
    }
    if ((entry[1] & 0x0F) != 0) {
        return noBoot(
            translated("ブートイメージがエミュレーションなし (no emulation) ではありません"));
    }
    BootImage boot;
    boot.sectors = le16(entry + 6);
    boot.lba = le32(entry + 8);
    if (boot.sectors == 0) {
        return noBoot(translated("ブートイメージの長さが 0 です"));
    }
    if (std::uint64_t(boot.lba) * kSector + std::uint64_t(boot.sectors) * 512 > device.size()) {
        return noBoot(translated("ブートイメージがイメージの外を指しています"));
    }
    return boot;
}

Outcome writeBootImage(const std::string& path, const std::string& destination) {
    Result<BootImage> found = findBootImage(path);
    if (!found) {
        return found.failure();
    }
    const BootImage boot = *found;
    Result<ImageDevice> device = ImageDevice::open(path);
    if (!device) {
        return noBoot(device.failure().reason);
    }
    std::vector<unsigned char> bytes((boot.sectors * 512 + kSector - 1) / kSector * kSector);
    for (size_t i = 0; i < bytes.size() / kSector; ++i) {
        if (!device->readSector(boot.lba + i, bytes.data() + i * kSector)) {
            return noBoot(translated("ブートイメージを読めません"));
        }
    }
    bytes.resize(boot.sectors * 512);

    // Written beside the destination first and put in place whole.
    try {
        PendingFile out(destination);
        out.write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        out.setMode(0644);
        out.commit();
    } catch (const FileError& error) {
        return Failure{"write", destination, error.reason()};
    }
    return Outcome();
}

std::string bootSourceOf(const std::string& root, const MountTables& tables) {
    struct stat st {};
    if (::stat(root.c_str(), &st) != 0) {
        return {};
    }
    if (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode)) {
        return root;
    }
    if (!S_ISDIR(st.st_mode)) {
        return {};
    }
    // The last mount on the folder is the one that shows.
    std::string folder = realPath(root).value_or(root);
    std::string deviceNumber;
    for (const Mount& mount : readMounts(tables.mountInfo)) {
        if (mount.mountPoint == folder) {
            deviceNumber = isCdFileSystem(mount.fsType) ? mount.deviceNumber : "";
        }
    }
    if (deviceNumber.empty()) {
        return {};
    }
    std::string block = joinPath(tables.sysDevBlock, deviceNumber);
    std::string backing = firstLine(joinPath(block, "loop/backing_file"));
    if (!backing.empty()) {
        return backing;
    }
    std::string uevent = joinPath(block, "uevent");
    std::ifstream events(uevent);
    std::string line;
    while (std::getline(events, line)) {
        if (line.rfind("DEVNAME=", 0) == 0) {
            return joinPath(tables.dev, line.substr(8));
        }
    }
    return {};
}

} // namespace ornibe
