// The hotfix step of the build: after the Service Pack and the drivers,
// each package goes into the setup folder's SVCPACK under a short name and
// into SVCPACK.INF's [SetupHotfixesToRun], which setup runs at T-13.

#include "runner/steps/HotfixStep.h"

#include "runner/steps/BuildSteps.h"

#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "patch/SetupFileEditor.h"
#include "patch/SvcpackHotfixes.h"
#include "runner/WorkRecord.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/ShortName.h"
#include "sys/TextEncoding.h"

#include <unistd.h>

#include <filesystem>
#include <optional>

namespace ornibe {
namespace {

const char* const kIndent = "\r\n      ";

std::string switchesOf(const HotfixChoice& hotfix) {
    return hotfix.switches.empty() ? std::string(kDefaultHotfixSwitches) : hotfix.switches;
}

bool containsNoCase(const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& entry : names) {
        if (equalsSetupNoCase(entry, name)) {
            return true;
        }
    }
    return false;
}

// The package's Knowledge Base number as its short name ("KB900001.EXE"
// for "WindowsXP-KB900001-x86-JPN.exe"), the name people look it up by;
// nothing when the name holds no "KB" and digits that fit in eight.
std::optional<std::string> knowledgeBaseName(const std::string& name) {
    for (std::size_t at = 0; at + 2 < name.size(); ++at) {
        if ((name[at] != 'K' && name[at] != 'k') || (name[at + 1] != 'B' && name[at + 1] != 'b')) {
            continue;
        }
        std::size_t end = at + 2;
        while (end < name.size() && name[end] >= '0' && name[end] <= '9') {
            ++end;
        }
        if (end == at + 2 || end - at > 8) {
            continue;
        }
        std::string shortName = "KB" + name.substr(at + 2, end - at - 2);
        if (std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > end) {
            std::string extension = name.substr(dot + 1, 3);
            for (char& c : extension) {
                c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
            }
            shortName += "." + extension;
        }
        if (isShortName(shortName)) {
            return shortName;
        }
    }
    return std::nullopt;
}

} // namespace

Result<std::vector<HotfixPlace>> placeHotfixes(
    const std::vector<HotfixChoice>& hotfixes, const std::vector<std::string>& listed,
    const std::function<bool(const std::string&)>& taken,
    const std::function<bool(const std::string& name, const std::string& package)>& sameBytes) {
    std::vector<HotfixPlace> places;
    std::vector<std::string> given;
    for (const HotfixChoice& hotfix : hotfixes) {
        HotfixPlace place{hotfix.path, {}, switchesOf(hotfix), false};
        for (const std::string& name : listed) {
            if (!containsNoCase(given, name) && sameBytes(name, hotfix.path)) {
                place.name = name;
                place.present = true;
                break;
            }
        }
        const std::string own = fileName(hotfix.path);
        if (!place.present && isShortName(own) && containsNoCase(listed, own)) {
            return Failure::refusal(
                "修正プログラム " + own + " は SVCPACK.INF にもう載っています。", hotfix.path,
                "同じ名前の別のファイルがセットアップの SVCPACK にあります。");
        }
        auto used = [&](const std::string& name) {
            return containsNoCase(given, name) || containsNoCase(listed, name) || taken(name);
        };
        if (!place.present) {
            std::optional<std::string> knowledgeBase = knowledgeBaseName(own);
            place.name = knowledgeBase && !isShortName(own) && !used(*knowledgeBase)
                             ? *knowledgeBase
                             : shortNameFor(own, used);
        }
        given.push_back(place.name);
        places.push_back(std::move(place));
    }
    return places;
}

