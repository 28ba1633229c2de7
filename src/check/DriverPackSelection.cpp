#include "check/DriverPackSelection.h"

#include "check/DriverLoadSources.h"
#include "check/TreeCheckText.h"
#include "source/Medium.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

#include <map>
#include <set>

namespace ornibe {
namespace {

// The first reason each binary cannot load on the CD, by its path; one
// check for the whole pack, so that the CD's modules are read once. A file
// that is no PE image is left to the build's own check.
std::map<std::string, std::string> loadProblems(const DriverPack& pack,
                                                const std::shared_ptr<const Medium>& cd,
                                                const ToolSearch& tools, CdModules* modules) {
    std::map<std::string, std::string> problems;
    std::vector<LoadCheckDriver> binaries;
    std::set<std::string> seen;
    for (const PackDriver& driver : pack.drivers) {
        for (const std::string& binary : driver.binaries) {
            if (seen.insert(binary).second) {
                binaries.push_back({binary, true});
            }
        }
    }
    for (const DriverLoadFinding& finding : checkDriverLoadsIn(cd, tools, binaries, modules)) {
        if (!finding.loads()) {
            problems.emplace(finding.path, fileName(finding.path) + ": " + finding.problems[0]);
        }
    }
    return problems;
}

ChoiceDriver choiceOf(const PackDriver& driver,
                      const std::map<std::string, std::string>& problems) {
    ChoiceDriver choice{driver.shown, driver.ids, driver.driverVer, driver.files, {}};
    for (const std::string& binary : driver.binaries) {
        if (auto problem = problems.find(binary); problem != problems.end()) {
            choice.cannotLoad = problem->second;
            break;
        }
    }
    return choice;
}

std::string jsonList(const std::vector<std::string>& items) {
    std::string text = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : ", ") + jsonString(items[i]);
    }
    return text + "]";
}

} // namespace

Result<PackSelection> selectPackDrivers(const std::string& folder,
                                        const std::optional<std::vector<PciDevice>>& devices,
                                        const std::shared_ptr<const Medium>& cd,
                                        const WindowsTarget& target, const ToolSearch& tools,
                                        const ChoiceDriver& named, CdModules* modules,
                                        const StopCheck& stop) {
    Result<DriverPack> pack = readDriverPack(folder, target, stop);
    if (!pack) {
        return pack.failure();
    }
    const std::map<std::string, std::string> problems = loadProblems(*pack, cd, tools, modules);
    std::vector<ChoiceDriver> weighed;
    for (const PackDriver& driver : pack->drivers) {
        weighed.push_back(choiceOf(driver, problems));
    }
    const PackChoice choice = choosePackDrivers(weighed, named, devices);

    PackSelection selection;
    for (std::size_t i : choice.taken) {
        const PackDriver& driver = pack->drivers[i];
        if (driver.missing) {
            // A file that is simply not there comes without words of its
            // own; a path refused on the way says why.
            const Failure& missing = *driver.missing;
            return Failure::refusal(
                translated("ドライバパックの %1 に、組み込むのに要るファイルがありません。",
                           {driver.shown}),
                missing.path,
                missing.reason.empty() ? translated("%1 が見つかりません。", {missing.path})
                                       : missing.reason);
        }
        selection.table.taken.push_back(driver.shown);
        selection.taken.push_back(driver);
    }
    DriverPackTable& table = selection.table;
    table.source = pack->root;
    table.againstTarget = devices.has_value();
    table.otherSystems = pack->otherSystems;
    auto nameOf = [&](std::size_t i) {
        return i == kNamedDrivers ? named.name : pack->drivers[i].shown;
    };
    for (const ControllerChoice& row : choice.controllers) {
        table.controllers.push_back(
            {row.controller, row.chosen ? nameOf(*row.chosen) : std::string(), row.why});
    }
    for (const LeftOutDriver& left : choice.leftOut) {
        table.leftOut.push_back({nameOf(left.driver), left.why});
    }
    return selection;
}

std::vector<std::string> driverPackTableLines(const DriverPackTable& table) {
    std::vector<std::string> lines;
    if (table.againstTarget) {
        for (const DriverPackTable::Controller& row : table.controllers) {
            lines.push_back(translated(
                "%1 → %2（%3）",
                {row.controller, row.driver.empty() ? translated("なし") : row.driver, row.why}));
        }
        if (table.controllers.empty()) {
            lines.push_back(translated("対象のハードウェアにディスクコントローラがありません"));
        }
    } else {
        for (const std::string& taken : table.taken) {
            lines.push_back(translated("取り込む：%1", {taken}));
        }
    }
    for (const DriverPackTable::LeftOut& left : table.leftOut) {
        lines.push_back(translated("取り込まない：%1（%2）", {left.driver, left.why}));
    }
    if (table.otherSystems > 0) {
        lines.push_back(translated("ほかのシステム用で読み飛ばしたドライバ：%1 個",
                                   {std::to_string(table.otherSystems)}));
    }
    return lines;
}

std::string driverPackJson(const DriverPackTable& table) {
    std::string text = "{\"source\": " + jsonString(table.source) +
                       ", \"againstTarget\": " + (table.againstTarget ? "true" : "false") +
                       ", \"controllers\": [";
    for (std::size_t i = 0; i < table.controllers.size(); ++i) {
        const DriverPackTable::Controller& row = table.controllers[i];
        text += (i == 0 ? "" : ", ") + std::string("{\"controller\": ") +
                jsonString(row.controller) + ", \"driver\": " + jsonString(row.driver) +
                ", \"why\": " + jsonString(row.why) + "}";
    }
    text += "], \"taken\": " + jsonList(table.taken) + ", \"leftOut\": [";
    for (std::size_t i = 0; i < table.leftOut.size(); ++i) {
        text += (i == 0 ? "" : ", ") + std::string("{\"driver\": ") +
                jsonString(table.leftOut[i].driver) +
                ", \"why\": " + jsonString(table.leftOut[i].why) + "}";
    }
    return text + "], \"otherSystems\": " + std::to_string(table.otherSystems) + "}";
}

} // namespace ornibe
