#include "inf/InfReader.h"

#include "inf/DriverPackage.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/HostPath.h"
#include "sys/PathUnderRoot.h"
#include "sys/TextEncoding.h"
#include "sys/WindowsPath.h"

#include <charconv>
#include <tuple>

namespace ornibe {

namespace {

// The text after the last backslash, the whole text when it has none. A
// trail byte 0x5C of a double-byte character is not a backslash.
std::string afterLastBackslash(std::string_view cp932) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(cp932[i]);
        if (c == '\\')
            start = i + 1;
        else if (isCp932LeadByte(c))
            ++i;
    }
    return std::string(cp932.substr(start));
}

struct DecorationParts {
    std::string_view architecture;
    std::string_view major;
    std::string_view minor;
};

// A TargetOS decoration such as NTx86.5.1 in its architecture, major and
// minor parts; what follows a third period (the product type) is dropped.
DecorationParts splitDecoration(std::string_view text) {
    DecorationParts parts;
    std::string_view* slots[] = {&parts.architecture, &parts.major, &parts.minor};
    for (std::string_view* slot : slots) {
        auto dot = text.find('.');
        *slot = text.substr(0, dot);
        if (dot == std::string_view::npos)
            break;
        text.remove_prefix(dot + 1);
    }
    return parts;
}

