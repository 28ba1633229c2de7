#include "cli/DriverLoadCommand.h"

#include "check/DriverLoadSources.h"
#include "check/TreeCheckText.h"
#include "cli/BuildCommand.h"
#include "cli/CheckCommand.h"
#include "cli/TerminalText.h"
#include "source/EditionTags.h"
#include "source/Medium.h"
#include "sys/HostPath.h"

namespace ornibe {

int runDriverLoadCommand(const CommandOptions& options, const ToolSearch& tools, std::ostream& out,
                         std::ostream& err) {
    const std::optional<std::string> checkedWork = workFolderOption(options, err);
    if (!checkedWork) {
        return kExitRefused;
    }
    const std::string& work = *checkedWork;
    const std::string source = makeAbsolute(options.checkDriver);
    if (!existsAsFile(source) && !existsAsFolder(source)) {
        err << "ornibe-build: "
            << terminalText(TerminalText::DriverSourceMissing, {options.checkDriver}) << "\n";
        return kExitRefused;
    }
    const std::shared_ptr<const Medium> cd = Medium::open(work);
    const WindowsTarget tree = loadCheckTarget(work, tools);
    std::vector<LoadCheckDriver> drivers = sourceDriverBinaries(source, tree, tools);
    TreeCheckReport report;
    if (drivers.empty()) {
        report.problem("ドライバ " + source +
                       " に、この CD に組み込むドライバのファイルがありません。");
    }
    addDriverLoadFindings(checkDriverLoadsIn(cd, tools, drivers), true, report);
    TreeCheckInput target{work, {}, tools, WindowsVersion::Unknown, {}, 0};
    if (!readTargetOption(options, target, err)) {
        return kExitRefused;
    }
    for (const std::string& note : sourceDriverIdNotes(
             source, work, tools, tree, target.target.value_or(std::vector<PciDevice>{}))) {
        report.note(note);
    }
    const std::string line = editionLine(*cd, tree.architecture);
    report.edition = line.substr(line.find("：") + std::string_view("：").size());
    out << (options.json ? treeCheckJson(report, work) : treeCheckTable(report, work));
    return report.hasProblem() ? 1 : 0;
}

} // namespace ornibe
