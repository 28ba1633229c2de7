#include "wizard/SourceTreeCheck.h"

#include "source/Medium.h"
#include "sys/FileError.h"
#include "sys/Translation.h"

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
        text += translated(" ほか %1 個", {std::to_string(names.size() - kNamesShown)});
    }
    return text;
}

Outcome lookInto(const Medium& source, std::string_view kind) {
    const std::string& root = source.path();
    for (const char* folder : kSetupFolders) {
        if (source.hasFile(std::string(folder) + "/TXTSETUP.SIF")) {
            return {};
        }
    }
    if (source.hasFile("IA64/TXTSETUP.SIF")) {
        // Itanium media: their setup tree is another one altogether.
        return Failure::refusal(
            translated("%1 は Itanium（IA64）用の Windows の CD です。", {root}), root,
            translated("IA64 の CD には対応していません（対応するのは I386 と "
                       "AMD64 の CD です）。"));
    }
    const std::string headline = translated(
        "%1 には Windows 2000、XP、Server 2003 のセットアップファイルがありません。", {root});
    std::optional<std::vector<std::string>> top = source.folderNames("");
    if (!top) {
        return Failure::refusal(
            headline, root,
            translated("%1の中を読めません（%2）。", {translated(kind), systemReason(errno)}));
    }
    if (top->empty()) {
        return Failure::refusal(
            headline, root,
            translated("I386/TXTSETUP.SIF がありません（%1は空です）。", {translated(kind)}));
    }
    const std::string found = translated("（最上位にあるもの: %1）", {listedNames(*top)});
    for (const char* folder : kSetupFolders) {
        if (source.folderNames(folder)) {
            return Failure::refusal(
                headline, root,
                translated("%1 フォルダに TXTSETUP.SIF がありません%2。", {folder, found}));
        }
    }
    return Failure::refusal(headline, root,
                            translated("I386/TXTSETUP.SIF がありません%1。", {found}));
}

} // namespace

Outcome validateSetupSource(const Medium& source) {
    if (source.isImage()) {
        if (source.stopped()) {
            return {};
        }
        if (Outcome readable = source.readable(); !readable) {
            return Failure::refusal(
                translated("%1 は Windows の CD のイメージとして読めません。", {source.path()}),
                source.path(), translated("（%1）", {readable.failure().reason}));
        }
        return lookInto(source, toTranslate("イメージ"));
    }
    return lookInto(source, toTranslate("フォルダ"));
}

std::optional<std::uint64_t> sourceBytes(const Medium& source) {
    return source.treeBytes();
}

} // namespace ornibe
