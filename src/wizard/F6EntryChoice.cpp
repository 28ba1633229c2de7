#include "wizard/F6EntryChoice.h"

#include "inf/OemEntryPackage.h"
#include "runner/F6Summary.h"
#include "source/F6Source.h"
#include "source/Medium.h"
#include "source/SetupTree.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"
#include "wizard/F6DriverCheck.h"

#include <algorithm>

namespace ornibe {

Result<F6EntryList> f6EntryRows(const std::string& text, const ToolSearch& tools,
                                const std::string& tree) {
    std::optional<F6ListEntry> floppy = f6ListEntry(text);
    if (!floppy || !floppy->id.empty()) {
        return F6EntryList{};
    }
    const Architecture architecture = !tree.empty() && (existsAsFolder(tree) || existsAsFile(tree))
                                          ? sourceArchitecture(*Medium::open(tree))
                                          : Architecture::X86;
    Result<TxtsetupOem> oem = readF6Source(floppy->source, architecture, tools);
    if (!oem) {
        return oem.failure();
    }
    F6EntryList list{floppy->source, {}};
    for (const OemEntry& entry : oem->entries) {
        const bool usable = static_cast<bool>(validateOemEntry(*oem, entry));
        std::string service = oemShown(oemEntryService(entry));
        list.rows.push_back({oemShown(entry.id),
                             translated("%1（サービス: %2、ID: %3 個、ファイル: %4）",
                                        {oemShown(entry.description),
                                         service.empty() ? translated("なし") : service,
                                         std::to_string(entry.hardwareIds.size()),
                                         usable ? translated("あり") : translated("なし")}),
                             equalsSetupNoCase(entry.id, oem->defaultId), usable});
    }
    return list;
}

std::vector<std::string> f6ListTexts(const F6EntryList& list, const std::vector<std::string>& ids) {
    std::vector<std::string> texts;
    for (const F6EntryRow& row : list.rows) {
        if (std::find(ids.begin(), ids.end(), row.id) != ids.end()) {
            texts.push_back(driverEntryText(list.source, row.id));
        }
    }
    return texts;
}

} // namespace ornibe
