#pragma once

#include "inf/WindowsTarget.h"
#include "media/BootImage.h"
#include "settings/BuildSettings.h"
#include "sys/SearchPath.h"

#include <string>
#include <vector>

namespace ornibe {

// What a path the user named is to the build: read from, built in, or
// written.
enum class PathRole {
    Source,
    WorkFolder,
    IsoImage,
    // The USB stick image, written after the ISO image.
    UsbImage,
    LogFile,
    ServicePack,
    DriverInf,
    // A driver floppy of the driver list: its folder, TXTSETUP.OEM or
    // image file.
    DriverDisk,
    // A file that a driver INF's package names on its medium, or that a
    // driver floppy's TXTSETUP.OEM names.
    DriverFile,
    // The user's own answer file, read by the build after the copy.
    AnswerFile,
    // A Plug and Play driver's INF, and a file its package brings.
    PnpDriverInf,
    PnpDriverFile,
    // The virtio-win medium: an image file or a folder.
    VirtioWin,
    // The file of lspci output the finished tree is matched against.
    TargetHardware,
};

struct NamedPath {
    PathRole role;
    // Absolute, as the build will use it (links not resolved).
    std::string path;
};

// The images and the log are what the build writes besides the tree.
bool isOutput(PathRole role);

// Every path of one build: the source (when a CD is read; for a mounted
// volume also the image file or device it is mounted from), the Service
// Pack, each driver INF and every file of its package that is on its
// medium (for the version, or for any of the three versions when it is
// unknown), each driver floppy (for a folder or a TXTSETUP.OEM also that
// file and every file it names), each Plug and Play driver's INF and the
// files it brings, the virtio-win medium, the target hardware's lspci
// file, the user's answer file when one is taken, the work folder, and
// the ISO image, the USB stick image and the log file when given.
// The settings hold what the checks before have stored; workFolder,
// isoPath and logFile are absolute (or empty, for the last two).
std::vector<NamedPath> namedPathsOf(const BuildSettings& settings, const std::string& workFolder,
                                    const std::string& isoPath, const std::string& logFile,
                                    WindowsVersion version, const ToolSearch& tools,
                                    const MountTables& tables = {});

// The files of the driver INF's package that are on its medium, as they
// exist there (any letter case, plain or in the compressed form that
// staging takes), the INF itself left out.
std::vector<std::string> driverPackageFiles(const std::string& inf, WindowsVersion version);

// The files of a driver floppy given as a folder or as its TXTSETUP.OEM:
// that file, and every file it names (each entry's files, plain or
// compressed as staging takes them, and each disk's tag file) as they
// exist there. Nothing for a floppy image, whose files are read from it.
std::vector<std::string> driverDiskFiles(const std::string& source, const ToolSearch& tools);

} // namespace ornibe
