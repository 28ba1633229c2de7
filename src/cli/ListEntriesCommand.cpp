#include "cli/ListEntriesCommand.h"

#include "cli/BuildCommand.h"
#include "cli/TerminalText.h"
#include "inf/OemEntryPackage.h"
#include "source/F6Source.h"
#include "source/Medium.h"
#include "source/SetupTree.h"
#include "sys/HostPath.h"
#include "wizard/F6DriverCheck.h"

#include <cstdio>

namespace ornibe {

int runListEntries(const std::string& given, const std::string& tree, const ToolSearch& tools,
                   const StopCheck& stop) {
    const std::string source = withoutTrailingSlash(makeAbsolute(given));
    if (!isF6Source(source)) {
        std::fprintf(stderr, "ornibe-build: %s\n",
                     terminalText(TerminalText::ListEntriesNotFloppy, {given}).c_str());
        return kExitRefused;
    }
    const Architecture architecture = !tree.empty() && (existsAsFolder(tree) || existsAsFile(tree))
                                          ? sourceArchitecture(*Medium::open(tree, stop))
                                          : Architecture::X86;
    Result<TxtsetupOem> oem = readF6Source(source, architecture, tools, stop);
    if (!oem && stopAsked(stop)) {
        // A stop while the floppy is read is no refusal of it.
        std::fprintf(stderr, "ornibe-build: stopped\n");
        return kExitFailed;
    }
    if (!oem) {
        std::fprintf(stderr, "ornibe-build: %s\n%s\n", oem.failure().headline.c_str(),
                     oem.failure().reason.c_str());
        return kExitRefused;
    }
    std::printf("%s\n", oem->shown(oem->path).c_str());
    for (const OemEntry& entry : oem->entries) {
        const bool isDefault = entry.id == oem->defaultId;
        std::printf("\n%s%s\n  %s\n", oemShown(entry.id).c_str(), isDefault ? "（既定）" : "",
                    oemShown(entry.description).c_str());
        std::printf("  サービス: %s\n", oemShown(oemEntryService(entry)).c_str());
        std::printf("  ハードウェア ID: %zu 個\n", entry.hardwareIds.size());
        for (const auto& [id, service] : entry.hardwareIds) {
            std::printf("    %s (%s)\n", oemShown(id).c_str(), oemShown(service).c_str());
        }
        Outcome usable = validateOemEntry(*oem, entry);
        if (usable) {
            std::printf("  ファイル: あり\n");
        } else {
            std::printf("  ファイル: 組み込めません（%s）\n", usable.failure().reason.c_str());
        }
    }
    return 0;
}

} // namespace ornibe
