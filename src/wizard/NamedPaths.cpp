#include "wizard/NamedPaths.h"

#include "check/TargetHardware.h"
#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "media/FloppyImage.h"
#include "settings/CdDriveEntry.h"
#include "source/F6Source.h"
#include "source/PnpDriverPackage.h"
#include "sys/CaseLookup.h"
#include "sys/CompressedName.h"
#include "sys/HostPath.h"
#include "sys/PathUnderRoot.h"

#include <set>

namespace ornibe {

bool isOutput(PathRole role) {
    return role == PathRole::IsoImage || role == PathRole::UsbImage || role == PathRole::LogFile;
}

std::vector<std::string> driverPackageFiles(const std::string& inf, WindowsVersion version) {
    InfReader reader(inf);
    DriverPackage package;
    for (WindowsVersion each :
         version != WindowsVersion::Unknown
             ? std::vector<WindowsVersion>{version}
             : std::vector<WindowsVersion>{WindowsVersion::Windows2000, WindowsVersion::WindowsXp,
                                           WindowsVersion::Server2003}) {
        reader.ReadDriverPackage(package, each);
    }
    std::vector<std::string> named;
    for (const auto& entry : package.fileToTargetDir()) {
        named.push_back(entry.first);
    }
    named.insert(named.end(), package.infFiles().begin(), package.infFiles().end());
    named.insert(named.end(), package.allCatalogFiles().begin(), package.allCatalogFiles().end());

    std::vector<std::string> files;
    std::set<std::string> seen{inf};
    for (const std::string& path : named) {
        const std::string folder = folderPart(path);
        for (const std::string& name : {fileName(path), compressedName(fileName(path))}) {
            if (std::optional<std::string> found = findFileNoCase(folder, name);
                found && seen.insert(*found).second) {
                files.push_back(*found);
            }
        }
    }
    return files;
}

void addDriverDiskFiles(const std::string& source, Architecture architecture,
                        const ToolSearch& tools, std::vector<std::string>& files,
                        std::set<std::string>& seen) {
    Result<TxtsetupOem> oem = readF6Source(source, architecture, tools);
    if (!oem) {
        return;
    }
    auto add = [&](const std::string& path) {
        const std::string folder = folderPart(path);
        for (const std::string& name : {fileName(path), compressedName(fileName(path))}) {
            if (std::optional<std::string> found = findFileNoCase(folder, name);
                found && seen.insert(*found).second) {
                files.push_back(*found);
            }
        }
    };
    add(oem->path);
    // A disk's tag file is named from the disk's root.
    for (const OemDisk& disk : oem->disks) {
        std::string_view tag = disk.tagFile;
        while (!tag.empty() && (tag.front() == '\\' || tag.front() == '/')) {
            tag.remove_prefix(1);
        }
        if (RootedPath path = pathUnderRoot(oem->root, tag, NameCase::Ignore);
            path && !tag.empty()) {
            add(*path);
        }
    }
    for (const OemEntry& entry : oem->entries) {
        for (const OemFileLine& line : entry.files) {
            if (Result<std::string> path = oemFilePath(*oem, line)) {
                add(*path);
            }
        }
    }
}

// Every file of a driver floppy given as a folder or a TXTSETUP.OEM: the
// file itself, the disks' tag files and every file its entries name. A
// floppy with both sets holds the files of each architecture, and every
// one of them is the user's, whichever set the tree reads. An image is
// one file, named by itself.
std::vector<std::string> driverDiskFiles(const std::string& source, const ToolSearch& tools) {
    std::vector<std::string> files;
    if (isFloppyImage(source)) {
        return files;
    }
    std::set<std::string> seen;
    for (Architecture architecture : {Architecture::X86, Architecture::Amd64}) {
        addDriverDiskFiles(source, architecture, tools, files, seen);
    }
    return files;
}

std::vector<NamedPath> namedPathsOf(const BuildSettings& settings, const std::string& workFolder,
                                    const std::string& isoPath, const std::string& logFile,
                                    WindowsVersion version, const ToolSearch& tools,
                                    const MountTables& tables) {
    std::vector<NamedPath> paths;
    if (settings.GetCdDriveIndex() > 0) {
        const std::string root = settings.getCdDriveRoot();
        paths.push_back({PathRole::Source, root});
        // A loop-mounted image is read through its mount point, but an
        // image written over its file would replace the user's CD image.
        if (std::string behind = bootSourceOf(root, tables); !behind.empty() && behind != root) {
            paths.push_back({PathRole::Source, behind});
        }
    }
    if (!settings.GetServicePackPath().empty()) {
        paths.push_back({PathRole::ServicePack, settings.GetServicePackPath()});
    }
    for (int i = 0; !settings.GetDriverInf(i).empty(); ++i) {
        const std::string inf = settings.GetDriverInf(i);
        if (isF6Source(inf)) {
            paths.push_back({PathRole::DriverDisk, inf});
            for (std::string& file : driverDiskFiles(inf, tools)) {
                paths.push_back({PathRole::DriverFile, std::move(file)});
            }
            continue;
        }
        paths.push_back({PathRole::DriverInf, inf});
        for (std::string& file : driverPackageFiles(inf, version)) {
            paths.push_back({PathRole::DriverFile, std::move(file)});
        }
    }
    for (const std::string& inf : settings.pnpDriverInfList()) {
        paths.push_back({PathRole::PnpDriverInf, inf});
        // The tree's architecture is not known here: the files of both
        // decorations count, so that no output lands on either.
        for (const Architecture architecture : {Architecture::X86, Architecture::Amd64}) {
            for (const PnpDriver::File& file :
                 readPnpDriver(inf, {version, architecture, {}}).files) {
                if (file.source != inf) {
                    paths.push_back({PathRole::PnpDriverFile, file.source});
                }
            }
        }
    }
    // The virtio-win medium is read from while the build runs.
    if (!settings.getVirtioWin().empty()) {
        paths.push_back({PathRole::VirtioWin, settings.getVirtioWin().source});
    }
    if (const std::string& listing = settings.getTargetHardware();
        !listing.empty() && !isQemuMachineName(listing)) {
        paths.push_back({PathRole::TargetHardware, listing});
    }
    if (const AnswerFileFields& answer = settings.getAnswerFile();
        answer.mode == AnswerFileFields::Mode::UserFile && !answer.userFile.empty()) {
        paths.push_back({PathRole::AnswerFile, makeAbsolute(answer.userFile)});
    }
    paths.push_back({PathRole::WorkFolder, workFolder});
    if (!isoPath.empty()) {
        paths.push_back({PathRole::IsoImage, isoPath});
    }
    if (!settings.getUsbImagePath().empty()) {
        paths.push_back({PathRole::UsbImage, makeAbsolute(settings.getUsbImagePath(), workFolder)});
    }
    if (!logFile.empty()) {
        paths.push_back({PathRole::LogFile, logFile});
    }
    return paths;
}

} // namespace ornibe
