#include "check/DriverLoadCheck.h"

#include "check/ServiceOrigin.h"
#include "check/TreeCheckParts.h"
#include "source/TargetDetection.h"
#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

#include <sys/stat.h>

#include <algorithm>

namespace ornibe {
namespace {

// A driver or kernel module larger than this is not read: the largest
// kernels are a few megabytes.
constexpr std::uint64_t kMaxModuleBytes = 64ull << 20;

// The MZ header, which ends with where the PE header starts.
constexpr std::size_t kPeHeadBytes = 0x40;

const std::string kKernel = "NTOSKRNL.EXE";
const std::string kHal = "HAL.DLL";

std::string versionText(unsigned subsystem) {
    return std::to_string(subsystem / 10) + "." + std::to_string(subsystem % 10);
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : translated("、")) + name;
    }
    return text;
}

} // namespace

std::string DriverLoadFinding::summaryLine() const {
    return fileName(path) + ": " + (loads() ? translated("読み込める") : problems.front());
}

DriverLoadCheck::DriverLoadCheck(CheckedTree& tree, const InfFile& txtsetup, CdModules* modules)
    : tree_(tree), read_(modules != nullptr ? *modules : ownRead_) {
    if (!txtsetup.isOpen()) {
        return;
    }
    cdKnown_ = true;
    const bool x64 = tree.architecture() == Architecture::Amd64;
    for (std::string_view section :
         {std::string_view("SourceDisksFiles"),
          std::string_view(x64 ? "SourceDisksFiles.amd64" : "SourceDisksFiles.x86")}) {
        for (const auto& line : sectionLines(txtsetup, section)) {
            cdFiles_.insert(foldSetupText(line[0]));
        }
    }
    for (const std::string& section : txtsetup.sectionNames()) {
        const std::string folded = foldSetupText(section);
        if (folded.size() > 5 && folded.ends_with(".LOAD")) {
            for (const auto& line : sectionLines(txtsetup, section)) {
                const std::string& file = line.size() > 1 && !line[1].empty() ? line[1] : line[0];
                if (loadSet_.insert(foldSetupText(file)).second) {
                    loadFiles_.push_back(foldSetupText(file));
                }
            }
        }
    }
    loaded_ = loadSet_;
    loaded_.insert({kKernel, kHal});
    for (std::string_view section :
         {"SourceDisksNames", "SourceDisksNames.x86", "SourceDisksNames.amd64"}) {
        if (auto line = txtsetup.findFirstLine(section, "1")) {
            const WindowsTarget found =
                detectTarget(txtsetup.stringField(*line, 1).value_or(""), tree.architecture());
            // Windows 2000 is 5.0, XP 5.1 (its x64 edition 5.2), 2003 5.2.
            if (found.version != WindowsVersion::Unknown) {
                cdSubsystem_ = found.version == WindowsVersion::Windows2000 ? 50
                               : found.version == WindowsVersion::WindowsXp ? (x64 ? 52 : 51)
                                                                            : 52;
                cdVersion_ = versionText(cdSubsystem_);
            }
            break;
        }
    }
}

const std::optional<std::string>& DriverLoadCheck::moduleKey(const std::string& folded) {
    auto known = keys_.find(folded);
    if (known != keys_.end()) {
        return known->second;
    }
    std::optional<std::string>& key = keys_[folded];
    std::optional<std::string> file = tree_.plainFile(folded);
    if (!file) {
        file = tree_.compressedFile(folded);
    }
    try {
        if (std::optional<std::string> bytes =
                file ? readFileAtMost(*file, kMaxModuleBytes) : std::nullopt) {
            key = CdModules::key(folded, *bytes);
        }
    } catch (const FileError&) {
    }
    return key;
}

std::vector<std::string> DriverLoadCheck::unread(const std::vector<std::string>& names) {
    std::vector<std::string> left;
    for (const std::string& name : names) {
        const std::optional<std::string>& key = moduleKey(foldSetupText(name));
        if (key && read_.find(*key) == nullptr) {
            left.push_back(name);
        }
    }
    return left;
}

