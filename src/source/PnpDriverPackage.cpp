#include "source/PnpDriverPackage.h"

#include "inf/InfFile.h"
#include "inf/InfReader.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace ornibe {
namespace {

// The part of a path on the medium below the INF's folder; the file name
// alone when it does not lie below it.
std::string relativeTo(const std::string& folder, const std::string& path) {
    if (!folder.empty() && path.size() > folder.size() + 1 && path.starts_with(folder) &&
        path[folder.size()] == '/') {
        return path.substr(folder.size() + 1);
    }
    return fileName(path);
}

// The plain file when the medium holds it, else its compressed form beside
// it (the name setup expands it from); the path as named when neither is
// there, for the check to report.
std::string asOnMedium(const std::string& path) {
    if (plainOnMedium(path)) {
        return *plainOnMedium(path);
    }
    Result<std::string> compressed = compressedOnMedium(path);
    if (compressed && !compressed->empty()) {
        return *compressed;
    }
    return path;
}

void addFile(PnpDriver& driver, const std::string& folder, const std::string& path) {
    std::string source = asOnMedium(path);
    std::string relative = relativeTo(folder, source);
    for (const PnpDriver::File& file : driver.files) {
        if (file.relative == relative) {
            return;
        }
    }
    driver.files.push_back({source, relative});
}

} // namespace

PnpDriver readPnpDriver(const std::string& path, const WindowsTarget& target) {
    PnpDriver driver;
    driver.inf = path;
    InfReader reader(path);
    reader.setArchitecture(target.architecture);
    if (!reader.file().isOpen()) {
        return driver;
    }
    if (std::optional<InfPosition> line = reader.file().findFirstLine("Version", "Class")) {
        driver.className = cp932ToUtf8(reader.GetField(*line, 1));
    }
    reader.ReadDriverPackage(driver.package, target.version);
    // Setup copies from the driver's folder whatever the INF's file lists
    // name; the files that [SourceDisksFiles] names for the architecture
    // or any architecture go with the package as well.
    const std::string windows(InfFile::windowsFolder);
    const char* decorated = target.architecture == Architecture::Amd64 ? "SourceDisksFiles.amd64"
                                                                       : "SourceDisksFiles.x86";
    for (const char* section : {"SourceDisksFiles", decorated}) {
        for (std::size_t i = 0;; ++i) {
            std::optional<InfPosition> line = reader.file().lineByIndex(section, i);
            if (!line) {
                break;
            }
            reader.AddSourceFile(reader.GetField(*line, 0), windows, driver.package);
        }
    }
    if (!driver.package.descriptionToService().empty()) {
        driver.description = cp932ToUtf8(driver.package.descriptionToService().begin()->first);
    }
    const std::string folder = reader.folder();
    addFile(driver, folder, path);
    for (const std::string& catalog : driver.package.allCatalogFiles()) {
        addFile(driver, folder, catalog);
    }
    for (const auto& entry : driver.package.fileToTargetDir()) {
        addFile(driver, folder, entry.first);
    }
    for (const std::string& inf : driver.package.infFiles()) {
        addFile(driver, folder, inf);
    }
    return driver;
}

std::optional<MediumProblem> firstPnpProblem(const PnpDriver& driver) {
    return firstMediumProblem(driver.package);
}

std::string pnpFolderName(std::size_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "%03zu", number);
    return text;
}

std::string pnpPathEntry(const std::string& folderName) {
    return "Drivers\\" + folderName;
}

std::size_t pnpPathLimit(WindowsVersion version) {
    return version == WindowsVersion::Windows2000 ? 98 : 4096;
}

std::string pnpPathValue(const std::string& userFolders,
                         const std::vector<std::string>& ourEntries) {
    std::set<std::string> named;
    for (std::size_t start = 0; start < userFolders.size();) {
        const std::size_t end = std::min(userFolders.find(';', start), userFolders.size());
        std::string entry = userFolders.substr(start, end - start);
        entry.erase(0, entry.find_first_not_of(' '));
        entry.erase(entry.find_last_not_of(' ') + 1);
        named.insert(foldSetupText(entry));
        start = end + 1;
    }
    std::string value = userFolders;
    for (const std::string& entry : ourEntries) {
        if (named.insert(foldSetupText(entry)).second) {
            value += (value.empty() ? "" : ";") + entry;
        }
    }
    return value;
}

} // namespace ornibe
