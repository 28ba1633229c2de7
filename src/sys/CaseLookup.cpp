#include "sys/CaseLookup.h"

#include "sys/CaseFold.h"
#include "sys/HostPath.h"
#include "sys/WindowsPath.h"

#include <sys/stat.h>

#include <memory>

namespace ornibe {
namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

} // namespace

void CaseVariants::add(const std::string& name) {
    auto [it, inserted] = byFold_.emplace(foldHostText(name), name);
    if (!inserted && name < it->second) {
        it->second = name;
    }
}

const std::string* CaseVariants::find(std::string_view name) const {
    auto it = byFold_.find(foldHostText(name));
    return it == byFold_.end() ? nullptr : &it->second;
}

DestFolder::DestFolder(std::string path) : path_(std::move(path)) {
    for (const std::string& name : folderEntries(path_).value_or(std::vector<std::string>{})) {
        add(name);
    }
}

std::string DestFolder::entryFor(const std::string& name, bool* existed) {
    bool there = true;
    if (exact_.count(name) == 0) {
        if (const std::string* twin = twins_.find(name)) {
            if (existed != nullptr) {
                *existed = true;
            }
            return joinPath(path_, *twin);
        }
        add(name);
        there = false;
    }
    if (existed != nullptr) {
        *existed = there;
    }
    return joinPath(path_, name);
}

void DestFolder::add(const std::string& name) {
    exact_.insert(name);
    twins_.add(name);
}

std::optional<std::string> entryNameNoCase(const std::string& folder, std::string_view name) {
    const std::string onDisk = folder.empty() ? "." : folder;
    if (exists(joinPath(onDisk, name))) {
        return std::string(name);
    }
    std::optional<std::vector<std::string>> entries = folderEntries(onDisk);
    if (!entries) {
        return std::nullopt;
    }
    CaseVariants variants;
    for (const std::string& candidate : *entries) {
        if (equalsHostNoCase(candidate, name)) {
            variants.add(candidate);
        }
    }
    const std::string* found = variants.find(name);
    return found ? std::optional<std::string>(*found) : std::nullopt;
}

std::optional<std::string> findFileNoCase(const std::string& folder, std::string_view name) {
    std::optional<std::string> found = findNoCase(folder.empty() ? "." : folder, name);
    if (found && existsAsFile(*found)) {
        return found;
    }
    return std::nullopt;
}

std::optional<std::string> findNoCase(const std::string& base, std::string_view relative) {
    std::string path = base;
    if (!exists(path.empty() ? "." : path)) {
        return std::nullopt;
    }
    for (std::string_view part : splitWindowsPath(relative)) {
        if (part == ".") {
            continue;
        }
        if (part == "..") {
            path = joinPath(path, "..");
            continue;
        }
        std::optional<std::string> name = entryNameNoCase(path, part);
        if (!name) {
            return std::nullopt;
        }
        path = joinPath(path, *name);
    }
    return path;
}

std::string entryPathNoCase(const std::string& folder, std::string_view name) {
    if (std::optional<std::string> existing = entryNameNoCase(folder, name)) {
        return joinPath(folder, *existing);
    }
    return joinPath(folder, name);
}

} // namespace ornibe
