// The hotfix step of the build: after the Service Pack and the drivers,
// each package goes into the setup folder's SVCPACK under a short name and
// into SVCPACK.INF's [SetupHotfixesToRun], which setup runs at T-13.

#include "runner/steps/HotfixStep.h"

#include "runner/steps/BuildSteps.h"

#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "patch/SetupFileEditor.h"
#include "patch/SvcpackHotfixes.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/ShortName.h"
#include "sys/TextEncoding.h"
#include "sys/Translation.h"

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
                translated("修正プログラム %1 は SVCPACK.INF にもう載っています。", {own}),
                hotfix.path,
                translated("同じ名前の別のファイルがセットアップの SVCPACK にあります。"));
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
        log.append(translated("\r\n\r\n追加する修正プログラム（セットアップの T-13 で実行）："));
        Result<std::vector<HotfixPlace>> places = placeHotfixes(
            additions.hotfixes, names, [](const std::string&) { return false; },
            [&](const std::string& name, const std::string& package) {
                std::error_code error;
                const std::uintmax_t size = std::filesystem::file_size(package, error);
                if (error || source.fileSize(folder + "/" + name) != size) {
                    return false;
                }
                Result<std::string> bytes = source.readFile(folder + "/" + name, size);
                return bytes && *bytes == readFile(package);
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
        log.append(translated("\r\n\r\n$OEM$ に加えるフォルダ：") + std::string(kIndent) +
                   additions.oemFolder + " → $OEM$");
    }
    if (!additions.setupCommands.empty()) {
        log.append(translated("\r\n\r\nセットアップ中に実行するコマンド（$OEM$\\cmdlines.txt）："));
        for (const std::string& command : additions.setupCommands) {
            log.append(kIndent + command);
        }
    }
    if (!additions.firstLogonCommands.empty()) {
        log.append(
            translated("\r\n\r\n最初のログオンで実行するコマンド（WINNT.SIF [GuiRunOnce]）："));
        for (const std::string& command : additions.firstLogonCommands) {
            log.append(kIndent + command);
        }
    }
}

namespace {

// What the step does, or why it failed.
Outcome addHotfixes(BuildContext& context) {
    const std::vector<HotfixChoice>& hotfixes = context.settings.getSetupAdditions().hotfixes;
    const std::string setupFolder = context.i386Folder();
    ProgressLog& log = context.log();
    std::vector<std::string> copied;
    std::string madeFolder;
    // On a failure the packages copied go again, and SVCPACK too when the
    // step made it.
    auto undo = [&] {
        for (const std::string& path : copied) {
            ::unlink(path.c_str());
        }
        if (!madeFolder.empty()) {
            ::rmdir(madeFolder.c_str());
        }
    };
    try {
        refuseLink("open", setupFolder);
        const std::string svcpack = entryPathNoCase(setupFolder, "SVCPACK");
        refuseLink("open", svcpack);
        const DriverPackage noDrivers;
        SetupFileEditor editor(context.tools, setupFolder, noDrivers, context.data.target);

        // What SVCPACK.INF lists now, after the Service Pack.
        std::vector<std::string> listed;
        if (Outcome prepared = editor.PrepareWorkCopy(editor.setupFilePath("SVCPACK.INF"));
            !prepared) {
            return prepared;
        }
        {
            InfReader reader = SetupFileEditor::readSetupFile(editor.workCopyPath());
            for (const HotfixLine& line : hotfixLinesOf(reader.file())) {
                listed.push_back(cp932ToUtf8(line.name));
            }
            reader.Close();
        }
        ::unlink(editor.workCopyPath().c_str());

        Result<std::vector<HotfixPlace>> places = placeHotfixes(
            hotfixes, listed,
            [&](const std::string& name) { return entryNameNoCase(svcpack, name).has_value(); },
            [&](const std::string& name, const std::string& package) {
                std::optional<std::string> file = findFileNoCase(svcpack, name);
                std::error_code fileError;
                std::error_code packageError;
                return file &&
                       std::filesystem::file_size(*file, fileError) ==
                           std::filesystem::file_size(package, packageError) &&
                       !fileError && !packageError && readFile(*file) == readFile(package);
            });
        if (!places) {
            return places.failure();
        }
        if (!existsAsFolder(svcpack)) {
            makeFolders(svcpack);
            madeFolder = svcpack;
        }
        std::vector<HotfixLine> lines;
        for (const HotfixPlace& place : *places) {
            lines.push_back({utf8ToCp932(place.name), place.switches});
            if (place.present) {
                log.append(translated("%1 は SVCPACK\\%2 としてもう載っています。\r\n",
                                      {fileName(place.package), place.name}));
                continue;
            }
            log.append(translated("%1 を SVCPACK\\%2 にコピーしています。。。",
                                  {fileName(place.package), place.name}));
            const std::string target = joinPath(svcpack, place.name);
            copied.push_back(target);
            writeFileAtomic(target, readFile(place.package));
            log.append(translated("完了\r\n"));
        }
        // DOSNET.INF first: naming svcpack there is harmless on its own,
        // while a list without its files is not.
        log.append(translated("DOSNET.INF を修正しています。。。"));
        editor.nameSvcpackInDosnet();
        log.append(translated("完了\r\nSVCPACK.INF を修正しています。。。"));
        if (Outcome listedNow = editor.addHotfixes(lines); !listedNow) {
            undo();
            return listedNow;
        }
        log.append(translated("完了\r\n修正プログラムの追加が完了しました。\r\n\r\n"));
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
        context.reportFailure(translated("\r\n修正プログラムの追加に失敗しました\r\n") +
                              (failure.headline.empty() ? "" : failure.headline + "\r\n") +
                              failure.line());
        return false;
    }
    return true;
}

} // namespace ornibe
