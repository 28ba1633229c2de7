#pragma once

#include "media/DriveSource.h"
#include "media/MountTable.h"

#include <functional>
#include <string>

namespace ornibe {

// What an optical drive says about its tray (the CDROM_DRIVE_STATUS ioctl).
enum class DiscStatus { Unknown, NoDisc, TrayOpen, NotReady, DiscOk };

// The CDROM_DRIVE_STATUS of a device; Unknown when it cannot be opened or
// asked (no read permission, not an optical drive).
DiscStatus queryDiscStatus(const std::string& device);

// The machine's CD drives, found without root rights:
// - every optical drive in /sys/class/block (sr0, sr1, ... in number
//   order), with the mount point and label of its volume when one is
//   mounted and the drive does not report an empty or open tray; without
//   a mounted volume, with the label read through the device when the
//   device holds an ISO 9660 volume the user may read (the root is then
//   the device);
// - then every other mounted ISO 9660 or UDF volume (a loop-mounted image),
//   in mount-point order, each volume once.
// Mount points come from /proc/self/mountinfo; labels from
// /dev/disk/by-label, else from the ISO 9660 volume descriptor of the
// device or of a loop device's backing file (readIso9660Label, which reads
// the last session of a disc). Those tables are read where MountTables
// says.
class SystemDriveSource : public DriveSource {
public:
    // How a drive's tray is asked: the ioctl unless another way is given.
    using DiscStatusQuery = std::function<DiscStatus(const std::string& device)>;

    SystemDriveSource();
    explicit SystemDriveSource(MountTables tables, DiscStatusQuery discStatus = queryDiscStatus);

    std::vector<CdDrive> listDrives() override;
    std::optional<CdDrive> readVolume(const std::string& root) override;

private:
    DiscStatusQuery discStatus_;
    MountTables tables_;
};

// Why the user may not read the device (it exists, but its permissions
// keep the user out: typically not in the group that owns it); the empty
// text when it can be opened or does not exist.
std::string deviceAccessProblem(const std::string& device);

} // namespace ornibe
