#include "inf/TxtsetupOem.h"

#include "inf/InfFile.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"
#include "sys/PathUnderRoot.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

namespace ornibe {
namespace {

std::string field(const InfFile& file, InfPosition at, std::size_t index) {
    return file.stringField(at, index).value_or(std::string());
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Each line of the section in order; lines of a section named twice are
// read as one section, as setup reads them.
template <typename Each> void forLines(const InfFile& file, std::string_view section, Each each) {
    for (std::optional<InfPosition> at = file.findFirstLine(section); at;
         at = file.findNextLine(*at)) {
        each(*at);
    }
}

std::vector<OemFileLine> readFiles(const InfFile& file, const std::string& section) {
    std::vector<OemFileLine> files;
    forLines(file, section, [&](InfPosition at) {
        files.push_back({lower(field(file, at, 0)), field(file, at, 1), field(file, at, 2),
                         field(file, at, 3)});
    });
    return files;
}

std::string serviceOf(const OemFileLine& driver) {
    std::size_t dot = driver.name.rfind('.');
    return dot == std::string::npos ? driver.name : driver.name.substr(0, dot);
}

// The lower-case key of an ID in the indexes; setup compares IDs ignoring
// the case of ASCII letters.
std::string indexKey(std::string_view id) {
    return lower(std::string(id));
}

// Each driver line's values come from its own Config.driverkey section,
// under its own service. The documented name is the driver key's; real
// files also name the first driver's section after the entry, with or
// without the component.
void readConfig(const InfFile& file, OemEntry& entry) {
    std::vector<const OemFileLine*> drivers = entry.drivers();
    // The sections read, folded as setup compares their names.
    std::unordered_set<std::string> read;
    for (std::size_t i = 0; i < drivers.size(); ++i) {
        std::vector<std::string> names;
        if (!drivers[i]->driverKey.empty()) {
            names.push_back("Config." + drivers[i]->driverKey);
        }
        if (i == 0) {
            names.push_back("Config." + entry.id);
            names.push_back("Config.scsi." + entry.id);
        }
        for (const std::string& name : names) {
            if (file.lineCount(name) < 0) {
                continue;
            }
            if (!read.insert(foldSetupText(name)).second) {
                break;
            }
            entry.configSections.push_back(name);
            const std::string service = serviceOf(*drivers[i]);
            forLines(file, name, [&](InfPosition at) {
                if (!equalsSetupNoCase(field(file, at, 0), "value")) {
                    return;
                }
                OemConfigValue value{
                    service, name, field(file, at, 1), field(file, at, 2), field(file, at, 3), {}};
                for (std::size_t f = 4; f <= file.fieldCount(at); ++f) {
                    value.data.push_back(field(file, at, f));
                }
                entry.config.push_back(std::move(value));
            });
            break;
        }
    }
}

} // namespace

const OemFileLine* OemEntry::driver() const {
    auto found = std::find_if(files.begin(), files.end(),
                              [](const OemFileLine& line) { return line.kind == "driver"; });
    return found == files.end() ? nullptr : &*found;
}

std::vector<const OemFileLine*> OemEntry::drivers() const {
    std::vector<const OemFileLine*> lines;
    for (const OemFileLine& line : files) {
        if (line.kind == "driver") {
            lines.push_back(&line);
        }
    }
    return lines;
}

std::string oemShown(std::string_view bytes) {
    return cp932ToUtf8(bytes);
}

std::string TxtsetupOem::shown(const std::string& hostPath) const {
    if (image.empty() || !hostPath.starts_with(imageFolder)) {
        return hostPath;
    }
    std::string inside = hostPath.substr(imageFolder.size());
    return image + ":" + (inside.starts_with('/') ? inside : "/" + inside);
}

const OemDisk* TxtsetupOem::disk(std::string_view id) const {
    auto found = diskIndex.find(indexKey(id));
    return found == diskIndex.end() ? nullptr : &disks[found->second];
}

const OemEntry* TxtsetupOem::entry(std::string_view id) const {
    auto found = entryIndex.find(indexKey(utf8ToCp932(id)));
    return found == entryIndex.end() ? nullptr : &entries[found->second];
}

Result<TxtsetupOem> readTxtsetupOem(const std::string& path) {
    const std::string headline =
        translated("%1 はドライバディスクの TXTSETUP.OEM として読めません。", {path});
    Result<InfFile, InfProblem> read = InfFile::read(path, InfStyle::OemFile);
    if (!read) {
        return Failure::refusal(headline, path, read.failure().text());
    }
    const InfFile& file = *read;
    if (file.lineCount("scsi") < 0) {
        return Failure::refusal(headline, path, translated("[scsi] セクションがありません。"));
    }
    TxtsetupOem oem;
    oem.path = path;
    oem.root = folderPart(path);
    forLines(file, "Disks", [&](InfPosition at) {
        OemDisk disk{field(file, at, 0), field(file, at, 1), field(file, at, 2),
                     field(file, at, 3)};
        // The first line of an ID is the one setup takes.
        if (oem.diskIndex.emplace(indexKey(disk.id), oem.disks.size()).second) {
            oem.disks.push_back(std::move(disk));
        }
    });
    forLines(file, "scsi", [&](InfPosition at) {
        OemEntry entry;
        entry.id = field(file, at, 0);
        entry.description = field(file, at, 1);
        entry.keyName = field(file, at, 2);
        if (entry.id.empty() ||
            !oem.entryIndex.emplace(indexKey(entry.id), oem.entries.size()).second) {
            return;
        }
        const std::string& id = entry.id;
        entry.hasFiles = file.lineCount("Files.scsi." + id) >= 0;
        entry.files = readFiles(file, "Files.scsi." + id);
        forLines(file, "HardwareIds.scsi." + id, [&](InfPosition line) {
            if (equalsSetupNoCase(field(file, line, 0), "id")) {
                entry.hardwareIds.emplace_back(field(file, line, 1), field(file, line, 2));
            }
        });
        readConfig(file, entry);
        oem.entries.push_back(std::move(entry));
    });
    if (std::optional<InfPosition> line = file.findFirstLine("Defaults", "scsi")) {
        oem.defaultId = field(file, *line, 1);
    }
    if (oem.defaultId.empty() && !oem.entries.empty()) {
        oem.defaultId = oem.entries.front().id;
    }
    return oem;
}

bool isShortFileName(std::string_view name) {
    constexpr std::string_view kNotInNames = " \"*+,/:;<=>?[\\]|";
    if (name.empty() || name.find_first_of(kNotInNames) != std::string_view::npos) {
        return false;
    }
    std::size_t dot = name.find('.');
    if (dot == std::string_view::npos) {
        return name.size() <= 8;
    }
    std::string_view extension = name.substr(dot + 1);
    return dot >= 1 && dot <= 8 && extension.size() <= 3 &&
           extension.find('.') == std::string_view::npos;
}

Result<std::string> oemFilePath(const TxtsetupOem& oem, const OemFileLine& file) {
    const OemDisk* disk = oem.disk(file.disk);
    if (disk == nullptr) {
        return Failure{"open", oem.path,
                       translated("[Disks] にディスク %1 がありません。", {file.disk})};
    }
    std::string_view folder = disk->directory;
    folder.remove_prefix(std::min(folder.find_first_not_of("\\/"), folder.size()));
    const std::string relative =
        oemShown(std::string(folder) + (folder.empty() ? "" : "\\") + file.name);
    RootedPath rooted = pathUnderRoot(oem.root, relative, NameCase::Ignore);
    if (!rooted) {
        return Failure{"open", joinPath(oem.root, relative), rooted.failure().reason};
    }
    return *rooted;
}

} // namespace ornibe
