#include "source/DriverPack.h"

#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "inf/OemEntryPackage.h"
#include "inf/PeImage.h"
#include "inf/TxtsetupOem.h"
#include "source/DriverMedium.h"
#include "sys/CaseFold.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

#include <algorithm>
#include <functional>

#include <sys/stat.h>

namespace ornibe {
namespace {

std::string relativeTo(const std::string& root, const std::string& path) {
    return path.size() > root.size() ? path.substr(root.size() + 1) : fileName(path);
}

PackFile packFile(const std::string& path) {
    PackFile file{foldHostText(fileName(path)), 0, 0};
    std::optional<std::string> found = plainOnMedium(path);
    if (!found) {
        Result<std::string> compressed = compressedOnMedium(path);
        if (compressed && !compressed->empty()) {
            found = *compressed;
        }
    }
    if (found) {
        const std::string bytes = readFile(*found);
        file.size = bytes.size();
        file.digest = std::hash<std::string>{}(bytes);
    }
    return file;
}

} // namespace

void describePackage(const DriverPackage& package, PackDriver& driver) {
    for (const auto& entry : package.hardwareIdToService()) {
        driver.ids.push_back(entry.first);
    }
    for (const auto& entry : package.fileToTargetDir()) {
        driver.files.push_back(packFile(entry.first));
        if (foldHostText(fileName(entry.first)).ends_with(".SYS")) {
            if (std::optional<std::string> plain = plainOnMedium(entry.first)) {
                driver.binaries.push_back(*plain);
            }
        }
    }
    for (const NoCaseTextList* list : {&package.infFiles(), &package.allCatalogFiles()}) {
        for (const std::string& path : *list) {
            driver.files.push_back(packFile(path));
        }
    }
    if (std::optional<MediumProblem> problem = firstMediumProblem(package)) {
        driver.missing = problem->failure;
    }
}

namespace {

std::string driverVerOf(const InfReader& inf) {
    const std::string date = inf.GetValue("Version", "", "DriverVer", 1);
    const std::string version = inf.GetValue("Version", "", "DriverVer", 2);
    return version.empty() ? date : date + "," + version;
}

// Whether the binary is built for another machine than the target's: an
// image that cannot be read is left to the load check.
bool builtForOtherMachine(const std::string& path, Architecture architecture) {
    const std::optional<std::string> bytes = readFileAtMost(path, 64U << 20U);
    if (!bytes || !looksLikePeImage(*bytes)) {
        return false;
    }
    Result<PeImage> image = readPeImage(*bytes, path);
    if (!image) {
        return false;
    }
    const std::uint16_t wanted =
        architecture == Architecture::Amd64 ? kPeMachineX64 : kPeMachineX86;
    return image->machine != wanted;
}

class PackWalk {
public:
    PackWalk(std::string root, const WindowsTarget& target, const StopCheck& stop)
        : target_(target), stop_(stop) {
        pack_.root = std::move(root);
        realRoot_ = realPath(pack_.root).value_or(pack_.root);
    }

    Result<DriverPack> run() {
        if (Outcome walked = walk(pack_.root); !walked) {
            return walked.failure();
        }
        if (pack_.drivers.empty()) {
            return Failure::refusal(
                translated("ドライバパック %1 に組み込めるドライバがありません。", {pack_.root}),
                pack_.root,
                pack_.otherSystems == 0
                    ? translated(
                          "TXTSETUP.OEM も、クラスが SCSIAdapter か hdc の INF もありません。")
                    : translated("ほかのシステム用のドライバ %1 個のほかにはありません。",
                                 {std::to_string(pack_.otherSystems)}));
        }
        return std::move(pack_);
    }

private:
    Outcome walk(const std::string& folder) {
        if (stopAsked(stop_)) {
            return Failure::refusal(translated("ドライバパックの読み込みを中止しました。"),
                                    pack_.root, "");
        }
        std::optional<std::vector<std::string>> names = folderEntries(folder);
        if (!names) {
            return Failure::refusal(translated("ドライバパックのフォルダを読めません。"), folder,
                                    translated("フォルダを開けません。"));
        }
        std::sort(names->begin(), names->end());
        std::vector<std::string> folders;
        std::vector<std::string> infs;
        std::string oem;
        for (const std::string& name : *names) {
            const std::string path = joinPath(folder, name);
            struct stat st {};
            if (::lstat(path.c_str(), &st) != 0) {
                continue;
            }
            if (S_ISLNK(st.st_mode)) {
                const LinkTarget link = followLink(path, realRoot_);
                if (link.leads == LinkTarget::Leads::Outside) {
                    return Failure::refusal(
                        translated("ドライバパック %1 にパックの外を指すリンクがあります。",
                                   {pack_.root}),
                        path, translated("リンク先 %1 はパックの外です。", {hostRealPath(path)}));
                }
                // A link inside the pack is not walked: what it leads to is
                // walked where it lies.
                continue;
            }
            if (S_ISDIR(st.st_mode)) {
                folders.push_back(path);
            } else if (S_ISREG(st.st_mode)) {
                const std::string folded = foldHostText(name);
                if (folded == "TXTSETUP.OEM") {
                    oem = path;
                } else if (folded.ends_with(".INF")) {
                    infs.push_back(path);
                }
            }
        }
        // A TXTSETUP.OEM that cannot be read, or whose entries name no
        // driver file, gives setup nothing to load: the folder's INFs stand
        // in for it, as they do where there is none.
        if (oem.empty() || !readOem(oem)) {
            for (const std::string& inf : infs) {
                readInf(inf);
            }
        }
        for (const std::string& sub : folders) {
            if (Outcome walked = walk(sub); !walked) {
                return walked;
            }
        }
        return {};
    }

