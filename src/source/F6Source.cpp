#include "source/F6Source.h"

#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "inf/OemEntryPackage.h"
#include "media/FloppyImage.h"
#include "settings/BuildSettings.h"
#include "source/DriverMedium.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <unordered_set>

namespace ornibe {
namespace {

bool endsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() > end.size() && equalsHostNoCase(text.substr(text.size() - end.size()), end);
}

// The root's, then the tree's own architecture's, then the other's: a
// floppy with both sets gives an x64 tree its amd64 set.
std::optional<std::string> txtsetupOemIn(const std::string& folder, Architecture architecture) {
    const bool x64 = architecture == Architecture::Amd64;
    const std::array<std::string_view, 3> places = {
        "TXTSETUP.OEM", x64 ? "amd64/TXTSETUP.OEM" : "i386/TXTSETUP.OEM",
        x64 ? "i386/TXTSETUP.OEM" : "amd64/TXTSETUP.OEM"};
    for (std::string_view relative : places) {
        if (std::optional<std::string> found = findNoCase(folder, relative);
            found && existsAsFile(*found)) {
            return found;
        }
    }
    return std::nullopt;
}

Result<TxtsetupOem> readFromFolder(const std::string& folder, const std::string& source,
                                   Architecture architecture) {
    if (std::optional<std::string> found = txtsetupOemIn(folder, architecture)) {
        return readTxtsetupOem(*found);
    }
    return Failure::refusal(translated("%1 はドライバディスクとして読めません。", {source}), source,
                            translated("TXTSETUP.OEM がありません（ルートにも i386、amd64 "
                                       "フォルダにもありません）。"));
}

bool startsWithNoCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && equalsHostNoCase(text.substr(0, start.size()), start);
}

// The service names an INF's services sections add.
std::vector<std::string> addedServices(const std::string& infPath) {
    std::vector<std::string> services;
    InfReader reader(infPath);
    const InfFile& file = reader.file();
    for (const std::string& section : file.sectionNames()) {
        if (!endsWithNoCase(section, ".Services")) {
            continue;
        }
        for (std::optional<InfPosition> at = file.findFirstLine(section, "AddService"); at;
             at = file.findNextMatchLine(*at, "AddService")) {
            services.push_back(cp932ToUtf8(reader.GetField(*at, 1)));
        }
    }
    return services;
}

} // namespace

bool folderHoldsTxtsetupOem(const std::string& folder) {
    return txtsetupOemIn(folder, Architecture::X86).has_value();
}

bool isF6Source(const std::string& path) {
    return (existsAsFolder(path) && folderHoldsTxtsetupOem(path)) ||
           (existsAsFile(path) && (endsWithNoCase(fileName(path), ".oem") || isFloppyImage(path)));
}

Result<TxtsetupOem> readF6Source(const std::string& source, Architecture architecture,
                                 const ToolSearch& tools, const StopCheck& stop) {
    if (existsAsFolder(source)) {
        return readFromFolder(source, source, architecture);
    }
    if (endsWithNoCase(fileName(source), ".oem")) {
        return readTxtsetupOem(source);
    }
    Result<std::string> folder = floppyImageFolder(source, tools, stop);
    if (!folder) {
        return Failure::refusal(translated("%1 はフロッピーイメージとして読めません。", {source}),
                                source, folder.failure().line());
    }
    Result<TxtsetupOem> oem = readFromFolder(*folder, source, architecture);
    if (oem) {
        oem->image = source;
        oem->imageFolder = *folder;
    }
    return oem;
}

Outcome oemEntryFilesPresent(const TxtsetupOem& oem, const OemEntry& entry) {
    DriverPackage package;
    addOemEntry(oem, entry, package);
    if (std::optional<MediumProblem> problem = firstMediumProblem(package)) {
        return problem->failure;
    }
    return {};
}

bool onlyUnboundIds(const OemEntry& entry) {
    return !entry.hardwareIds.empty() &&
           std::all_of(entry.hardwareIds.begin(), entry.hardwareIds.end(), [](const auto& id) {
               return startsWithNoCase(id.first, "PCI\\CC_") ||
                      startsWithNoCase(id.first, "ROOT\\") ||
                      startsWithNoCase(id.first, "DETECTED\\");
           });
}

