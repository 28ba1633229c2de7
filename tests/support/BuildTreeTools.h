#pragma once

#include "support/TestEnvironment.h"
#include "sys/SearchPath.h"

#include <string>

namespace ornibe::test {

// The build tree's own tools, with currentFolder taken as the current
// folder, in the environment given (the test program's own by default).
ToolSearch buildTreeTools(const std::string& currentFolder,
                          const HostEnvironment& environment = hostEnvironment());

// Makes folder a tool folder of the build tree's makecab, extract and
// cdimage (links to them) and an attribute tool that does nothing.
void linkBuildTreeTools(const std::string& folder);

// Moves the process's current folder into a folder for its lifetime, and
// back: for tests of how relative paths are taken from it.
class CurrentFolderScope {
public:
    explicit CurrentFolderScope(const std::string& folder);
    ~CurrentFolderScope();
    CurrentFolderScope(const CurrentFolderScope&) = delete;
    CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

private:
    std::string previous_;
};

} // namespace ornibe::test