std::optional<unsigned> parseNumber(std::string_view text) {
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

InfReader::InfReader() = default;

InfReader::InfReader(const std::string& path) : InfReader(InfFile::read(path), path) {}

InfReader::InfReader(Result<InfFile, InfProblem> read, const std::string& path)
    : file_(read ? *read : InfFile()), problem_(read ? InfProblem() : read.failure()), path_(path),
      folder_(folderPart(path)), decorations_{".NTX86", ".NT", ".X86", ""} {}

InfReader InfReader::fromBytes(const std::string& path, std::string bytes) {
    return InfReader(InfFile::readBytes(std::move(bytes)), path);
}

InfReader InfReader::refused(const std::string& path, InfProblem problem) {
    return InfReader(std::move(problem), path);
}

bool InfReader::OpenChecked(const std::string& path) {
    path_ = path;
    Result<InfFile, InfProblem> read = InfFile::read(path);
    file_ = read ? *read : InfFile();
    problem_ = read ? InfProblem() : read.failure();
    return file_.isOpen();
}

void InfReader::setArchitecture(Architecture architecture) {
    architecture_ = architecture;
    if (!decorations_.empty()) {
        decorations_ = infDecorations(architecture);
    }
}

void InfReader::Close() {
    file_ = InfFile();
}

std::optional<std::string> InfReader::existingDecoratedSection(std::string_view base,
                                                               std::string_view suffix) const {
    for (const std::string& decoration : decorations_) {
        std::string name;
        name.reserve(base.size() + decoration.size() + suffix.size());
        name.append(base).append(decoration).append(suffix);
        if (file_.lineCount(name) != -1)
            return name;
    }
    return std::nullopt;
}

std::string InfReader::FindDecoratedSection(std::string_view base, std::string_view suffix) const {
    return existingDecoratedSection(base, suffix).value_or(std::string());
}

std::optional<InfPosition> InfReader::findDecoratedLine(std::string_view base,
                                                        std::string_view suffix,
                                                        std::string_view key) const {
    auto section = existingDecoratedSection(base, suffix);
    if (!section)
        return std::nullopt;
    return file_.findFirstLine(*section, key);
}

std::string InfReader::GetValue(std::string_view base, std::string_view suffix,
                                std::string_view key, std::size_t field) const {
    auto line = findDecoratedLine(base, suffix, key);
    return line ? GetField(*line, field) : std::string();
}

std::string InfReader::GetField(InfPosition position, std::size_t field) const {
    return file_.stringField(position, field).value_or(std::string());
}

std::string InfReader::mediumPath(std::initializer_list<std::string_view> parts,
                                  DriverPackage* package) const {
    // Windows path parts become one relative host path: backslashes turn
    // into "/", and empty parts and repeated separators fall away, so that
    // a subfolder written "x86" is a folder of its own, not a suffix of the
    // disk path.
    std::string relative;
    for (std::string_view part : parts) {
        const std::string utf8 = cp932ToUtf8(part);
        for (std::string_view component : splitWindowsPath(utf8)) {
            if (component != ".") {
                relative += (relative.empty() ? "" : "/") + std::string(component);
            }
        }
    }
    // Driver media carry names whose letter case differs from their INF:
    // the entry that exists is used. Whatever the INF names must lie inside
    // its own folder: a path that climbs out of it (or passes a link) is
    // not used, and is recorded so that the driver stage can refuse it.
    RootedPath found = pathUnderRoot(folder_, relative, NameCase::Ignore);
    if (!found) {
        if (package != nullptr)
            package->addRefusedPath(Failure{"open", path_, found.failure().reason});
        return std::string();
    }
    return *found;
}

std::string InfReader::GetCatalogPath() const {
    return catalogPath(nullptr);
}

std::string InfReader::catalogPath(DriverPackage* package) const {
    for (const std::string& decoration : infDecorations(architecture_)) {
        auto line = file_.findFirstLine("version", std::string("CatalogFile").append(decoration));
        if (!line)
            continue;
        std::string name = GetField(*line, 1);
        return name.empty() ? std::string() : mediumPath({name}, package);
    }
    return std::string();
}

std::string InfReader::FindModelsSection(WindowsVersion version) const {
    auto first = file_.findFirstLine("Manufacturer");
    if (!first)
        return std::string();
    return modelsSectionOf(*first, version);
}

std::string InfReader::modelsSectionOf(InfPosition manufacturerLine, WindowsVersion version) const {
    return modelsSectionOf(manufacturerLine, WindowsTarget{version, architecture_, {}});
}

std::string InfReader::modelsSectionOf(InfPosition manufacturerLine,
                                       const WindowsTarget& target) const {
    const Architecture architecture = target.architecture;
    std::size_t count = file_.fieldCount(manufacturerLine);
    std::string models = GetField(manufacturerLine, count >= 1 ? 1 : 0);
    const bool amd64 = architecture == Architecture::Amd64;
    // x64 setup takes only models decorated for it: without a decoration
    // that fits there are none.
    const std::string none = amd64 ? std::string() : models;
    if (count <= 1)
        return none;
    if (target.version == WindowsVersion::Windows2000 && !amd64)
        return models;

    // Among the TargetOS decorations, Windows XP and Server 2003 setup on an
    // x86 system take those for x86 or for any architecture ("NT",
    // "NTx86", "NTx86.5.1", ...) whose version is not above the running
    // system, and of them the one with the highest version; at equal
    // version one naming x86 wins over plain NT. When none fits, the
    // undecorated models section is used.
    const std::pair<unsigned, unsigned> running = amd64 ? ntVersion(target)
                                                  : target.version == WindowsVersion::Server2003
                                                      ? std::pair{5u, 2u}
                                                      : std::pair{5u, 1u};
    std::optional<std::tuple<unsigned, unsigned, int>> best;
    std::string bestText;
    InfFile::Values values = file_.values(manufacturerLine);
    values.next();
    while (auto value = values.next()) {
        std::string_view text = *value;
        DecorationParts parts = splitDecoration(text);
        int architectureRank;
        if (equalsSetupNoCase(parts.architecture, modelsDecoration(architecture)))
            architectureRank = 1;
        else if (!amd64 && equalsSetupNoCase(parts.architecture, "NT"))
            architectureRank = 0;
        else
            continue;
        unsigned major = 0;
        unsigned minor = 0;
        if (!parts.major.empty()) {
            auto m = parseNumber(parts.major);
            if (!m)
                continue;
            major = *m;
            if (!parts.minor.empty()) {
                auto n = parseNumber(parts.minor);
                if (!n)
                    continue;
                minor = *n;
            }
        }
        if (std::pair{major, minor} > running)
            continue;
        std::tuple<unsigned, unsigned, int> rank{major, minor, architectureRank};
        if (!best || rank > *best) {
            best = rank;
            bestText.assign(text);
        }
    }
    if (!best)
        return none;
    return models + "." + bestText;
}

std::string InfReader::FindMiniportBinary(std::string_view installSection) const {
    auto services = existingDecoratedSection(installSection, ".Services");
    if (!services)
        return std::string();
    std::string binaryPath;
    for (std::size_t i = 0;; ++i) {
        auto line = file_.lineByIndex(*services, i);
        if (!line)
            break;
        std::string serviceInstall = GetField(*line, 3);
        std::string group = GetValue(serviceInstall, "", "LoadOrderGroup", 1);
        if (equalsSetupNoCase(group, "SCSI Miniport")) {
            binaryPath = GetValue(serviceInstall, "", "ServiceBinary", 1);
            break;
        }
    }
    return afterLastBackslash(binaryPath);
}

void InfReader::CollectCopyFiles(std::string_view installSection, std::string_view suffix,
                                 DriverPackage& package) const {
    auto section = existingDecoratedSection(installSection, suffix);
    if (!section)
        return;
    for (auto line = file_.findFirstLine(*section, "CopyFiles"); line;
         line = file_.findNextMatchLine(*line, "CopyFiles")) {
        InfFile::Values values = file_.values(*line);
        while (auto value = values.next()) {
            std::string field(*value);
            if (field.empty())
                continue;
            if (field.front() == '@') {
                AddSourceFile(std::string_view(field).substr(1), GetTargetPath(std::nullopt),
                              package);
                continue;
            }
            auto fileLine = file_.findFirstLine(field);
            if (!fileLine)
                continue;
            std::string target = GetTargetPath(field);
            for (; fileLine; fileLine = file_.findNextLine(*fileLine))
                AddSourceFile(GetField(*fileLine, 1), target, package);
        }
    }
}

void InfReader::CollectCopyInf(std::string_view installSection, std::string_view suffix,
                               DriverPackage& package) const {
    auto section = existingDecoratedSection(installSection, suffix);
    if (!section)
        return;
    for (auto line = file_.findFirstLine(*section, "CopyINF"); line;
         line = file_.findNextMatchLine(*line, "CopyINF")) {
        InfFile::Values values = file_.values(*line);
        while (auto value = values.next()) {
            std::string name(*value);
            if (name.empty())
                continue;
            if (std::string path = mediumPath({name}, &package); !path.empty())
                package.AddInfFile(std::move(path));
        }
    }
}

void InfReader::AddSourceFile(std::string_view fileName, std::string_view absoluteTarget,
                              DriverPackage& package) const {
    if (fileName.empty())
        return;
    std::string diskId;
    std::string subfolder;
    if (auto line = findDecoratedLine("SourceDisksFiles", "", fileName)) {
        diskId = GetField(*line, 1);
        subfolder = GetField(*line, 2);
    }
    std::string diskPath;
    if (!diskId.empty())
        diskPath = GetValue("SourceDisksNames", "", diskId, 4);
    std::string path = mediumPath({diskPath, subfolder, fileName}, &package);
    if (!path.empty())
        package.AddFileTarget(std::move(path), absoluteTarget);
}

std::string InfReader::GetTargetPath(std::optional<std::string_view> section) const {
    return file_.destinationFolder(section).value_or(std::string());
}

void InfReader::readModels(const std::string& modelsSection, DriverPackage& package,
                           OrderedTextMap& installSections) const {
    if (modelsSection.empty())
        return;
    for (std::size_t i = 0;; ++i) {
        auto line = file_.lineByIndex(modelsSection, i);
        if (!line)
            break;
        std::string installSection = GetField(*line, 1);
        std::string service;
        if (const std::string* known = installSections.find(installSection)) {
            service = *known;
        } else {
            std::string binary = FindMiniportBinary(installSection);
            if (auto dot = binary.rfind('.'); dot != std::string::npos)
                service = binary.substr(0, dot);
            installSections.insert(installSection, service);
            if (!binary.empty())
                package.AddServiceBinary(binary);
        }
        if (!service.empty())
            package.AddHardwareId(GetField(*line, 2), service);
        package.AddDescription(GetField(*line, 0), service);
    }
}

void InfReader::ReadDriverPackage(DriverPackage& package, WindowsVersion version) const {
    if (std::string catalog = catalogPath(&package); !catalog.empty())
        package.AddCatalogFile(catalog);
    OrderedTextMap installSections;
    readModels(FindModelsSection(version), package, installSections);
    for (const auto& [name, service] : installSections) {
        CollectCopyFiles(name, "", package);
        CollectCopyFiles(name, ".CoInstallers", package);
        CollectCopyInf(name, "", package);
        CollectCopyInf(name, ".CoInstallers", package);
    }
    package.AddInfFile(path_);
}

} // namespace ornibe
