#include "support/BuildTreeTools.h"

#include "support/TempDir.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace ornibe::test {

ToolSearch buildTreeTools(const std::string& currentFolder, const HostEnvironment& environment) {
    return toolSearch(ORNIBE_BUILD_TOOL_DIR, currentFolder, environment);
}

void linkBuildTreeTools(const std::string& folder) {
    std::filesystem::create_directories(folder);
    for (const std::string tool : {"makecab", "extract", "cdimage"}) {
        std::filesystem::create_symlink(std::string(ORNIBE_BUILD_TOOL_DIR) + "/" + tool,
                                        folder + "/" + tool);
    }
    writeScript(folder + "/attrib", "exit 0\n");
}

CurrentFolderScope::CurrentFolderScope(const std::string& folder) {
    if (char* current = ::getcwd(nullptr, 0)) {
        previous_ = current;
        std::free(current);
    }
    EXPECT_EQ(::chdir(folder.c_str()), 0) << folder;
}

CurrentFolderScope::~CurrentFolderScope() {
    EXPECT_EQ(::chdir(previous_.empty() ? "/" : previous_.c_str()), 0) << previous_;
}

} // namespace ornibe::test