const DriverLoadCheck::Module& DriverLoadCheck::module(const std::string& folded) {
    auto known = modules_.find(folded);
    if (known != modules_.end()) {
        return known->second;
    }
    Module& module = modules_[folded];
    module.onCd = cdFiles_.contains(folded) || folded == kKernel || folded == kHal;
    if (!module.onCd) {
        return module;
    }
    module.image = image(folded);
    return module;
}

std::optional<PeImage> DriverLoadCheck::image(const std::string& folded) {
    const std::optional<std::string> key = moduleKey(folded);
    if (!key) {
        return std::nullopt;
    }
    if (const std::optional<PeImage>* read = read_.find(*key)) {
        return *read;
    }
    std::optional<PeImage> image;
    std::optional<std::string> path = tree_.plainFile(folded);
    if (!path) {
        if (std::optional<std::string> cabinet = tree_.compressedFile(folded)) {
            Result<std::string> expanded = tree_.expand(*cabinet, folded);
            if (expanded) {
                path = *expanded;
            }
        }
    }
    if (!path) {
        // A cabinet that does not give the module is tried again by the
        // next check, which then says the same.
        return image;
    }
    try {
        if (std::optional<std::string> bytes = readFileAtMost(*path, kMaxModuleBytes)) {
            if (Result<PeImage> read = readPeImage(*bytes, *path)) {
                image = std::move(*read);
            }
        }
    } catch (const FileError&) {
    }
    read_.add(*key, image);
    return image;
}

void DriverLoadCheck::readAhead(const std::vector<std::string>& names) {
    const std::vector<std::string> left = unread(names);
    tree_.expandAhead(left);
    // What the run took out is read now, so that a later check of the
    // same run finds it without taking it out again.
    for (const std::string& name : left) {
        image(foldSetupText(name));
    }
}

bool DriverLoadCheck::loadedInTextMode(const std::string& folded) {
    if (loaded_.contains(folded)) {
        return true;
    }
    // What the kernel and the load files import is loaded with them. The
    // files are taken out in one run of the cabinet tool for those held
    // compressed and read, for this check and the later ones of the run;
    // their imports are added only as far as the answer needs.
    if (loadFilesRead_ == 0) {
        readAhead(loadFiles_);
        for (const std::string& name : {kKernel, kHal}) {
            if (const auto& image = module(name).image) {
                for (const PeImportedModule& import : image->imports) {
                    loaded_.insert(foldSetupText(import.name));
                }
            }
        }
    }
    while (!loaded_.contains(folded) && loadFilesRead_ < loadFiles_.size()) {
        if (const auto& image = module(loadFiles_[loadFilesRead_++]).image) {
            for (const PeImportedModule& import : image->imports) {
                loaded_.insert(foldSetupText(import.name));
            }
        }
    }
    return loaded_.contains(folded);
}

std::optional<PeImage> DriverLoadCheck::readDriver(const LoadCheckDriver& given,
                                                   DriverLoadFinding& finding) {
    LoadCheckDriver driver = given;
    if (!driver.cabinet.empty()) {
        Result<std::string> expanded = tree_.expand(driver.cabinet, fileName(driver.path));
        if (!expanded) {
            finding.problems.push_back(translated("読めません（%1）", {expanded.failure().reason}));
            return std::nullopt;
        }
        driver.path = *expanded;
    }
    std::string bytes;
    try {
        // A file without the signatures of a PE image is told by its first
        // bytes, without reading it whole.
        const std::string head = readFileHead(driver.path, kPeHeadBytes);
        const std::uint64_t peAt =
            head.size() == kPeHeadBytes
                ? std::uint64_t(static_cast<unsigned char>(head[0x3C])) |
                      std::uint64_t(static_cast<unsigned char>(head[0x3D])) << 8 |
                      std::uint64_t(static_cast<unsigned char>(head[0x3E])) << 16 |
                      std::uint64_t(static_cast<unsigned char>(head[0x3F])) << 24
                : 0;
        if (!head.starts_with("MZ") || peAt == 0 ||
            readFileHead(driver.path, 4, peAt) != std::string_view("PE\0\0", 4)) {
            finding.notAnImage = true;
            return std::nullopt;
        }
        std::optional<std::string> read = readFileAtMost(driver.path, kMaxModuleBytes);
        if (!read) {
            finding.problems.push_back(translated("ファイルが大きすぎて読めません"));
            return std::nullopt;
        }
        bytes = std::move(*read);
    } catch (const FileError& error) {
        finding.problems.push_back(translated("読めません（%1）", {error.reason()}));
        return std::nullopt;
    }
    if (!looksLikePeImage(bytes)) {
        finding.notAnImage = true;
        return std::nullopt;
    }
    Result<PeImage> image = readPeImage(bytes, driver.path);
    if (!image) {
        finding.problems.push_back(image.failure().reason);
        return std::nullopt;
    }
    return std::move(*image);
}