std::vector<std::string> oemEntryNotes(const TxtsetupOem& oem, const OemEntry& entry) {
    std::vector<std::string> notes;
    // The texts of the file are shown as host text.
    const std::string service = oemShown(oemEntryService(entry));
    // The drivers' services and the owners already noted, folded as setup
    // compares them, so that an entry of many IDs is noted in linear time.
    std::unordered_set<std::string> services;
    for (const OemFileLine* driver : entry.drivers()) {
        const std::size_t dot = driver->name.rfind('.');
        services.insert(foldSetupText(
            oemShown(dot == std::string::npos ? driver->name : driver->name.substr(0, dot))));
    }
    if (onlyUnboundIds(entry)) {
        notes.push_back(
            translated("警告: ハードウェア ID がクラスコード（PCI\\CC_…）か ROOT\\、DETECTED\\ "
                       "だけなので、テキストモードセットアップがこのドライバを使わないことがあり"
                       "ます。"));
    }
    std::unordered_set<std::string> named;
    for (const auto& [id, ownerBytes] : entry.hardwareIds) {
        const std::string owner = oemShown(ownerBytes);
        const std::string folded = foldSetupText(owner);
        if (!services.contains(folded) && named.insert(folded).second) {
            notes.push_back(
                translated("注意: [HardwareIds] のサービス %1 がドライバのファイル名 %2 "
                           "と違います。%2 として組み込みます。",
                           {owner, service}));
        }
    }
    for (const OemFileLine& file : entry.files) {
        if (file.kind != "inf") {
            continue;
        }
        Result<std::string> path = oemFilePath(oem, file);
        std::vector<std::string> added = path ? addedServices(*path) : std::vector<std::string>{};
        if (!added.empty() &&
            std::none_of(added.begin(), added.end(), [&](const std::string& name) {
                return equalsSetupNoCase(name, service);
            })) {
            notes.push_back(
                translated("注意: %1 の AddService のサービス %2 がドライバのファイル名 %3 "
                           "と違います。",
                           {oemShown(file.name), added.front(), service}));
        }
    }
    // Each section's values in file order, found through one pass.
    std::unordered_map<std::string, std::vector<const OemConfigValue*>> valuesOf;
    for (const OemConfigValue& value : entry.config) {
        valuesOf[value.section].push_back(&value);
    }
    for (const std::string& section : entry.configSections) {
        notes.push_back(translated("レジストリの値: [%1] から", {oemShown(section)}));
        const auto found = valuesOf.find(section);
        if (found == valuesOf.end()) {
            continue;
        }
        for (const OemConfigValue* valuePointer : found->second) {
            const OemConfigValue& value = *valuePointer;
            const std::string owner = oemShown(value.service);
            std::string key = value.subkey.empty() ? owner : owner + "\\" + oemShown(value.subkey);
            std::string data;
            for (const std::string& part : value.data) {
                data += (data.empty() ? "" : ",") + oemShown(part);
            }
            std::string line =
                "  " + key + " " + oemShown(value.name) + " " + oemShown(value.type) + " " + data;
            if (setByServiceLoad(value)) {
                line += translated("（書き込みません。[SCSI.Load] が設定します）");
            }
            notes.push_back(line);
        }
    }
    return notes;
}

void readDriverSources(const BuildSettings& settings, const WindowsTarget& target,
                       const ToolSearch& tools, DriverPackage& package) {
    for (int i = 0; !settings.GetDriverInf(i).empty(); ++i) {
        const std::string source = settings.GetDriverInf(i);
        if (isF6Source(source)) {
            Result<TxtsetupOem> oem = readF6Source(source, target.architecture, tools);
            if (!oem) {
                continue;
            }
            for (const DriverEntryChoice& choice : settings.getDriverEntries()) {
                const OemEntry* entry = oem->entry(choice.id);
                if (choice.source == source && entry != nullptr) {
                    addOemEntry(*oem, *entry, package);
                }
            }
            continue;
        }
        InfReader driver(source);
        // A file that does not open as an INF (no Version signature, or
        // not readable) contributes nothing; staged, it would land in
        // the installation's inf folder as a file that is no INF.
        driver.setArchitecture(target.architecture);
        if (driver.file().isOpen()) {
            driver.ReadDriverPackage(package, target.version);
        }
        driver.Close();
    }
}

} // namespace ornibe
