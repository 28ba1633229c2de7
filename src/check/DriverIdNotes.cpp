#include "check/DriverIdNotes.h"

#include "check/TreeCheck.h"
#include "inf/InfReader.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"

#include <set>

namespace ornibe {
namespace {

// The IDs of one INF's models section: those setup takes (field 2) and
// those it passes over (fields 3 and later), folded.
struct ModelIds {
    std::vector<std::string> taken;
    std::set<std::string> takenFolded;
    std::vector<std::string> passedOver;
};

ModelIds modelIdsOf(const std::string& path, char versionCode, Architecture architecture) {
    ModelIds ids;
    InfReader reader(path);
    reader.setArchitecture(architecture);
    if (!reader.file().isOpen()) {
        return ids;
    }
    const std::string section = reader.FindModelsSection(versionCode);
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
                ids.taken.push_back(id);
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
driverIdNotes(const std::vector<std::string>& infs, char versionCode, Architecture architecture,
              const std::vector<std::pair<std::string, std::string>>& database,
              const std::vector<PciDevice>& devices) {
    std::vector<std::string> notes;
    const std::vector<ControllerMatch> matches = matchControllers(devices, database);
    for (const std::string& inf : infs) {
        const ModelIds ids = modelIdsOf(inf, versionCode, architecture);
        bool onlyClassCodes = !ids.taken.empty();
        std::string codes;
        std::set<std::string> named;
        for (const std::string& id : ids.taken) {
            onlyClassCodes = onlyClassCodes && isClassCode(id);
            if (named.insert(foldHostText(id)).second) {
                codes += (codes.empty() ? "" : "、") + id;
            }
        }
        if (onlyClassCodes) {
            std::string claimed;
            for (const ControllerMatch& match : matches) {
                if (ids.takenFolded.contains(foldHostText(match.matchedId))) {
                    claimed += (claimed.empty() ? "" : "、") + controllerName(match.device);
                }
            }
            std::string note = "ドライバ " + fileName(inf) + " はクラスコード " + codes +
                               " だけで結び付き、そのクラスのコントローラのうち、ほかに"
                               "引き受けるもののないものをすべて引き受けます";
            if (!devices.empty()) {
                note += claimed.empty() ? "。対象のハードウェアにはそれに当たるコントローラが"
                                          "ありません"
                                        : "。対象のハードウェアでは " + claimed;
            }
            notes.push_back(note + "。");
        }
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
                    notes.push_back("ディスク コントローラ " + controllerName(match.device) +
                                    " には、ドライバ " + fileName(inf) +
                                    " のモデル行の 3 番目"
                                    "以降の ID " +
                                    passed +
                                    " だけが一致します。テキストモード セットアップはその ID "
                                    "を使わないので、このディスクを見つけません。");
                    break;
                }
            }
        }
    }
    return notes;
}

} // namespace ornibe