void DriverLoadCheck::judge(const LoadCheckDriver& driver, const PeImage& image,
                            const std::set<std::string>& own, DriverLoadFinding& finding) {
    const bool x64 = tree_.architecture() == Architecture::Amd64;
    if (image.machine != (x64 ? kPeMachineX64 : kPeMachineX86)) {
        finding.problems.push_back(translated("%1 用に作られていて、%2 の CD では読み込めません",
                                              {peMachineName(image.machine), x64 ? "x64" : "x86"}));
    }
    const unsigned asked = image.subsystemMajor * 10u + std::min<unsigned>(image.subsystemMinor, 9);
    if (cdSubsystem_ != 0 && asked > cdSubsystem_) {
        finding.notes.push_back(translated("Windows %1 向けに作られています（この CD は %2）",
                                           {versionText(asked), cdVersion_}));
    }
    for (const PeImportedModule& import : image.imports) {
        const std::string folded = foldSetupText(import.name);
        if (!cdKnown_ || own.contains(folded)) {
            continue;
        }
        const Module& cd = module(folded);
        if (!cd.onCd) {
            finding.problems.push_back(
                translated("取り込むモジュール %1 が CD にありません", {import.name}));
            continue;
        }
        if (driver.textMode && !loadedInTextMode(folded)) {
            finding.problems.push_back(
                translated("取り込むモジュール %1 をテキストモード セットアップが読み込みません",
                           {import.name}));
        }
        if (!cd.image) {
            continue;
        }
        std::vector<std::string> missing;
        for (const std::string& function : import.functions) {
            if (!cd.image->exports(function)) {
                missing.push_back(function);
            }
        }
        if (!missing.empty()) {
            finding.problems.push_back(translated("CD の %1 にない関数を取り込みます: %2",
                                                  {import.name, joined(missing)}));
        }
    }
}

std::vector<DriverLoadFinding> DriverLoadCheck::check(const std::vector<LoadCheckDriver>& drivers) {
    std::set<std::string> own;
    for (const LoadCheckDriver& driver : drivers) {
        if (driver.textMode) {
            own.insert(foldHostText(fileName(driver.path)));
        }
    }
    // The drivers held only compressed, taken out in one run of the
    // cabinet tool.
    std::vector<std::pair<std::string, std::string>> packed;
    for (const LoadCheckDriver& driver : drivers) {
        if (!driver.cabinet.empty()) {
            packed.emplace_back(driver.cabinet, fileName(driver.path));
        }
    }
    tree_.expandAll(packed);
    std::vector<DriverLoadFinding> findings;
    std::vector<std::optional<PeImage>> images;
    // The CD's modules the drivers import, taken out of their cabinets in
    // one run of the cabinet tool, with the load files when a module is
    // not known to be loaded without them.
    std::vector<std::string> modules{kKernel, kHal};
    bool needLoadFiles = false;
    for (const LoadCheckDriver& driver : drivers) {
        findings.push_back({driver.shown.empty() ? driver.path : driver.shown, {}, {}});
        images.push_back(readDriver(driver, findings.back()));
        for (const PeImportedModule& import :
             images.back() ? images.back()->imports : std::vector<PeImportedModule>{}) {
            const std::string folded = foldSetupText(import.name);
            if (cdFiles_.contains(folded) && !modules_.contains(folded)) {
                modules.push_back(folded);
            }
            needLoadFiles = needLoadFiles || (driver.textMode && !loaded_.contains(folded));
        }
    }
    const bool anyImage = std::any_of(images.begin(), images.end(),
                                      [](const auto& image) { return image.has_value(); });
    if (cdKnown_ && anyImage) {
        if (needLoadFiles) {
            modules.insert(modules.end(), loadFiles_.begin(), loadFiles_.end());
        }
        readAhead(modules);
    }
    for (std::size_t i = 0; i < drivers.size(); ++i) {
        if (images[i]) {
            judge(drivers[i], *images[i], own, findings[i]);
        }
    }
    return findings;
}

