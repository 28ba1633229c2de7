#include "media/SystemDriveSource.h"

#include "media/MountTable.h"
#include "media/VolumeDescriptor.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"
#include "sys/UniqueFd.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

namespace ornibe {

namespace {

bool isHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// udev names a label's unsafe characters (space, slash) as \xHH.
std::string unescapeHex(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && text.size() - i >= 4 && text[i + 1] == 'x' && isHex(text[i + 2]) &&
            isHex(text[i + 3])) {
            out += char(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The names in a folder; none when it cannot be read.
std::vector<std::string> entriesOf(const std::string& folder) {
    return folderEntries(folder).value_or(std::vector<std::string>{});
}

std::string resolvedOrAsGiven(const std::string& path) {
    return realPath(path).value_or(path);
}

// The number of an optical drive's name ("sr12" gives 12), or -1.
int opticalNumber(const std::string& name) {
    if (name.size() < 3 || name.compare(0, 2, "sr") != 0) {
        return -1;
    }
    int number = 0;
    for (size_t i = 2; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || number > 100000) {
            return -1;
        }
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

class DriveScan {
public:
    explicit DriveScan(const MountTables& tables) : tables_(tables) {
        for (const std::string& name : entriesOf(tables.sysBlock)) {
            std::string number = firstLine(joinPath(joinPath(tables.sysBlock, name), "dev"));
            if (!number.empty()) {
                nameByNumber_[number] = name;
            }
        }
        mounts_ = readMounts(tables.mountInfo);
    }

    const std::map<std::string, std::string>& nameByNumber() const { return nameByNumber_; }
    const std::vector<Mount>& mounts() const { return mounts_; }

    std::string devicePath(const std::string& name) const { return joinPath(tables_.dev, name); }

    std::string label(const std::string& name) const {
        std::string device = resolvedOrAsGiven(devicePath(name));
        for (const std::string& entry : entriesOf(tables_.byLabel)) {
            if (resolvedOrAsGiven(joinPath(tables_.byLabel, entry)) == device) {
                return unescapeHex(entry);
            }
        }
        if (std::optional<std::string> label = readIso9660Label(devicePath(name))) {
            return *label;
        }
        std::string backing =
            firstLine(joinPath(joinPath(joinPath(tables_.sysBlock, name), "loop"), "backing_file"));
        if (!backing.empty()) {
            if (std::optional<std::string> label = readIso9660Label(backing)) {
                return *label;
            }
        }
        return {};
    }

private:
    const MountTables& tables_;
    std::map<std::string, std::string> nameByNumber_;
    std::vector<Mount> mounts_;
};

} // namespace

SystemDriveSource::SystemDriveSource() : SystemDriveSource(MountTables{}) {}

SystemDriveSource::SystemDriveSource(MountTables tables, DiscStatusQuery discStatus)
    : discStatus_(std::move(discStatus)), tables_(std::move(tables)) {}

std::vector<CdDrive> SystemDriveSource::listDrives() {
    DriveScan scan(tables_);
    std::vector<CdDrive> drives;

    std::vector<std::pair<int, std::string>> optical; // number, device number
    for (const auto& [number, name] : scan.nameByNumber()) {
        if (int n = opticalNumber(name); n >= 0) {
            optical.emplace_back(n, number);
        }
    }
    std::sort(optical.begin(), optical.end());
    for (const auto& entry : optical) {
        // A plain reference, not a structured binding: the lambda below
        // captures it, which clang 14 does not allow for a binding.
        const std::string& number = entry.second;
        const std::string& name = scan.nameByNumber().at(number);
        CdDrive drive{scan.devicePath(name), scan.devicePath(name), std::nullopt};
        auto mount = std::find_if(scan.mounts().begin(), scan.mounts().end(),
                                  [&](const Mount& m) { return m.deviceNumber == number; });
        // A mount that outlived its disc (ejected without unmounting) is
        // no readable volume: the drive's own word on its tray wins.
        DiscStatus status = discStatus_ ? discStatus_(drive.device) : DiscStatus::Unknown;
        bool trayEmpty = status == DiscStatus::NoDisc || status == DiscStatus::TrayOpen;
        if (mount != scan.mounts().end() && !trayEmpty && existsAsFolder(mount->mountPoint)) {
            drive.root = mount->mountPoint;
            drive.label = scan.label(name);
        } else if (!trayEmpty) {
            // A disc that nothing has mounted (a desktop mounts it only
            // when something opens it) is read through its device, as an
            // image file is, when the user may read the device.
            drive.label = readIso9660Label(drive.device);
        }
        drives.push_back(std::move(drive));
    }

    std::vector<CdDrive> volumes;
    std::vector<std::string> seen;
    for (const Mount& mount : scan.mounts()) {
        if (!isCdFileSystem(mount.fsType) ||
            std::find(seen.begin(), seen.end(), mount.deviceNumber) != seen.end()) {
            continue;
        }
        seen.push_back(mount.deviceNumber);
        auto known = scan.nameByNumber().find(mount.deviceNumber);
        if (known != scan.nameByNumber().end() && opticalNumber(known->second) >= 0) {
            continue;
        }
        if (!existsAsFolder(mount.mountPoint)) {
            continue;
        }
        CdDrive drive;
        drive.root = mount.mountPoint;
        if (known != scan.nameByNumber().end()) {
            drive.device = scan.devicePath(known->second);
            drive.label = scan.label(known->second);
        } else {
            drive.device = mount.source;
            drive.label = readIso9660Label(mount.source).value_or("");
        }
        volumes.push_back(std::move(drive));
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const CdDrive& a, const CdDrive& b) { return a.root < b.root; });
    drives.insert(drives.end(), volumes.begin(), volumes.end());
    return drives;
}

std::optional<CdDrive> SystemDriveSource::readVolume(const std::string& root) {
    for (CdDrive& drive : listDrives()) {
        if ((drive.root == root || drive.device == root) && drive.label) {
            return std::move(drive);
        }
    }
    return std::nullopt;
}

DiscStatus queryDiscStatus(const std::string& device) {
    int status = 0;
    {
        UniqueFd fd(::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!fd.valid()) {
            return DiscStatus::Unknown;
        }
        status = ::ioctl(fd.get(), CDROM_DRIVE_STATUS, CDSL_CURRENT);
    }
    switch (status) {
    case CDS_NO_DISC:
        return DiscStatus::NoDisc;
    case CDS_TRAY_OPEN:
        return DiscStatus::TrayOpen;
    case CDS_DRIVE_NOT_READY:
        return DiscStatus::NotReady;
    case CDS_DISC_OK:
        return DiscStatus::DiscOk;
    default:
        return DiscStatus::Unknown;
    }
}

std::string deviceAccessProblem(const std::string& device) {
    if (UniqueFd(::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)).valid()) {
        return {};
    }
    if (errno != EACCES && errno != EPERM) {
        return {};
    }
    struct stat st {};
    if (::stat(device.c_str(), &st) == 0) {
        if (const group* owner = ::getgrgid(st.st_gid)) {
            return translated("読み取りの権限がありません。%1 グループに入ってください",
                              {owner->gr_name});
        }
    }
    return translated("読み取りの権限がありません");
}

} // namespace ornibe
