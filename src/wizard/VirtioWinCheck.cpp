#include "wizard/VirtioWinCheck.h"

#include "source/VirtioWinFolders.h"
#include "source/VirtioWinMedium.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"
#include "wizard/DriverInfCheck.h"
#include "wizard/PnpDriverCheck.h"

#include <algorithm>

namespace ornibe {
namespace {

std::string listed(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? std::string() : translated("、")) + item;
    }
    return text;
}

std::string backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool asked(const std::optional<std::vector<std::string>>& only, const std::string& name) {
    return !only || std::any_of(only->begin(), only->end(), [&](const std::string& given) {
        return equalsHostNoCase(given, name);
    });
}

} // namespace

std::optional<std::vector<std::string>> virtioWinDriversChecked(const std::vector<bool>& checked) {
    const std::vector<std::string>& names = virtioWinDriverNames();
    std::vector<std::string> taken;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i >= checked.size() || checked[i]) {
            taken.push_back(names[i]);
        }
    }
    if (taken.size() == names.size()) {
        return std::nullopt;
    }
    return taken;
}

std::vector<bool> virtioWinChecksOf(const VirtioWinChoice& choice) {
    std::vector<bool> checks;
    for (const std::string& name : virtioWinDriverNames()) {
        checks.push_back(asked(choice.only, name));
    }
    return checks;
}

bool isVirtioWinInf(const VirtioWinChoice& choice, const std::string& inf) {
    return std::any_of(choice.drivers.begin(), choice.drivers.end(),
                       [&](const VirtioWinDriver& driver) { return driver.inf == inf; });
}

std::vector<std::string> withoutVirtioWinInfs(const std::vector<std::string>& infs,
                                              const VirtioWinChoice& choice) {
    std::vector<std::string> kept;
    for (const std::string& inf : infs) {
        if (!isVirtioWinInf(choice, inf)) {
            kept.push_back(inf);
        }
    }
    return kept;
}

Outcome addVirtioWinDrivers(BuildSettings& settings, const std::string& source,
                            const std::optional<std::vector<std::string>>& only,
                            const WindowsTarget& target, const std::string& tempFolder,
                            const StopCheck& stop) {
    settings.setVirtioWin({});
    if (source.empty()) {
        return {};
    }
    const std::string path = withoutTrailingSlash(makeAbsolute(source));
    if (target.version == WindowsVersion::Windows2000) {
        return Failure::refusal(
            translated("virtio-win のドライバは Windows 2000 には組み込めません。"), path,
            translated(
                "virtio-win のドライバは Windows XP と Windows Server 2003 (xp、2k3 のフォルダ) "
                "までで、Windows 2000 用のものはありません。"));
    }
    VirtioWinMedium medium(path, stop);
    if (medium.problem()) {
        return *medium.problem();
    }
    const std::string system = virtioWinSystemName(target);

    VirtioWinChoice choice;
    choice.source = path;
    choice.version = medium.version();
    choice.only = only;
    for (const VirtioWinKind& kind : virtioWinKinds()) {
        if (!asked(only, kind.name)) {
            continue;
        }
        const std::string folder = findVirtioWinFolder(medium, kind, target);
        if (folder.empty()) {
            const std::vector<std::string> held = virtioWinFoldersHeld(medium, kind);
            const std::string what = held.empty() ? translated("なし") : listed(held);
            if (!only && !kind.textMode) {
                choice.notFound.push_back(
                    translated("%1（%2 にあるフォルダ：%3）", {kind.name, fileName(path), what}));
                continue;
            }
            std::vector<std::string> looked;
            for (const std::string& candidate : virtioWinCandidates(kind, target)) {
                looked.push_back(backslashed(candidate));
            }
            return Failure::refusal(
                translated("%1 に %2 用の %3 のフォルダがありません。", {path, system, kind.name}),
                path,
                translated("探したフォルダ：%1。%2 にある %3 のフォルダ：%4。",
                           {listed(looked), fileName(path), kind.name, what}));
        }
        Result<std::string> host = medium.hostFolder(folder, tempFolder);
        if (!host) {
            return Failure::refusal(translated("%1 の %2 を読み出せません。", {path, folder}), path,
                                    host.failure().line());
        }
        std::optional<std::string> inf = findFileNoCase(*host, kind.inf);
        if (!inf) {
            return Failure::refusal(translated("%1 の %2 を読み出せません。", {path, folder}), path,
                                    translated("%1 がありません。", {kind.inf}));
        }
        Outcome checked =
            kind.textMode ? validateDriverInf(*inf, target) : validatePnpDriverInf(*inf, target);
        if (!checked) {
            return Failure::refusal(
                translated("%1 の %2 の %3 は組み込めません。", {path, folder, kind.name}), *inf,
                checked.failure().reason);
        }
        if (kind.textMode) {
            settings.AddDriverInf(*inf);
        } else {
            settings.addPnpDriverInf(*inf);
        }
        choice.drivers.push_back({kind.name, folder, *inf, kind.textMode});
    }
    settings.setVirtioWin(choice);
    return {};
}

} // namespace ornibe
