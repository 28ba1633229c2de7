#include "cli/ListEntriesCommand.h"

#include "cli/BuildCommand.h"
#include "cli/TerminalText.h"
#include "inf/OemEntryPackage.h"
#include "source/F6Source.h"
#include "source/Medium.h"
#include "source/SetupTree.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"
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
        std::fprintf(stderr, "ornibe-build: %s\n", terminalText(TerminalText::Stopped).c_str());
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
        const std::string id = oemShown(entry.id);
        std::printf("\n%s\n  %s\n", isDefault ? translated("%1（既定）", {id}).c_str() : id.c_str(),
                    oemShown(entry.description).c_str());
        std::printf("  %s\n",
                    translated("サービス: %1", {oemShown(oemEntryService(entry))}).c_str());
        std::printf("  %s\n",
                    translated("ハードウェア ID: %1 個", {std::to_string(entry.hardwareIds.size())})
                        .c_str());
        for (const auto& [id, service] : entry.hardwareIds) {
            std::printf("    %s (%s)\n", oemShown(id).c_str(), oemShown(service).c_str());
        }
        Outcome usable = validateOemEntry(*oem, entry);
        if (usable) {
            std::printf("  %s\n", translated("ファイル: あり").c_str());
        } else {
            std::printf(
                "  %s\n",
                translated("ファイル: 組み込めません（%1）", {usable.failure().reason}).c_str());
        }
    }
    return 0;
}

} // namespace ornibe
