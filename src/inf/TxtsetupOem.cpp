#include "inf/TxtsetupOem.h"

#include "inf/InfFile.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"
#include "sys/PathUnderRoot.h"
#include "sys/TextEncoding.h"

#include <algorithm>
#include <cctype>

namespace ornibe {
namespace {

std::string field(const InfFile& file, InfPosition at, std::size_t index) {
    return cp932ToUtf8(file.stringField(at, index).value_or(std::string()));
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

void readConfig(const InfFile& file, OemEntry& entry) {
    // The documented name is the driver key's; real files also name the
    // section after the entry, with or without the component.
    std::vector<std::string> names;
    if (const OemFileLine* driver = entry.driver(); driver && !driver->driverKey.empty()) {
        names.push_back("Config." + driver->driverKey);
    }
    names.push_back("Config." + entry.id);
    names.push_back("Config.scsi." + entry.id);
    for (const std::string& name : names) {
        std::string section = utf8ToCp932(name);
        if (file.lineCount(section) < 0) {
            continue;
        }
        entry.configSection = name;
        forLines(file, section, [&](InfPosition at) {
            if (!equalsSetupNoCase(field(file, at, 0), "value")) {
                return;
            }
            OemConfigValue value{field(file, at, 1), field(file, at, 2), field(file, at, 3), {}};
            for (std::size_t i = 4; i <= file.fieldCount(at); ++i) {
                value.data.push_back(field(file, at, i));
            }
            entry.config.push_back(std::move(value));
        });
        return;
    }
}

} // namespace

const OemFileLine* OemEntry::driver() const {
    auto found = std::find_if(files.begin(), files.end(),
                              [](const OemFileLine& line) { return line.kind == "driver"; });
    return found == files.end() ? nullptr : &*found;
}

std::string TxtsetupOem::shown(const std::string& hostPath) const {
    if (image.empty() || !hostPath.starts_with(imageFolder)) {
        return hostPath;
    }
    std::string inside = hostPath.substr(imageFolder.size());
    return image + ":" + (inside.starts_with('/') ? inside : "/" + inside);
}

const OemDisk* TxtsetupOem::disk(std::string_view id) const {
    auto found = std::find_if(disks.begin(), disks.end(),
                              [&](const OemDisk& disk) { return equalsSetupNoCase(disk.id, id); });
    return found == disks.end() ? nullptr : &*found;
}

const OemEntry* TxtsetupOem::entry(std::string_view id) const {
    auto found = std::find_if(entries.begin(), entries.end(), [&](const OemEntry& entry) {
        return equalsSetupNoCase(entry.id, id);
    });
    return found == entries.end() ? nullptr : &*found;
}

Result<TxtsetupOem> readTxtsetupOem(const std::string& path) {
    const std::string headline = path + " はドライバディスクの TXTSETUP.OEM として読めません。";
    Result<InfFile, InfProblem> read = InfFile::read(path, InfStyle::OemFile);
    if (!read) {
        return Failure::refusal(headline, path, read.failure().text());
    }
    const InfFile& file = *read;
    if (file.lineCount("scsi") < 0) {
        return Failure::refusal(headline, path, "[scsi] セクションがありません。");
    }
    TxtsetupOem oem;
    oem.path = path;
    oem.root = folderPart(path);
    forLines(file, "Disks", [&](InfPosition at) {
        oem.disks.push_back(
            {field(file, at, 0), field(file, at, 1), field(file, at, 2), field(file, at, 3)});
    });
    forLines(file, "scsi", [&](InfPosition at) {
        OemEntry entry;
        entry.id = field(file, at, 0);
        entry.description = field(file, at, 1);
        entry.keyName = field(file, at, 2);
        if (entry.id.empty() || oem.entry(entry.id) != nullptr) {
            return;
        }
        const std::string id = utf8ToCp932(entry.id);
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
        return Failure{"open", oem.path, "[Disks] にディスク " + file.disk + " がありません。"};
    }
    std::string relative = disk->directory;
    while (!relative.empty() && (relative.front() == '\\' || relative.front() == '/')) {
        relative.erase(0, 1);
    }
    relative += (relative.empty() ? "" : "\\") + file.name;
    RootedPath rooted = pathUnderRoot(oem.root, relative, NameCase::Ignore);
    if (!rooted) {
        return Failure{"open", joinPath(oem.root, relative), rooted.failure().reason};
    }
    return *rooted;
}

} // namespace ornibe
