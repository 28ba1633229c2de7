#include "sys/ToolFolder.h"

#include "sys/HostPath.h"

#include <unistd.h>

#include <optional>
#include <vector>

namespace ornibe {
namespace {

std::optional<std::string>& chosenFolder() {
    static std::optional<std::string> folder;
    return folder;
}

std::string executableFolder() {
    std::vector<char> buffer(4096);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        return {};
    }
    return folderPart(std::string_view(buffer.data(), static_cast<size_t>(n)));
}

} // namespace

std::string toolFolder() {
    if (chosenFolder()) {
        return *chosenFolder();
    }
    std::string installed =
        makeAbsolute(joinPath(executableFolder(), ORNIBE_INSTALLED_TOOL_DIR_FROM_BIN));
    if (existsAsFolder(joinPath(installed, "")) && existsAsFile(joinPath(installed, "cdimage"))) {
        return installed;
    }
    return ORNIBE_BUILD_TOOL_DIR;
}

void setToolFolder(std::string folder) {
    chosenFolder() = std::move(folder);
}

} // namespace ornibe
