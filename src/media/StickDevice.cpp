#include "media/StickDevice.h"

#include "media/MountTable.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"
#include "sys/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace ornibe {
namespace {

std::string deviceNumber(dev_t number) {
    return std::to_string(major(number)) + ":" + std::to_string(minor(number));
}

std::string trimmed(std::string text) {
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string sizeText(std::uint64_t bytes) {
    char text[32];
    if (bytes >= (1ULL << 30)) {
        std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / (1ULL << 30));
    } else {
        std::snprintf(text, sizeof text, "%llu MiB",
                      static_cast<unsigned long long>((bytes + (1 << 20) - 1) >> 20));
    }
    return text;
}

// The device a path lies on: its own, or its nearest existing folder's
// for a file the build has yet to write.
std::optional<std::string> deviceOfPath(std::string path) {
    struct stat st {};
    while (::stat(path.c_str(), &st) != 0) {
        if (path.empty() || path == "/") {
            return std::nullopt;
        }
        path = folderPart(withoutTrailingSlash(path));
    }
    return deviceNumber(st.st_dev);
}

} // namespace

Result<StickDevice> checkStickDevice(const StickDeviceRequest& request) {
    const std::string headline = translated("USB メモリ %1 に書き込めません。", {request.node});
    auto refuse = [&](const std::string& reason) {
        return Failure::refusal(headline, request.node, reason);
    };
    auto under = [&](const std::string& relative) { return joinPath(request.root, relative); };

    StickDevice device;
    device.node = request.node;
    struct stat st {};
    if (::stat(request.node.c_str(), &st) != 0) {
        return refuse(systemReason(errno));
    }
    if (S_ISBLK(st.st_mode)) {
        const std::optional<std::string> entry =
            realPath(under("sys/dev/block/" + deviceNumber(st.st_rdev)));
        if (!entry) {
            return refuse(translated("カーネルがこのデバイスを知りません。"));
        }
        device.name = fileName(*entry);
    } else if (request.root != "/" && S_ISREG(st.st_mode)) {
        device.name = fileName(request.node);
    } else {
        return refuse(translated("ブロックデバイスではありません。"));
    }
    // Only whole disks have an entry of their own in sys/block; a
    // partition's sits inside its disk's.
    const std::string entry = under("sys/block/" + device.name);
    if (!existsAsFolder(entry)) {
        return refuse(
            translated("ディスク全体ではありません（区画です）。/dev/sdb のように、USB メモリ"
                       "全体のデバイスを指定してください。"));
    }
    if (::access(request.node.c_str(), W_OK) != 0) {
        return refuse(
            translated("書き込む権限がありません（%1）。root で実行するか、disk グループの"
                       "ユーザーで実行してください。",
                       {systemReason(errno)}));
    }
    const std::string bus = hostRealPath(entry);
    if (firstLine(entry + "/removable") != "1" && bus.find("/usb") == std::string::npos) {
        return refuse(
            translated("取り外せるディスクではなく、USB にもつながっていません。内蔵ディスクには"
                       "書き込みません。"));
    }
    device.model = trimmed(trimmed(firstLine(entry + "/device/vendor")) + " " +
                           trimmed(firstLine(entry + "/device/model")));
    const std::string sectors = firstLine(entry + "/size");
    if (sectors.empty() || sectors.find_first_not_of("0123456789") != std::string::npos) {
        return refuse(translated("大きさがわかりません。"));
    }
    device.bytes = std::stoull(sectors) * 512;

    device.numbers.push_back(firstLine(entry + "/dev"));
    for (const std::string& name : folderEntries(entry).value_or(std::vector<std::string>{})) {
        if (existsAsFile(entry + "/" + name + "/partition")) {
            device.numbers.push_back(firstLine(entry + "/" + name + "/dev"));
        }
    }
    auto onDevice = [&](const std::string& number) {
        return std::find(device.numbers.begin(), device.numbers.end(), number) !=
               device.numbers.end();
    };
    for (const Mount& mount : readMounts(under("proc/self/mountinfo"))) {
        if (onDevice(mount.deviceNumber)) {
            return refuse(
                translated("%1 が %2 にマウントされています。アンマウントしてから書き込んで"
                           "ください。",
                           {mount.source, mount.mountPoint}));
        }
    }
    for (const std::string& path : request.pathsInUse) {
        if (std::optional<std::string> number = deviceOfPath(path); number && onDevice(*number)) {
            return refuse(translated("%1 がこの USB メモリの上にあります。", {path}));
        }
    }
    if (request.imageBytes > device.bytes) {
        return refuse(translated("容量が足りません（イメージは %1、USB メモリは %2）。",
                                 {sizeText(request.imageBytes), sizeText(device.bytes)}));
    }
    return device;
}

std::string describeStickDevice(const StickDevice& device) {
    const std::string model = device.model.empty() ? translated("USB メモリ") : device.model;
    return translated("%1（%2、%3）", {model, device.node, sizeText(device.bytes)});
}

bool writeStickDevice(const std::string& image, const StickDevice& device, const StopCheck& stop) {
    UniqueFd in(::open(image.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) {
        throwFileError("open", image, errno);
    }
    // A block device opened exclusively cannot be mounted meanwhile (and
    // is refused while it is).
    struct stat st {};
    const int exclusive = ::stat(device.node.c_str(), &st) == 0 && S_ISBLK(st.st_mode) ? O_EXCL : 0;
    UniqueFd out(::open(device.node.c_str(), O_WRONLY | O_CLOEXEC | exclusive));
    if (!out.valid()) {
        throwFileError("open", device.node, errno);
    }
    std::vector<char> buffer(4 << 20);
    for (;;) {
        if (stopAsked(stop)) {
            return false;
        }
        const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwFileError("read", image, errno);
        }
        if (got == 0) {
            break;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                ::write(out.get(), buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                throwFileError("write", device.node, errno);
            }
            done += put;
        }
    }
    if (::fsync(out.get()) != 0) {
        throwFileError("sync", device.node, errno);
    }
    if (::close(out.release()) != 0) {
        throwFileError("close", device.node, errno);
    }
    return true;
}

} // namespace ornibe