void appendSetupAdditionsSummary(const BuildSettings& settings, Architecture architecture,
                                 const Medium& source, ProgressLog& log) {
    const SetupAdditions& additions = settings.getSetupAdditions();
    if (additions.empty()) {
        return;
    }
    const std::string folder = std::string(setupFolderName(architecture)) + "/SVCPACK";
    const std::vector<std::string> names =
        source.folderNames(folder).value_or(std::vector<std::string>{});
    if (!additions.hotfixes.empty()) {
        log.append("\r\n\r\n追加する修正プログラム（セットアップの T-13 で実行）：");
        Result<std::vector<HotfixPlace>> places = placeHotfixes(
            additions.hotfixes, names, [](const std::string&) { return false; },
            [&](const std::string& name, const std::string& package) {
                std::error_code error;
                const std::uintmax_t size = std::filesystem::file_size(package, error);
                if (error || source.fileSize(folder + "/" + name) != size) {
                    return false;
                }
                Result<std::string> bytes = source.readFile(folder + "/" + name, size);
                return bytes && *bytes == settings.inputSnapshots().read(package, kCdBytes);
            });
        if (!places) {
            log.append(kIndent + places.failure().headline);
        }
        for (std::size_t i = 0; places && i < places->size(); ++i) {
            const HotfixPlace& place = (*places)[i];
            log.append(kIndent + fileName(place.package) + " → " +
                       std::string(setupFolderName(architecture)) + "\\SVCPACK\\" + place.name +
                       " " + place.switches);
        }
    }
    if (!additions.oemFolder.empty()) {
        log.append("\r\n\r\n$OEM$ に加えるフォルダ：" + std::string(kIndent) + additions.oemFolder +
                   " → $OEM$");
    }
    if (!additions.setupCommands.empty()) {
        log.append("\r\n\r\nセットアップ中に実行するコマンド（$OEM$\\cmdlines.txt）：");
        for (const std::string& command : additions.setupCommands) {
            log.append(kIndent + command);
        }
    }
    if (!additions.firstLogonCommands.empty()) {
        log.append("\r\n\r\n最初のログオンで実行するコマンド（WINNT.SIF [GuiRunOnce]）：");
        for (const std::string& command : additions.firstLogonCommands) {
            log.append(kIndent + command);
        }
    }
}

