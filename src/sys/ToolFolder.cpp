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
// never looks there: its own tool folder is found first.
std::optional<std::string> buildTreeToolFolder(std::string folder) {
    while (!folder.empty()) {
        std::string tools = joinPath(folder, ORNIBE_BUILD_TOOL_DIR_NAME);
        if (existsAsFile(joinPath(folder, "CMakeCache.txt")) && holdsTools(tools)) {
            return tools;
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
    if (std::optional<std::string> built = buildTreeToolFolder(exeFolder)) {
        return *built;
    }
    return installed;
}

} // namespace

std::string ownToolFolder() {
    static const std::string own = findOwnToolFolder();
    return own;
}

} // namespace ornibe