    void readInf(const std::string& path) {
        InfReader inf(path);
        if (!inf.file().isOpen()) {
            return;
        }
        const std::string className = foldSetupText(inf.GetValue("Version", "", "Class", 1));
        if (className != "SCSIADAPTER" && className != "HDC") {
            return;
        }
        inf.setArchitecture(target_.architecture);
        DriverPackage package;
        inf.ReadDriverPackage(package, target_.version);
        if (package.hardwareIdToService().empty()) {
            ++pack_.otherSystems;
            return;
        }
        PackDriver driver;
        driver.source = path;
        driver.shown = relativeTo(pack_.root, path);
        driver.driverVer = driverVerOf(inf);
        describePackage(package, driver);
        pack_.drivers.push_back(std::move(driver));
    }

    // The entry's own INF, read for the target: nothing when it has none.
    std::optional<InfReader> entryInf(const TxtsetupOem& oem, const OemEntry& entry) {
        for (const OemFileLine& line : entry.files) {
            if (line.kind != "inf") {
                continue;
            }
            Result<std::string> path = oemFilePath(oem, line);
            if (path && existsAsFile(*path)) {
                InfReader inf(*path);
                inf.setArchitecture(target_.architecture);
                return inf;
            }
        }
        return std::nullopt;
    }

    // Whether the file has an entry with a driver file, for the target or
    // not.
    bool readOem(const std::string& path) {
        Result<TxtsetupOem> oem = readTxtsetupOem(path);
        if (!oem) {
            return false;
        }
        const std::string folder = folderPart(path);
        bool anyDriver = false;
        for (const OemEntry& entry : oem->entries) {
            if (entry.driver() == nullptr) {
                continue;
            }
            anyDriver = true;
            DriverPackage package;
            addOemEntry(*oem, entry, package);
            PackDriver driver;
            driver.source = folder;
            driver.entryId = oemShown(entry.id);
            driver.shown = relativeTo(pack_.root, path) + " [" + driver.entryId + "]";
            describePackage(package, driver);
            bool other = std::any_of(driver.binaries.begin(), driver.binaries.end(),
                                     [&](const std::string& binary) {
                                         return builtForOtherMachine(binary, target_.architecture);
                                     });
            if (std::optional<InfReader> inf = entryInf(*oem, entry)) {
                driver.driverVer = driverVerOf(*inf);
                DriverPackage forTarget;
                inf->ReadDriverPackage(forTarget, target_.version);
                other = other || forTarget.hardwareIdToService().empty();
            }
            if (other) {
                ++pack_.otherSystems;
                continue;
            }
            pack_.drivers.push_back(std::move(driver));
        }
        return anyDriver;
    }

    const WindowsTarget& target_;
    const StopCheck& stop_;
    DriverPack pack_;
    std::string realRoot_;
};

} // namespace

Result<DriverPack> readDriverPack(const std::string& folder, const WindowsTarget& target,
                                  const StopCheck& stop) {
    const std::string root = withoutTrailingSlash(makeAbsolute(folder));
    if (!existsAsFolder(root)) {
        return Failure::refusal(translated("ドライバパックのフォルダがありません。"), root,
                                translated("フォルダではないか、ありません。"));
    }
    return PackWalk(root, target, stop).run();
}

} // namespace ornibe
