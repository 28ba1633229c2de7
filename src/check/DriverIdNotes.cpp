#include "check/DriverIdNotes.h"

#include "check/TreeCheck.h"
#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

#include <algorithm>
#include <map>
#include <set>

namespace ornibe {
namespace {

// The IDs of one INF's models section: those setup takes (field 2) and
// those it passes over (fields 3 and later), folded.
struct ModelIds {
    std::set<std::string> takenFolded;
    std::vector<std::string> passedOver;
};

ModelIds modelIdsOf(const std::string& path, const WindowsTarget& target) {
    ModelIds ids;
    InfReader reader(path);
    reader.setArchitecture(target.architecture);
    if (!reader.file().isOpen()) {
        return ids;
    }
    const std::string section = reader.FindModelsSection(target.version);
    const InfFile& file = reader.file();
    for (std::size_t i = 0; !section.empty(); ++i) {
        std::optional<InfPosition> line = file.lineByIndex(section, i);
        if (!line) {
            break;
        }
        const std::size_t count = file.fieldCount(*line);
        for (std::size_t field = 2; field <= count; ++field) {
            const std::string id = cp932ToUtf8(file.stringField(*line, field).value_or(""));
            if (id.empty()) {
                continue;
            }
            if (field == 2) {
                ids.takenFolded.insert(foldHostText(id));
            } else {
                ids.passedOver.push_back(id);
            }
        }
    }
    return ids;
}

bool isClassCode(const std::string& id) {
    return foldHostText(id).starts_with("PCI\\CC_");
}

} // namespace

std::vector<std::string>
driverIdNotes(const DriverPackage& package, const std::vector<std::string>& infs,
              const WindowsTarget& target,
              const std::vector<std::pair<std::string, std::string>>& cdDatabase,
              const std::vector<PciDevice>& devices) {
    // Each service's IDs, in the package's order of services.
    std::vector<std::pair<std::string, std::vector<std::string>>> services;
    std::map<std::string, std::size_t> serviceIndex;
    for (const auto& [id, service] : package.hardwareIdToService()) {
        auto [at, added] = serviceIndex.try_emplace(service, services.size());
        if (added) {
            services.push_back({service, {}});
        }
        services[at->second].second.push_back(id);
    }
    std::vector<ControllerMatch> matches;
    if (!devices.empty()) {
        std::vector<std::pair<std::string, std::string>> database = cdDatabase;
        for (const auto& [id, service] : package.hardwareIdToService()) {
            database.emplace_back(id, service);
        }
        matches = matchControllers(devices, database);
    }
    std::vector<std::string> notes;
    for (const auto& [service, ids] : services) {
        if (!std::all_of(ids.begin(), ids.end(), isClassCode)) {
            continue;
        }
        std::set<std::string> folded;
        std::string codes;
        for (const std::string& id : ids) {
            if (folded.insert(foldHostText(id)).second) {
                codes += (codes.empty() ? "" : translated("、")) + cp932ToUtf8(id);
            }
        }
        std::string claimed;
        for (const ControllerMatch& match : matches) {
            if (folded.contains(foldHostText(match.matchedId))) {
                claimed += (claimed.empty() ? "" : translated("、")) + controllerName(match.device);
            }
        }
        const std::string name = cp932ToUtf8(service);
        if (devices.empty()) {
            notes.push_back(translated("サービス %1 のドライバはクラスコード %2 "
                                       "だけで結び付き、そのクラスのコントローラのうち、ほかに"
                                       "引き受けるもののないものをすべて引き受けます。",
                                       {name, codes}));
        } else if (claimed.empty()) {
            notes.push_back(
                translated("サービス %1 のドライバはクラスコード %2 "
                           "だけで結び付き、そのクラスのコントローラのうち、ほかに"
                           "引き受けるもののないものをすべて引き受けます。"
                           "対象のハードウェアにはそれに当たるコントローラがありません。",
                           {name, codes}));
        } else {
            notes.push_back(translated("サービス %1 のドライバはクラスコード %2 "
                                       "だけで結び付き、そのクラスのコントローラのうち、ほかに"
                                       "引き受けるもののないものをすべて引き受けます。"
                                       "対象のハードウェアでは %3。",
                                       {name, codes, claimed}));
        }
    }
    if (devices.empty()) {
        return notes;
    }
    for (const std::string& inf : infs) {
        const ModelIds ids = modelIdsOf(inf, target);
        for (const ControllerMatch& match : matches) {
            if (!match.service.empty()) {
                continue;
            }
            for (const std::string& passed : ids.passedOver) {
                bool matchesDevice = false;
                for (const std::string& id : match.ids) {
                    matchesDevice = matchesDevice || foldHostText(id) == foldHostText(passed);
                }
                if (matchesDevice && !ids.takenFolded.contains(foldHostText(passed))) {
                    notes.push_back(translated(
                        "ディスク コントローラ %1 には、ドライバ %2 のモデル行の 3 番目以降の ID "
                        "%3 だけが一致します。テキストモード セットアップはその ID "
                        "を使わないので、このディスクを見つけません。",
                        {controllerName(match.device), fileName(inf), passed}));
                    break;
                }
            }
        }
    }
    return notes;
}

} // namespace ornibe
