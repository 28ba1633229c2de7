#include "check/TreeCheckParts.h"
#include "patch/SetupFileEditor.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

#include <map>
#include <set>
#include <vector>

namespace ornibe {
namespace {

// The name of the service whose driver file is file: the file's name
// without its extension ("sfloppy.sys" -> "sfloppy"), folded.
std::string serviceOfFile(std::string_view file) {
    const std::size_t dot = file.rfind('.');
    return foldSetupText(dot == std::string_view::npos ? file : file.substr(0, dot));
}

// The service a [HardwareIdsDatabase] value names, folded. Retail CDs
// write a few with the driver file's suffix inside the quotes
// ("asc3350p.sys"), which text-mode setup takes as the service itself.
std::string servicePlainName(std::string_view value) {
    std::string folded = foldSetupText(value);
    if (folded.size() > 4 && folded.ends_with(".SYS")) {
        folded.resize(folded.size() - 4);
    }
    return folded;
}

// The services text-mode setup loads, folded. Every "*.Load" section
// ([SCSI.Load], [ScsiClass.Load], [Keyboard.Load], [BootBusExtenders.Load],
// ...) has component = file lines, and the service is the file's name
// without its extension ("floppy = sfloppy.sys" loads sfloppy); a line
// without "=" holds the file alone. The [Mouse] and [Keyboard] entries
// name theirs in the field after the files section
// (msps2 = "description", files.i8042, i8042prt).
std::set<std::string> loadedServices(const InfFile& txtsetup) {
    std::set<std::string> services;
    for (const std::string& section : txtsetup.sectionNames()) {
        std::string folded = foldSetupText(section);
        if (folded.size() > 5 && folded.ends_with(".LOAD")) {
            for (const auto& line : sectionLines(txtsetup, section)) {
                const std::string& file = line.size() > 1 && !line[1].empty() ? line[1] : line[0];
                services.insert(serviceOfFile(file));
            }
        }
    }
    for (std::string_view section : {"Mouse", "Keyboard"}) {
        for (const auto& line : sectionLines(txtsetup, section)) {
            if (line.size() > 3 && !line[3].empty()) {
                services.insert(foldSetupText(line[3]));
            }
        }
    }
    return services;
}

// The plain file names DOSNET.INF's [Files] lines give ("d1,NAME"), folded.
std::set<std::string> dosnetFiles(const InfFile& dosnet) {
    std::set<std::string> names;
    for (const auto& line : sectionLines(dosnet, "Files")) {
        if (line.size() > 2) {
            names.insert(foldSetupText(line[2]));
        }
    }
    return names;
}

bool listed(const CheckedTree& tree, const InfFile& txtsetup, std::string_view file) {
    return txtsetup.findFirstLine("SourceDisksFiles", file) ||
           txtsetup.findFirstLine(txtsetupFilesSection(tree.architecture()), file);
}

void checkServiceFile(CheckedTree& tree, const InfFile& txtsetup, const std::string& service,
                      const std::string& file, bool cdOwn, TreeCheckReport& report) {
    auto problem = [&](std::string text) {
        cdOwn ? report.cdProblem(std::move(text)) : report.problem(std::move(text));
    };
    const std::string name = cp932ToUtf8(file);
    const std::string serviceName = cp932ToUtf8(service);
    if (!listed(tree, txtsetup, file)) {
        problem(translated("%1（サービス %2）の行が TXTSETUP.SIF の [%3] "
                           "にありません。セットアップはこのファイルをコピーできません。",
                           {name, serviceName,
                            tree.architecture() == Architecture::Amd64
                                ? std::string(txtsetupFilesSection(tree.architecture()))
                                : std::string("SourceDisksFiles")}));
    }
    if (tree.plainFile(name)) {
        return;
    }
    std::optional<std::string> packed = tree.compressedFile(name);
    if (!packed) {
        problem(translated("%1（サービス %2）が %3 にありません（圧縮された形もありません）。",
                           {name, serviceName, tree.setupName()}));
        return;
    }
    if (!SetupFileEditor::IsCabinet(*packed)) {
        problem(translated("%1（サービス %2）: %3 はキャビネットファイルではありません。",
                           {name, serviceName, inSetupFolder(tree, fileName(*packed))}));
        return;
    }
    if (Result<std::string> expanded = tree.expand(*packed, name); !expanded) {
        problem(translated("%1（サービス %2）: %3 から %1 を取り出せません（%4）",
                           {name, serviceName, inSetupFolder(tree, fileName(*packed)),
                            expanded.failure().reason}));
    }
}

} // namespace

void checkStorageServices(CheckedTree& tree, const InfFile& txtsetup, const InfFile& dosnet,
                          const ServiceOrigins& origins, TreeCheckReport& report) {
    auto problem = [&](bool cdOwn, std::string text) {
        cdOwn ? report.cdProblem(std::move(text)) : report.problem(std::move(text));
    };
    const std::set<std::string> inDosnet = dosnetFiles(dosnet);
    std::set<std::string> storage;
    std::vector<std::string> files;
    for (const auto& line : sectionLines(txtsetup, "SCSI.Load")) {
        if (line.size() >= 2 && !line[1].empty()) {
            files.push_back(cp932ToUtf8(line[1]));
        }
    }
    tree.expandAhead(files);
    for (const auto& line : sectionLines(txtsetup, "SCSI.Load")) {
        const std::string& service = line[0];
        storage.insert(foldSetupText(service));
        const bool cdOwn = !origins.integrated(service);
        if (line.size() < 2 || line[1].empty()) {
            problem(
                cdOwn,
                translated("TXTSETUP.SIF の [SCSI.Load] のサービス %1 にファイル名がありません。",
                           {cp932ToUtf8(service)}));
            continue;
        }
        checkServiceFile(tree, txtsetup, service, line[1], cdOwn, report);
        // The build does not add driver files to DOSNET.INF; the CD's own
        // lines there are the CD's business.
        if (!cdOwn && dosnet.isOpen() && !inDosnet.contains(foldSetupText(line[1]))) {
            report.note(translated("%1（サービス %2）は DOSNET.INF の [Files] "
                                   "にありません。CD からの起動では要りませんが、"
                                   "winnt32 で始めたセットアップはこのファイルをコピーしません。",
                                   {cp932ToUtf8(line[1]), cp932ToUtf8(service)}));
        }
    }

    const std::set<std::string> loaded = loadedServices(txtsetup);
    // Each ID with the services it is given to, in the order first met.
    std::map<std::string, std::vector<std::string>> servicesOf;
    std::vector<std::string> order;
    for (const auto& line : sectionLines(txtsetup, "HardwareIdsDatabase")) {
        const std::string& id = line[0];
        const std::string service = line.size() > 1 ? line[1] : std::string();
        if (!loaded.contains(servicePlainName(service))) {
            problem(!origins.integrated(service),
                    translated("%1 のサービス %2 は TXTSETUP.SIF のどの Load セクションにも "
                               "[Mouse]・[Keyboard] にもありません。",
                               {cp932ToUtf8(id), cp932ToUtf8(service)}));
        }
        auto [at, fresh] = servicesOf.try_emplace(foldSetupText(id));
        if (fresh) {
            order.push_back(id);
        }
        bool known = false;
        for (const std::string& given : at->second) {
            known = known || servicePlainName(given) == servicePlainName(service);
        }
        if (!known) {
            at->second.push_back(service);
        }
    }
    // Text-mode setup takes an ID's first line. The CD's own lines that give
    // an ID twice are a known trait of retail CDs; one that also gives it to
    // an integrated driver decides which driver runs.
    for (const std::string& id : order) {
        const std::vector<std::string>& services = servicesOf[foldSetupText(id)];
        if (services.size() < 2) {
            continue;
        }
        std::string names;
        bool cdOwn = true;
        for (const std::string& service : services) {
            names += (names.empty() ? "" : translated("、")) + cp932ToUtf8(service);
            cdOwn = cdOwn && !origins.integrated(service);
        }
        const std::string count = std::to_string(services.size());
        if (cdOwn) {
            report.note(translated("%1 が %2 つのサービス（%3）に与えられています。"
                                   "テキストモード セットアップは最初の行の %4 を使います。",
                                   {cp932ToUtf8(id), count, names, cp932ToUtf8(services.front())}));
        } else {
            report.problem(translated("%1 が %2 つのサービス（%3）に与えられています。"
                                      "テキストモード セットアップが使うのはどれか一つです。",
                                      {cp932ToUtf8(id), count, names}));
        }
    }
}

} // namespace ornibe
