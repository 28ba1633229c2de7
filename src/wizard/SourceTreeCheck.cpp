#include "wizard/SourceTreeCheck.h"

#include "media/IsoImageReader.h"
#include "sys/CaseLookup.h"
#include "sys/CopyTree.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <vector>

namespace ornibe {
namespace {

// The folders that hold the setup files: I386 on an x86 CD, AMD64 on an
// x64 one.
constexpr const char* kSetupFolders[] = {"I386", "AMD64"};

// At most this many of the names at the top are shown; a CD rarely has
// more, and the message stays short when a folder of many files is chosen.
constexpr std::size_t kNamesShown = 12;

// What a source offers to the check: its names at the top, whether a
// setup folder is there, and whether that folder holds TXTSETUP.SIF.
struct SourceView {
    std::function<std::optional<std::vector<std::string>>(const std::string&)> names;
    std::function<bool(const std::string&)> hasFile;
};

std::string listedNames(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i) {
        text += (i == 0 ? "" : ", ") + names[i];
    }
    if (names.size() > kNamesShown) {
        text += " ほか " + std::to_string(names.size() - kNamesShown) + " 個";
    }
    return text;
}

Outcome lookInto(const std::string& root, const SourceView& view, const char* kind) {
    for (const char* folder : kSetupFolders) {
        if (view.hasFile(std::string(folder) + "/TXTSETUP.SIF")) {
            return {};
        }
    }
    if (view.hasFile("IA64/TXTSETUP.SIF")) {
        // Itanium media: their setup tree is another one altogether.
        return Failure::refusal(root + " は Itanium（IA64）用の Windows の CD です。", root,
                                "IA64 の CD には対応していません（対応するのは I386 と AMD64 "
                                "の CD です）。");
    }
    const std::string headline =
        root + " には Windows 2000、XP、Server 2003 のセットアップファイルがありません。";
    std::optional<std::vector<std::string>> top = view.names("");
    if (!top) {
        return Failure::refusal(headline, root,
                                std::string(kind) + "の中を読めません（" + systemReason(errno) +
                                    "）。");
    }
    if (top->empty()) {
        return Failure::refusal(headline, root,
                                "I386/TXTSETUP.SIF がありません（" + std::string(kind) +
                                    "は空です）。");
    }
    std::string found = "（最上位にあるもの: " + listedNames(*top) + "）";
    for (const char* folder : kSetupFolders) {
        if (view.names(folder)) {
            return Failure::refusal(headline, root,
                                    std::string(folder) + " フォルダに TXTSETUP.SIF がありません" +
                                        found + "。");
        }
    }
    return Failure::refusal(headline, root, "I386/TXTSETUP.SIF がありません" + found + "。");
}

} // namespace

Outcome validateSetupSource(const std::string& root, const StopCheck& stop) {
    if (isImageSource(root)) {
        IsoImageReader image(root, stop);
        if (image.stopped()) {
            return {};
        }
        if (!image.ok()) {
            return Failure::refusal(root + " は Windows の CD のイメージとして読めません。", root,
                                    "（" + image.error() + "）");
        }
        SourceView view{[&](const std::string& folder) { return image.folderNames(folder); },
                        [&](const std::string& file) { return image.hasFile(file); }};
        return lookInto(root, view, "イメージ");
    }
    SourceView view{[&](const std::string& folder) -> std::optional<std::vector<std::string>> {
                        if (folder.empty()) {
                            return folderEntries(root);
                        }
                        std::optional<std::string> found = findNoCase(root, folder);
                        if (!found || !existsAsFolder(*found)) {
                            return std::nullopt;
                        }
                        return folderEntries(*found);
                    },
                    [&](const std::string& file) {
                        std::optional<std::string> found = findNoCase(root, file);
                        return found && existsAsFile(*found);
                    }};
    return lookInto(root, view, "フォルダ");
}

std::optional<std::uint64_t> sourceBytes(const std::string& root, const StopCheck& stop) {
    if (isImageSource(root)) {
        IsoImageReader image(root, stop);
        return image.ok() ? std::optional<std::uint64_t>(image.treeBytes()) : std::nullopt;
    }
    return treeBytes(root);
}

} // namespace ornibe