void addDriverLoadFindings(const std::vector<DriverLoadFinding>& findings, bool alone,
                           TreeCheckReport& report) {
    for (const DriverLoadFinding& finding : findings) {
        for (const std::string& problem : finding.problems) {
            report.problem(
                translated("ドライバ %1 は読み込めません: %2。", {finding.path, problem}));
        }
        for (const std::string& note : finding.notes) {
            report.note(translated("ドライバ %1: %2。", {finding.path, note}));
        }
        if (alone && finding.notAnImage) {
            report.note(translated(
                "ドライバ %1 は PE イメージではないので、読み込めるかは確かめていません。",
                {finding.path}));
        } else if (alone && finding.loads()) {
            report.note(translated("ドライバ %1 は読み込めます。", {finding.path}));
        }
    }
}

namespace {

// How deep below a driver folder its files are looked for: a driver's own
// subfolders are a level or two.
constexpr int kMaxPnpDepth = 8;

// The .sys files below folder (shown as the messages name it), without
// following a link.
void addPnpDriverFiles(const std::string& folder, const std::string& shown, int depth,
                       std::vector<LoadCheckDriver>& drivers) {
    std::vector<std::string> names = folderEntries(folder).value_or(std::vector<std::string>{});
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = joinPath(folder, name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            continue;
        }
        if (S_ISDIR(st.st_mode) && depth < kMaxPnpDepth) {
            addPnpDriverFiles(path, shown + "\\" + name, depth + 1, drivers);
        } else if (S_ISREG(st.st_mode) && foldHostText(name).ends_with(".SYS")) {
            drivers.push_back({path, false, shown + "\\" + name});
        }
    }
}

} // namespace

void checkPnpDriverLoads(CheckedTree& tree, const InfFile& txtsetup,
                         const std::vector<std::pair<std::string, std::string>>& folders,
                         TreeCheckReport& report, CdModules* modules) {
    std::vector<LoadCheckDriver> drivers;
    for (const auto& [shown, folder] : folders) {
        addPnpDriverFiles(folder, shown, 0, drivers);
    }
    if (drivers.empty()) {
        return;
    }
    DriverLoadCheck check(tree, txtsetup, modules);
    addDriverLoadFindings(check.check(drivers), false, report);
}

void checkIntegratedDriverLoads(CheckedTree& tree, const InfFile& txtsetup,
                                const ServiceOrigins& origins, TreeCheckReport& report,
                                CdModules* modules) {
    // The files as [SCSI.Load] spells them: the storage check took them
    // out of their cabinets under these names already.
    std::vector<std::string> files;
    for (const auto& line : sectionLines(txtsetup, "SCSI.Load")) {
        if (line.size() >= 2 && !line[1].empty() && origins.integrated(line[0])) {
            files.push_back(cp932ToUtf8(line[1]));
        }
    }
    if (files.empty()) {
        return;
    }
    tree.expandAhead(files);
    std::vector<LoadCheckDriver> drivers;
    for (const std::string& file : files) {
        std::optional<std::string> path = tree.plainFile(file);
        std::string shown = inSetupFolder(tree, file);
        if (!path) {
            std::optional<std::string> cabinet = tree.compressedFile(file);
            if (!cabinet) {
                continue;
            }
            Result<std::string> expanded = tree.expand(*cabinet, file);
            if (!expanded) {
                continue;
            }
            path = *expanded;
            shown = inSetupFolder(tree, fileName(*cabinet));
        }
        drivers.push_back({*path, true, shown});
    }
    DriverLoadCheck check(tree, txtsetup, modules);
    addDriverLoadFindings(check.check(drivers), false, report);
}

} // namespace ornibe
