#include "sys/PathUnderRoot.h"

#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"
#include "sys/WindowsPath.h"

#include <sys/stat.h>

#include <optional>
#include <vector>

namespace ornibe {
namespace {

std::vector<std::string_view> splitParts(std::string_view relative) {
    std::vector<std::string_view> parts;
    for (std::string_view part : splitWindowsPath(relative)) {
        if (part != ".") {
            parts.push_back(part);
        }
    }
    return parts;
}

// The entry of folder that name means, or nothing when none exists.
std::optional<std::string> matchEntry(const std::string& folder, std::string_view name,
                                      NameCase nameCase) {
    if (nameCase != NameCase::Exact) {
        return entryNameNoCase(folder, name);
    }
    struct stat st {};
    if (::lstat(joinPath(folder.empty() ? "." : folder, name).c_str(), &st) == 0) {
        return std::string(name);
    }
    return std::nullopt;
}

bool isLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

RootedPath refused(std::string why) {
    return Failure{{}, {}, std::move(why)};
}

} // namespace

RootedPath pathUnderRoot(const std::string& root, std::string_view relative, NameCase nameCase) {
    if (!relative.empty() && (relative.front() == '/' || relative.front() == '\\')) {
        return refused(translated("%1 は絶対パスです", {relative}));
    }
    if (relative.size() >= 2 && relative[1] == ':') {
        return refused(translated("%1 はドライブを指定しています", {relative}));
    }
    std::string path = root;
    bool existing = true;
    for (std::string_view part : splitParts(relative)) {
        if (part == "..") {
            return refused(translated("%1 は「..」で上のフォルダを指しています", {relative}));
        }
        std::optional<std::string> entry;
        if (existing) {
            entry = matchEntry(path, part, nameCase);
        }
        existing = entry.has_value();
        path = joinPath(path, entry ? *entry : std::string(part));
        if (existing && isLink(path)) {
            return refused(translated("%1 はリンクです", {path}));
        }
    }
    return path;
}

RootedPath checkUnderRoot(const std::string& root, const std::string& path) {
    std::string base = makeAbsolute(root);
    std::string full = makeAbsolute(path);
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    while (full.size() > 1 && full.back() == '/') {
        full.pop_back();
    }
    std::string prefix = base == "/" ? base : base + "/";
    if (!isSameOrInside(full, base)) {
        return refused(translated("%1 は %2 の外にあります", {path, root}));
    }
    RootedPath checked = pathUnderRoot(base, full.substr(std::min(full.size(), prefix.size())));
    if (!checked) {
        return checked;
    }
    return path;
}

} // namespace ornibe
