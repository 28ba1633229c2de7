#include "sys/ToolFolder.h"

#include "sys/HostPath.h"

#include <unistd.h>

#include <optional>
#include <vector>

namespace ornibe {
namespace {

std::string executableFolder() {
    std::vector<char> buffer(4096);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        return {};
    }
    return folderPart(std::string_view(buffer.data(), static_cast<size_t>(n)));
}

bool holdsTools(const std::string& folder) {
    return existsAsFolder(joinPath(folder, "")) && existsAsFile(joinPath(folder, "cdimage"));
}

// A program run from a CMake build tree sits somewhere below the tree's
// root, which alone holds CMakeCache.txt; the tools are in the root's tool
// folder. Nothing of the build tree is compiled in, so an installed program
// never looks there: its own tool folder is found first. The same holds for
// the message catalogs, under the root's locale folder.
template <typename Holds>
std::optional<std::string> inBuildTree(std::string folder, std::string_view name, Holds holds) {
    while (!folder.empty()) {
        std::string inside = joinPath(folder, name);
        if (existsAsFile(joinPath(folder, "CMakeCache.txt")) && holds(inside)) {
            return inside;
        }
        std::string parent = folderPart(folder);
        if (parent == folder) {
            break;
        }
        folder = std::move(parent);
    }
    return std::nullopt;
}

std::string findOwnToolFolder() {
    const std::string exeFolder = executableFolder();
    std::string installed = makeAbsolute(joinPath(exeFolder, ORNIBE_INSTALLED_TOOL_DIR_FROM_BIN));
    if (holdsTools(installed)) {
        return installed;
    }
    if (std::optional<std::string> built =
            inBuildTree(exeFolder, ORNIBE_BUILD_TOOL_DIR_NAME, holdsTools)) {
        return *built;
    }
    return installed;
}

} // namespace

std::string ownToolFolder() {
    static const std::string own = findOwnToolFolder();
    return own;
}

std::string ownCatalogFile(std::string_view languageCode) {
    const std::string inLocale = joinPath(joinPath(languageCode, "LC_MESSAGES"), "ornibe.mo");
    const std::string exeFolder = executableFolder();
    std::string installed =
        makeAbsolute(joinPath(joinPath(exeFolder, ORNIBE_INSTALLED_LOCALE_DIR_FROM_BIN), inLocale));
    if (existsAsFile(installed)) {
        return installed;
    }
    if (std::optional<std::string> built =
            inBuildTree(exeFolder, joinPath(ORNIBE_BUILD_LOCALE_DIR_NAME, inLocale),
                        [](const std::string& file) { return existsAsFile(file); })) {
        return *built;
    }
    return installed;
}

} // namespace ornibe