namespace {

// What the step does, or why it failed. What an earlier build of the work
// folder listed (its record) goes first, so that the tree is as a build
// into an empty folder makes it; a file that stays the same is not written.
Outcome addHotfixes(BuildContext& context) {
    const std::vector<HotfixChoice>& hotfixes = context.settings.getSetupAdditions().hotfixes;
    const std::string setupFolder = context.i386Folder();
    // A package's bytes as the settings checks read them, whatever became
    // of the file since.
    auto packageBytes = [&](const std::string& package) {
        std::optional<std::string> bytes =
            context.settings.inputSnapshots().read(package, kCdBytes);
        if (!bytes) {
            throw FileError("read", package, "CD に入りきらない大きさです。");
        }
        return std::move(*bytes);
    };
    ProgressLog& log = context.log();
    std::vector<std::string> copied;
    std::string madeSvcpack;
    // On a failure the packages copied go again, and SVCPACK too when the
    // step made it.
    auto undo = [&] {
        for (const std::string& path : copied) {
            ::unlink(path.c_str());
        }
        if (!madeSvcpack.empty()) {
            ::rmdir(madeSvcpack.c_str());
        }
    };
    try {
        Result<WorkRecord> record = readWorkRecord(context.settings.GetWorkFolder());
        if (!record) {
            return record.failure();
        }
        const std::vector<std::string> earlier = recordValues(record->lines, kRecordHotfix);
        auto isEarlier = [&](std::string_view name) {
            return containsNoCase(earlier, std::string(name));
        };
        refuseLink("open", setupFolder);
        const std::string svcpack = entryPathNoCase(setupFolder, "SVCPACK");
        refuseLink("open", svcpack);
        const DriverPackage noDrivers;
        SetupFileEditor editor(context.tools, setupFolder, noDrivers, context.data.target);

        // What SVCPACK.INF lists now, after the Service Pack, without what
        // an earlier build added.
        std::vector<std::string> listed;
        if (Outcome prepared = editor.PrepareWorkCopy(editor.setupFilePath("SVCPACK.INF"));
            !prepared) {
            return prepared;
        }
        {
            writeFileAtomic(editor.workCopyPath(),
                            withoutSectionLines(readFile(editor.workCopyPath()),
                                                "SetupHotfixesToRun", [&](std::string_view text) {
                                                    return isEarlier(
                                                        text.substr(0, text.find_first_of(" \t")));
                                                }));
            InfReader reader = SetupFileEditor::readSetupFile(editor.workCopyPath());
            for (const HotfixLine& line : hotfixLinesOf(reader.file())) {
                listed.push_back(cp932ToUtf8(line.name));
            }
            reader.Close();
        }
        ::unlink(editor.workCopyPath().c_str());

        Result<std::vector<HotfixPlace>> places = placeHotfixes(
            hotfixes, listed,
            [&](const std::string& name) {
                return !isEarlier(name) && entryNameNoCase(svcpack, name).has_value();
            },
            [&](const std::string& name, const std::string& package) {
                std::optional<std::string> file = findFileNoCase(svcpack, name);
                std::error_code fileError;
                std::error_code packageError;
                return file &&
                       std::filesystem::file_size(*file, fileError) ==
                           std::filesystem::file_size(package, packageError) &&
                       !fileError && !packageError && readFile(*file) == packageBytes(package);
            });
        if (!places) {
            return places.failure();
        }
        std::vector<std::string> added;
        for (const HotfixPlace& place : *places) {
            if (!place.present) {
                added.push_back(place.name);
            }
        }
        // Every package this build may leave is in the record before
        // anything is copied, so that a copy that fails half-way leaves
        // only files the next build knows as its own.
        std::vector<std::string> claimed = earlier;
        for (const std::string& name : added) {
            if (!isEarlier(name)) {
                claimed.push_back(name);
            }
        }
        if (!claimed.empty()) {
            makeOemFolder(*record);
        }
        if (!existsAsFolder(svcpack) && !added.empty()) {
            makeFolders(svcpack);
            madeSvcpack = svcpack;
            noteMadeFolder(*record, kMadeSvcpack);
        }
        record->lines = withRecordKind(std::move(record->lines), kRecordHotfix, claimed);
        writeWorkRecord(*record);

        for (const std::string& name : earlier) {
            if (containsNoCase(added, name)) {
                continue;
            }
            if (std::optional<std::string> file = findFileNoCase(svcpack, name)) {
                log.append("SVCPACK\\" + name + " を削除しています。。。");
                removeFile(*file);
                log.append("完了\r\n");
            }
        }
        std::vector<HotfixLine> lines;
        for (const HotfixPlace& place : *places) {
            lines.push_back({utf8ToCp932(place.name), place.switches});
            const std::string target = entryPathNoCase(svcpack, place.name);
            const bool same = place.present || (isEarlier(place.name) && existsAsFile(target) &&
                                                readFile(target) == packageBytes(place.package));
            if (same) {
                log.append(fileName(place.package) + " は SVCPACK\\" + place.name +
                           " としてもう載っています。\r\n");
                continue;
            }
            log.append(fileName(place.package) + " を SVCPACK\\" + place.name +
                       " にコピーしています。。。");
            copied.push_back(target);
            writeFileAtomic(target, packageBytes(place.package));
            log.append("完了\r\n");
        }
        // DOSNET.INF first: naming svcpack there is harmless on its own,
        // while a list without its files is not. With no package left, the
        // line an earlier build added goes, unless drivers' catalogs of
        // this build may need it.
        log.append("DOSNET.INF を修正しています。。。");
        const bool dosnetNamed = editor.DosnetHasSvcpack();
        bool dosnetOurs = !recordValues(record->lines, kRecordDosnet).empty();
        if (!added.empty() && !dosnetNamed) {
            editor.nameSvcpackInDosnet();
            dosnetOurs = true;
        } else if (added.empty() && dosnetOurs && context.settings.GetDriverInf(0).empty()) {
            editor.unnameSvcpackInDosnet();
            dosnetOurs = false;
        }
        log.append("完了\r\nSVCPACK.INF を修正しています。。。");
        if (Outcome listedNow = editor.addHotfixes(lines, isEarlier); !listedNow) {
            undo();
            return listedNow;
        }
        log.append("完了\r\n");
        if (added.empty() && madeSvcpack.empty() && madeFolder(*record, kMadeSvcpack) &&
            existsAsFolder(svcpack) && std::filesystem::is_empty(svcpack)) {
            ::rmdir(svcpack.c_str());
            std::erase(record->lines,
                       BuildRecordLine{std::string(kRecordMadeFolder), std::string(kMadeSvcpack)});
        }
        record->lines = withRecordKind(std::move(record->lines), kRecordDosnet,
                                       dosnetOurs ? std::vector<std::string>{"svcpack"}
                                                  : std::vector<std::string>{});
        record->lines = withRecordKind(std::move(record->lines), kRecordHotfix, added);
        writeWorkRecord(*record);
        log.append(added.empty() && hotfixes.empty()
                       ? "修正プログラムを取り除きました。\r\n\r\n"
                       : "修正プログラムの追加が完了しました。\r\n\r\n");
    } catch (const FileError& error) {
        undo();
        return Failure::fromFileError(error);
    }
    return {};
}

} // namespace

bool hotfixStep(BuildContext& context) {
    if (Outcome added = addHotfixes(context); !added) {
        const Failure& failure = added.failure();
        context.reportFailure("\r\n修正プログラムの追加に失敗しました\r\n" +
                              (failure.headline.empty() ? "" : failure.headline + "\r\n") +
                              failure.line());
        return false;
    }
    return true;
}

} // namespace ornibe
