#include "media/ImageDevice.h"

#include "sys/FileError.h"
#include "sys/Translation.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace ornibe {

namespace {

constexpr std::uint64_t kSector = kIsoSectorBytes;
// Volume descriptors start at sector 16 of a session; a set longer than
// this is not looked through.
constexpr std::uint64_t kFirstDescriptor = 16;
constexpr std::uint64_t kMaxDescriptors = 64;

} // namespace

bool readFully(int fd, char* buffer, std::uint64_t length, std::uint64_t offset) {
    while (length > 0) {
        ssize_t n = ::pread(fd, buffer, length, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        buffer += n;
        length -= std::uint64_t(n);
        offset += std::uint64_t(n);
    }
    return true;
}

Result<ImageDevice> ImageDevice::open(const std::string& path) {
    auto refused = [&](std::string reason) { return Failure{"open", path, std::move(reason)}; };
    ImageDevice device;
    device.path_ = path;
    device.fd_.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!device.fd_.valid()) {
        int error = errno;
        if (error == EACCES) {
            return refused(translated("%1 (読み取りの権限がありません)", {systemReason(error)}));
        }
        if (error == ENOMEDIUM) {
            return refused(translated("ディスクが入っていません"));
        }
        return refused(systemReason(error));
    }
    struct stat st {};
    if (::fstat(device.fd_.get(), &st) != 0) {
        return refused(systemReason(errno));
    }
    if (S_ISREG(st.st_mode)) {
        device.size_ = static_cast<std::uint64_t>(st.st_size);
    } else if (S_ISBLK(st.st_mode)) {
        std::uint64_t bytes = 0;
        if (::ioctl(device.fd_.get(), BLKGETSIZE64, &bytes) != 0) {
            return refused(systemReason(errno));
        }
        device.size_ = bytes;
        // On a disc written in several sessions the last one holds the
        // tree that is current; its start comes from the drive's table
        // of contents. Other devices answer no, and the image starts at 0.
        cdrom_multisession session{};
        session.addr_format = CDROM_LBA;
        if (::ioctl(device.fd_.get(), CDROMMULTISESSION, &session) == 0 && session.xa_flag != 0 &&
            session.addr.lba > 0) {
            device.sessionStart_ = static_cast<std::uint32_t>(session.addr.lba);
        }
    } else {
        return refused(translated("ファイルでもデバイスでもありません"));
    }
    if (device.size_ == 0) {
        return refused(translated("空のファイルです。ISO イメージではありません"));
    }
    return Result<ImageDevice>(std::move(device));
}

Result<ImageDevice> ImageDevice::fromBytes(std::string_view bytes, std::string name) {
    auto refused = [&](std::string reason) { return Failure{"open", name, std::move(reason)}; };
    if (bytes.empty()) {
        return refused(translated("空のファイルです。ISO イメージではありません"));
    }
    ImageDevice device;
    device.path_ = std::move(name);
    device.fd_.reset(::memfd_create("ornibe-image", MFD_CLOEXEC));
    if (!device.fd_.valid()) {
        return refused(systemReason(errno));
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(device.fd_.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return refused(systemReason(n < 0 ? errno : EIO));
        }
        done += static_cast<std::size_t>(n);
    }
    device.size_ = bytes.size();
    return Result<ImageDevice>(std::move(device));
}

bool ImageDevice::readSector(std::uint64_t lba, unsigned char* sector) const {
    if ((lba + 1) * kSector > size_) {
        return false;
    }
    return readFully(fd_.get(), reinterpret_cast<char*>(sector), kSector, lba * kSector);
}

Outcome ImageDevice::checkIso9660() const {
    auto refused = [&](std::string reason) { return Failure{"read", path_, std::move(reason)}; };
    unsigned char sector[kSector];
    bool udf = false;
    bool any = false;
    for (std::uint64_t i = 0; i < kMaxDescriptors; ++i) {
        if (!readSector(sessionStart_ + kFirstDescriptor + i, sector)) {
            break;
        }
        any = true;
        std::string_view id(reinterpret_cast<const char*>(sector) + 1, 5);
        if (id == "CD001") {
            if (sector[0] == 1) {
                return Outcome();
            }
            if (sector[0] == 255) {
                break;
            }
            continue;
        }
        if (id == "BEA01" || id == "NSR02" || id == "NSR03" || id == "TEA01") {
            udf = true;
            continue;
        }
        break;
    }
    if (udf) {
        return refused(
            translated("UDF だけのイメージです。ISO 9660 のファイルシステムがないので読めません"));
    }
    if (!any) {
        return refused(translated("ISO イメージではありません (ファイルが短すぎます)"));
    }
    return refused(translated("ISO 9660 イメージではありません"));
}

bool ImageDevice::findDescriptor(
    const std::function<bool(const unsigned char* sector)>& visit) const {
    unsigned char sector[kSector];
    for (std::uint64_t i = 0; i < kMaxDescriptors; ++i) {
        if (!readSector(sessionStart_ + kFirstDescriptor + i, sector) ||
            std::string_view(reinterpret_cast<const char*>(sector) + 1, 5) != "CD001" ||
            sector[0] == 255) {
            return false;
        }
        if (visit(sector)) {
            return true;
        }
    }
    return false;
}

} // namespace ornibe
