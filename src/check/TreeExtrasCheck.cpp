#include "answer/AnswerFileCheck.h"
#include "check/TreeCheckParts.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/HostPath.h"
#include "sys/PathUnderRoot.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

namespace ornibe {
namespace {

// A Windows path read from a file of the tree ("\i386\svcpack",
// "Drivers\001") as a host path below folder, each name found as Windows
// finds it; refused, with the reason, when it leads out of folder or
// through a link. A leading "\" means the folder itself, as the path is
// given from the CD's or the system drive's root.
RootedPath hostPathBelow(const std::string& folder, std::string_view windowsPath) {
    while (!windowsPath.empty() && (windowsPath.front() == '\\' || windowsPath.front() == '/')) {
        windowsPath.remove_prefix(1);
    }
    return pathUnderRoot(folder, windowsPath, NameCase::Ignore);
}

bool holdsInf(const std::string& folder) {
    for (const std::string& name : folderEntries(folder).value_or(std::vector<std::string>{})) {
        if (foldHostText(name).ends_with(".INF") && existsAsFile(joinPath(folder, name))) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<std::vector<std::string>> sectionLines(const InfFile& file, std::string_view section) {
    std::vector<std::vector<std::string>> lines;
    for (auto at = file.findFirstLine(section); at; at = file.findNextLine(*at)) {
        std::vector<std::string> fields{file.stringField(*at, 0).value_or("")};
        for (std::size_t i = 1; i <= file.fieldCount(*at); ++i) {
            fields.push_back(file.stringField(*at, i).value_or(""));
        }
        lines.push_back(std::move(fields));
    }
    return lines;
}

std::string inSetupFolder(const CheckedTree& tree, std::string_view name) {
    return tree.setupName() + "\\" + std::string(name);
}

void checkServicePackCatalogs(const CheckedTree& tree, const InfFile& svcpack,
                              TreeCheckReport& report) {
    if (!svcpack.isOpen()) {
        return;
    }
    // CatalogSubDir names the folder from the CD's root ("\i386\svcpack").
    std::string subfolder = "\\" + tree.setupName() + "\\SVCPACK";
    if (auto line = svcpack.findFirstLine("SetupData", "CatalogSubDir")) {
        subfolder = svcpack.stringField(*line, 1).value_or(subfolder);
    }
    const RootedPath rooted = hostPathBelow(tree.root(), cp932ToUtf8(subfolder));
    if (!rooted) {
        report.problem(translated("SVCPACK.INF の CatalogSubDir %1 は読めません（%2）。",
                                  {cp932ToUtf8(subfolder), rooted.failure().reason}));
        return;
    }
    const std::string& folder = *rooted;
    for (const auto& line : sectionLines(svcpack, "ProductCatalogsToInstall")) {
        const std::string name =
            cp932ToUtf8(line[0].empty() && line.size() > 1 ? line[1] : line[0]);
        if (!name.empty() && !findFileNoCase(folder, name)) {
            report.problem(translated("SVCPACK.INF のカタログ %1 が %2 にありません。",
                                      {name, cp932ToUtf8(subfolder)}));
        }
    }
}

std::vector<std::pair<std::string, std::string>>
checkAnswerFile(const CheckedTree& tree, WindowsVersion version, TreeCheckReport& report) {
    std::vector<std::pair<std::string, std::string>> folders;
    std::optional<std::string> path = tree.plainFile("WINNT.SIF");
    if (!path) {
        return folders;
    }
    const std::string shown = inSetupFolder(tree, fileName(*path));
    AnswerFileReading reading = readAnswerFile(*path, version);
    if (!reading.check.outcome) {
        const Failure& failure = reading.check.outcome.failure();
        report.problem(shown + ": " + failure.reason);
    }
    if (!reading.file.isOpen()) {
        return folders;
    }
    auto line = reading.file.findFirstLine("Unattended", "OemPnPDriversPath");
    if (!line) {
        return folders;
    }
    const RootedPath oem = hostPathBelow(tree.root(), "$OEM$\\$1");
    std::string paths = cp932ToUtf8(reading.file.stringField(*line, 1).value_or(""));
    for (std::size_t start = 0; start <= paths.size();) {
        std::size_t end = std::min(paths.find(';', start), paths.size());
        std::string entry = paths.substr(start, end - start);
        start = end + 1;
        if (entry.empty()) {
            continue;
        }
        const RootedPath rooted = oem ? hostPathBelow(*oem, entry) : RootedPath(oem.failure());
        if (!rooted) {
            report.problem(translated("OemPnPDriversPath のフォルダ %1 は読めません（%2）。",
                                      {entry, rooted.failure().reason}));
            continue;
        }
        const std::string& folder = *rooted;
        if (!existsAsFolder(folder)) {
            report.problem(
                translated("OemPnPDriversPath のフォルダ %1 が $OEM$\\$1 にありません。", {entry}));
        } else if (!holdsInf(folder)) {
            report.problem(translated(
                "OemPnPDriversPath のフォルダ $OEM$\\$1\\%1 に INF ファイルがありません。",
                {entry}));
        } else {
            folders.emplace_back("$OEM$\\$1\\" + entry, folder);
        }
    }
    return folders;
}

} // namespace ornibe
