#include "runner/F6Summary.h"

#include "inf/OemEntryPackage.h"
#include "runner/ProgressLog.h"
#include "settings/BuildSettings.h"
#include "source/F6Source.h"
#include "sys/Translation.h"

namespace ornibe {
namespace {

const char* const kIndent = "\r\n      ";
const char* const kDetail = "\r\n        ";

} // namespace

std::string driverEntryText(const std::string& source, const std::string& id) {
    return source + " [ " + id + " ]";
}

void appendDriverEntrySummary(const BuildSettings& settings, Architecture architecture,
                              const ToolSearch& tools, ProgressLog& log) {
    if (settings.getDriverEntries().empty()) {
        return;
    }
    log.append(translated("\r\n\r\nドライバディスクから組み込む項目："));
    for (const DriverEntryChoice& choice : settings.getDriverEntries()) {
        Result<TxtsetupOem> oem = readF6Source(choice.source, architecture, tools);
        const OemEntry* entry = oem ? oem->entry(choice.id) : nullptr;
        log.append(kIndent + driverEntryText(choice.source, choice.id));
        if (entry == nullptr) {
            continue;
        }
        log.append(kDetail + oemShown(entry->description));
        std::string ids;
        for (const auto& [id, service] : entry->hardwareIds) {
            ids += (ids.empty() ? "" : ", ") + oemShown(id);
        }
        log.append(std::string(kDetail) + translated("サービス: %1  ハードウェア ID: %2",
                                                     {oemShown(oemEntryService(*entry)),
                                                      ids.empty() ? translated("なし") : ids}));
        for (const std::string& note : oemEntryNotes(*oem, *entry)) {
            log.append(kDetail + note);
        }
    }
}

} // namespace ornibe
