#include "wizard/NamedPaths.h"

#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "inf/VersionCode.h"
#include "runner/PnpDriverPackage.h"
#include "settings/CdDriveEntry.h"
#include "sys/CaseLookup.h"
#include "sys/CompressedName.h"
#include "sys/HostPath.h"

#include <set>

namespace ornibe {

bool isOutput(PathRole role) {
    return role == PathRole::IsoImage || role == PathRole::LogFile;
}

std::vector<std::string> driverPackageFiles(const std::string& inf, char versionCode) {
    const bool known = versionCode == VersionCode::Windows2000 ||
                       versionCode == VersionCode::WindowsXp ||
                       versionCode == VersionCode::Server2003;
    InfReader reader(inf);
    DriverPackage package;
    for (char version : known ? std::vector<char>{versionCode}
                              : std::vector<char>{VersionCode::Windows2000, VersionCode::WindowsXp,
                                                  VersionCode::Server2003}) {
        reader.ReadDriverPackage(package, version);
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

std::vector<NamedPath> namedPathsOf(const BuildSettings& settings, const std::string& workFolder,
                                    const std::string& isoPath, const std::string& logFile,
                                    char versionCode, const MountTables& tables) {
    std::vector<NamedPath> paths;
    if (settings.GetCdDriveIndex() > 0) {
        const std::string root = settings.GetCdDriveRoot();
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
        paths.push_back({PathRole::DriverInf, inf});
        for (std::string& file : driverPackageFiles(inf, versionCode)) {
            paths.push_back({PathRole::DriverFile, std::move(file)});
        }
    }
    for (const std::string& inf : settings.pnpDriverInfList()) {
        paths.push_back({PathRole::PnpDriverInf, inf});
        for (const PnpDriver::File& file : readPnpDriver(inf, versionCode).files) {
            if (file.source != inf) {
                paths.push_back({PathRole::PnpDriverFile, file.source});
            }
        }
    }
    // The virtio-win medium is read from while the build runs.
    if (!settings.GetVirtioWin().empty()) {
        paths.push_back({PathRole::DriverFile, settings.GetVirtioWin().source});
    }
    if (const AnswerFileFields& answer = settings.GetAnswerFile();
        answer.mode == AnswerFileFields::Mode::UserFile && !answer.userFile.empty()) {
        paths.push_back({PathRole::AnswerFile, makeAbsolute(answer.userFile)});
    }
    paths.push_back({PathRole::WorkFolder, workFolder});
    if (!isoPath.empty()) {
        paths.push_back({PathRole::IsoImage, isoPath});
    }
    if (!logFile.empty()) {
        paths.push_back({PathRole::LogFile, logFile});
    }
    return paths;
}

} // namespace ornibe
