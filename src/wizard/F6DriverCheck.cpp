#include "wizard/F6DriverCheck.h"

#include "inf/InfReader.h"
#include "inf/OemEntryPackage.h"
#include "runner/F6Summary.h"
#include "settings/BuildSettings.h"
#include "source/F6Source.h"
#include "source/Medium.h"
#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"
#include "sys/WindowsProgram.h"

#include <algorithm>
#include <map>

namespace ornibe {
namespace {

struct Chosen {
    std::string source;
    const TxtsetupOem* oem = nullptr;
    const OemEntry* entry = nullptr;
};

// The driver file's bytes, or nothing when it cannot be read.
std::optional<std::string> driverBytes(const Chosen& chosen) {
    const OemFileLine* driver = chosen.entry->driver();
    Result<std::string> path = oemFilePath(*chosen.oem, *driver);
    if (!path) {
        return std::nullopt;
    }
    try {
        return readFile(*path);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<F6ListEntry> f6ListEntry(const std::string& text) {
    constexpr std::string_view kOpen = " [ ";
    constexpr std::string_view kClose = " ]";
    if (text.ends_with(kClose)) {
        if (std::size_t open = text.rfind(kOpen); open != std::string::npos) {
            std::string source = makeAbsolute(text.substr(0, open));
            std::string id =
                text.substr(open + kOpen.size(), text.size() - kClose.size() - open - kOpen.size());
            if (!id.empty() && isF6Source(source)) {
                return F6ListEntry{source, id};
            }
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::string source = withoutTrailingSlash(makeAbsolute(text));
    if (isF6Source(source)) {
        return F6ListEntry{source, {}};
    }
    return std::nullopt;
}

Outcome validateOemEntry(const TxtsetupOem& oem, const OemEntry& entry) {
    const std::string id = oemShown(entry.id);
    const std::string headline = translated("%1 はテキストモードセットアップに組み込めません。",
                                            {driverEntryText(oem.shown(oem.path), id)});
    if (!entry.hasFiles) {
        return Failure::refusal(headline, oem.path,
                                translated("[Files.scsi.%1] セクションがありません。", {id}));
    }
    if (entry.driver() == nullptr) {
        return Failure::refusal(headline, oem.path,
                                translated("[Files.scsi.%1] に driver の行がありません。", {id}));
    }
    for (const OemFileLine& file : entry.files) {
        if (!isShortFileName(file.name)) {
            return Failure::refusal(
                headline, oem.path,
                translated("%1 は 8.3 形式のファイル名ではありません。", {oemShown(file.name)}));
        }
    }
    if (Outcome present = oemEntryFilesPresent(oem, entry); !present) {
        const Failure& missing = present.failure();
        const std::string shown = oem.shown(missing.path);
        return Failure::refusal(headline, shown,
                                missing.reason.empty() ? translated("%1 がありません。", {shown})
                                                       : shown + ": " + missing.reason);
    }
    for (const OemConfigValue& value : entry.config) {
        if (!addRegFlags(value.type)) {
            return Failure::refusal(
                headline, oem.path,
                translated("[%1] の値 %2 の型 %3 は書き込めません。",
                           {oemShown(value.section), oemShown(value.name), oemShown(value.type)}));
        }
    }
    return {};
}

Outcome checkHivesysForConfig(const BuildSettings& settings, const Medium& tree,
                              Architecture architecture, const ToolSearch& tools,
                              const StopCheck& stop) {
    const std::string folder(setupFolderName(architecture));
    std::optional<bool> present;
    for (const DriverEntryChoice& choice : settings.getDriverEntries()) {
        Result<TxtsetupOem> oem = readF6Source(choice.source, architecture, tools, stop);
        const OemEntry* entry = oem ? oem->entry(choice.id) : nullptr;
        if (entry == nullptr ||
            std::none_of(entry->config.begin(), entry->config.end(), [](const auto& value) {
                return addRegFlags(value.type) && !setByServiceLoad(value);
            })) {
            continue;
        }
        if (!present) {
            present = tree.hasFile(folder + "/HIVESYS.INF") ||
                      tree.hasFile(folder + "/HIVESYS.IN_") || tree.stopped();
        }
        if (!*present) {
            return Failure::refusal(
                translated("%1 はこのツリーには組み込めません。",
                           {driverEntryText(choice.source, choice.id)}),
                joinPath(tree.path(), folder + "/HIVESYS.INF"),
                translated("レジストリの値（[%1]）を書き込む %2/HIVESYS.INF も HIVESYS.IN_ "
                           "もツリーにありません。",
                           {oemShown(entry->configSections.front()), folder}));
        }
    }
    return {};
}

Outcome judgeOemEntryArchitecture(const TxtsetupOem& oem, const OemEntry& entry,
                                  const WindowsTarget& target) {
    const bool x64 = target.architecture == Architecture::Amd64;
    const std::string headline =
        x64 ? translated("%1 の項目 %2 は x64（AMD64）のツリーには組み込めません。",
                         {oem.shown(oem.path), oemShown(entry.id)})
            : translated("%1 の項目 %2 は x86（I386）のツリーには組み込めません。",
                         {oem.shown(oem.path), oemShown(entry.id)});
    for (const OemFileLine& file : entry.files) {
        Result<std::string> path = oemFilePath(oem, file);
        if (!path) {
            continue;
        }
        if (file.kind == "driver") {
            std::optional<std::uint16_t> machine = peMachineType(*path);
            if (machine && *machine != (x64 ? kMachineAmd64 : kMachineI386)) {
                return Failure::refusal(
                    headline, *path,
                    translated("ドライバ %1 は %2 のプロセッサ用のプログラムではありません。",
                               {oemShown(file.name), x64 ? "x64" : "x86"}));
            }
        } else if (file.kind == "inf") {
            InfReader reader(*path);
            reader.setArchitecture(target.architecture);
            if (!reader.file().isOpen()) {
                continue;
            }
            if (Outcome judged = judgeInfArchitecture(reader, target); !judged) {
                return Failure::refusal(headline, *path, judged.failure().reason);
            }
        }
    }
    return {};
}

Outcome checkF6Entries(const std::vector<F6ListEntry>& listed, const std::vector<std::string>& ids,
                       BuildSettings& settings, const ToolSearch& tools,
                       const WindowsTarget& target, const StopCheck& stop) {
    // Each source is read once, in the list's order.
    std::vector<std::string> sources;
    std::map<std::string, TxtsetupOem> read;
    for (const F6ListEntry& item : listed) {
        if (read.contains(item.source)) {
            continue;
        }
        Result<TxtsetupOem> oem = readF6Source(item.source, target.architecture, tools, stop);
        if (!oem) {
            return oem.failure();
        }
        sources.push_back(item.source);
        read.emplace(item.source, std::move(*oem));
    }
    for (const std::string& id : ids) {
        if (std::none_of(sources.begin(), sources.end(),
                         [&](const std::string& source) { return read[source].entry(id); })) {
            return Failure::refusal(
                translated(
                    "--driver-entry %1: この ID の項目はどのドライバディスクにもありません。",
                    {id}),
                {}, translated("--list-entries で項目の ID を確かめてください。"));
        }
    }

    std::vector<Chosen> chosen;
    auto choose = [&](const std::string& source, const OemEntry* entry) {
        for (const Chosen& present : chosen) {
            if (present.source == source && present.entry == entry) {
                return;
            }
        }
        chosen.push_back({source, &read[source], entry});
    };
    for (const std::string& source : sources) {
        const TxtsetupOem& oem = read[source];
        const std::size_t before = chosen.size();
        for (const F6ListEntry& item : listed) {
            if (item.source != source || item.id.empty()) {
                continue;
            }
            const OemEntry* entry = oem.entry(item.id);
            if (entry == nullptr) {
                return Failure::refusal(
                    translated("%1 に項目 %2 がありません。", {source, item.id}), oem.path,
                    translated("TXTSETUP.OEM の [scsi] にない ID です。"));
            }
            choose(source, entry);
        }
        for (const std::string& id : ids) {
            if (const OemEntry* entry = oem.entry(id)) {
                choose(source, entry);
            }
        }
        if (chosen.size() == before) {
            const OemEntry* entry = oem.entry(oemShown(oem.defaultId));
            if (entry == nullptr) {
                return Failure::refusal(translated("%1 には選べる項目がありません。", {source}),
                                        oem.path,
                                        translated("[Defaults] の %1 が [scsi] にありません。",
                                                   {oemShown(oem.defaultId)}));
            }
            choose(source, entry);
        }
    }

    for (const Chosen& item : chosen) {
        if (Outcome usable = validateOemEntry(*item.oem, *item.entry); !usable) {
            return usable;
        }
        if (Outcome suits = judgeOemEntryArchitecture(*item.oem, *item.entry, target); !suits) {
            return suits;
        }
    }
    // One service name stands for one driver in the installation.
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        for (std::size_t j = i + 1; j < chosen.size(); ++j) {
            const std::string service = oemEntryService(*chosen[i].entry);
            if (!equalsSetupNoCase(service, oemEntryService(*chosen[j].entry))) {
                continue;
            }
            if (driverBytes(chosen[i]) != driverBytes(chosen[j])) {
                return Failure::refusal(
                    translated("%1 と %2 は一緒に組み込めません。",
                               {driverEntryText(chosen[i].source, oemShown(chosen[i].entry->id)),
                                driverEntryText(chosen[j].source, oemShown(chosen[j].entry->id))}),
                    {},
                    translated("どちらもサービス %1 として別のファイルを組み込みます。",
                               {oemShown(service)}));
            }
        }
    }
    for (const Chosen& item : chosen) {
        settings.addDriverEntry({item.source, oemShown(item.entry->id)});
    }
    return {};
}

} // namespace ornibe
