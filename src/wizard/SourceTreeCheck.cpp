#include "wizard/SourceTreeCheck.h"

#include "source/Medium.h"
#include "sys/FileError.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace ornibe {
namespace {

// The folders that hold the setup files: I386 on an x86 CD, AMD64 on an
// x64 one.
constexpr const char* kSetupFolders[] = {"I386", "AMD64"};

// At most this many of the names at the top are shown; a CD rarely has
// more, and the message stays short when a folder of many files is chosen.
constexpr std::size_t kNamesShown = 12;

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

Outcome lookInto(const Medium& source, const char* kind) {
    const std::string& root = source.path();
    for (const char* folder : kSetupFolders) {
        if (source.hasFile(std::string(folder) + "/TXTSETUP.SIF")) {
            return {};
        }
    }
    if (source.hasFile("IA64/TXTSETUP.SIF")) {
        // Itanium media: their setup tree is another one altogether.
        return Failure::refusal(root + " は Itanium（IA64）用の Windows の CD です。", root,
                                "IA64 の CD には対応していません（対応するのは I386 と AMD64 "
                                "の CD です）。");
    }
    const std::string headline =
        root + " には Windows 2000、XP、Server 2003 のセットアップファイルがありません。";
    std::optional<std::vector<std::string>> top = source.folderNames("");
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
        if (source.folderNames(folder)) {
            return Failure::refusal(headline, root,
                                    std::string(folder) + " フォルダに TXTSETUP.SIF がありません" +
                                        found + "。");
        }
    }
    return Failure::refusal(headline, root, "I386/TXTSETUP.SIF がありません" + found + "。");
}

} // namespace

Outcome validateSetupSource(const Medium& source) {
    if (source.isImage()) {
        if (source.stopped()) {
            return {};
        }
        if (Outcome readable = source.readable(); !readable) {
            return Failure::refusal(source.path() +
                                        " は Windows の CD のイメージとして読めません。",
                                    source.path(), "（" + readable.failure().reason + "）");
        }
        return lookInto(source, "イメージ");
    }
    return lookInto(source, "フォルダ");
}

std::optional<std::uint64_t> sourceBytes(const Medium& source) {
    return source.treeBytes();
}

} // namespace ornibe
