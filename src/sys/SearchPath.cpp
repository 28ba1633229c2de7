#include "sys/SearchPath.h"

#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/HostPath.h"
#include "sys/ToolFolder.h"

#include <unistd.h>

#include <memory>
#include <vector>

namespace ornibe {
namespace {

// The regular file in folder whose name equals name ignoring ASCII case;
// the exact spelling first, then the smallest of several case variants so
// that the answer does not depend on the order of the directory.
std::string matchFile(const std::string& folder, std::string_view name,
                      bool (*accept)(const std::string&)) {
    if (name.empty()) {
        return {};
    }
    std::string exact = joinPath(folder, name);
    if (accept(exact)) {
        return exact;
    }
    std::optional<std::vector<std::string>> entries = folderEntries(folder);
    if (!entries) {
        return {};
    }
    CaseVariants variants;
    for (const std::string& candidate : *entries) {
        if (equalsHostNoCase(candidate, name) && accept(joinPath(folder, candidate))) {
            variants.add(candidate);
        }
    }
    const std::string* found = variants.find(name);
    return found ? joinPath(folder, *found) : std::string();
}

bool isFile(const std::string& path) {
    return existsAsFile(path);
}

bool isProgram(const std::string& path) {
    return existsAsFile(path) && ::access(path.c_str(), X_OK) == 0;
}

std::string findInFolder(const std::string& folder, std::string_view name,
                         bool (*accept)(const std::string&)) {
    std::string found = matchFile(folder, name, accept);
    if (found.empty() && name.size() > 4 &&
        equalsHostNoCase(name.substr(name.size() - 4), ".EXE")) {
        found = matchFile(folder, name.substr(0, name.size() - 4), accept);
    }
    return found;
}

} // namespace

std::string findFileInFolder(const std::string& folder, std::string_view name) {
    return findInFolder(folder, name, isFile);
}

ToolSearch::ToolSearch(std::string toolFolder, std::string currentFolder,
                       HostEnvironment environment)
    : toolFolder_(std::move(toolFolder)), currentFolder_(std::move(currentFolder)),
      environment_(std::move(environment)), starter_(systemProcessStarter()) {}

ToolSearch ToolSearch::forThisProgram(HostEnvironment environment) {
    return ToolSearch(ownToolFolder(), ".", std::move(environment));
}

std::string ToolSearch::fromCurrentFolder(std::string_view path) const {
    if (!path.empty() && path.front() == '/') {
        return std::string(path);
    }
    return joinPath(currentFolder_, path);
}

// A name with "/": the exact path, or else its folder and its last part
// matched ignoring case.
std::string ToolSearch::findPath(std::string_view name, bool (*accept)(const std::string&)) const {
    std::string path = fromCurrentFolder(name);
    if (accept(path)) {
        return makeAbsolute(path);
    }
    std::string folder = folderPart(name);
    std::optional<std::string> realFolder =
        folder == "/" ? std::optional<std::string>("/")
                      : findNoCase(folder.front() == '/' ? "/" : currentFolder_, folder);
    if (!realFolder) {
        return {};
    }
    std::string found = findInFolder(*realFolder, fileName(name), accept);
    return found.empty() ? found : makeAbsolute(found);
}

std::string ToolSearch::search(std::string_view name, bool withCurrentFolder,
                               bool (*accept)(const std::string&)) const {
    if (name.empty()) {
        return {};
    }
    if (name.find('/') != std::string_view::npos) {
        return findPath(name, accept);
    }
    std::vector<std::string> folders{toolFolder_};
    if (withCurrentFolder) {
        folders.push_back(currentFolder_);
    }
    for (const std::string& folder : environment_.searchFolders()) {
        folders.push_back(fromCurrentFolder(folder));
    }
    for (const std::string& folder : folders) {
        if (folder.empty()) {
            continue;
        }
        std::string found = findInFolder(folder, name, accept);
        if (!found.empty()) {
            return makeAbsolute(found);
        }
    }
    return {};
}

std::string ToolSearch::findOnSearchPath(std::string_view name) const {
    return search(name, true, isFile);
}

std::string ToolSearch::findProgram(std::string_view name) const {
    if (name.find('/') != std::string_view::npos) {
        return findPath(name, isFile);
    }
    std::string found = search(name, false, isProgram);
    if (found.empty()) {
        // Only a file without execute permission: name it anyway, so that
        // starting it fails with "Permission denied" instead of "not found".
        found = search(name, false, isFile);
    }
    return found;
}

ToolSearch ToolSearch::withChildVariable(const std::string& name, const std::string& value) const {
    ToolSearch search = *this;
    search.environment_ = environment_.with(name, value);
    return search;
}

ToolSearch ToolSearch::withProcessStarter(std::shared_ptr<ProcessStarter> starter) const {
    ToolSearch search = *this;
    search.starter_ = std::move(starter);
    return search;
}

} // namespace ornibe
