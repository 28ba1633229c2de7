#pragma once

#include "sys/HostEnvironment.h"
#include "sys/ProcessStarter.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// Looking up files by name as Windows tools are named: letters match
// ignoring ASCII case, and ".EXE" at the end is optional, so "CDIMAGE.EXE"
// finds "cdimage". Only regular files (or links to them) are found.

// The path of the file called name in folder: the exact name first, then a
// name equal ignoring case, then the same without a trailing ".EXE". The
// empty text when there is none.
std::string findFileInFolder(const std::string& folder, std::string_view name);

// Where files and programs named without a folder are looked for, and how
// the programs start: a tool folder, a folder that counts as the current
// one, and the folders of the environment's PATH; the environment the
// children get, and the starter they go through. A relative path (and an
// empty or relative entry of PATH) is taken from that current folder.
class ToolSearch {
public:
    // Children start through the system's process starter.
    ToolSearch(std::string toolFolder, std::string currentFolder, HostEnvironment environment);

    // The running program's: its own tool folder, the process's current
    // folder and the environment its main read.
    static ToolSearch forThisProgram(HostEnvironment environment);

    const std::string& toolFolder() const { return toolFolder_; }
    const std::string& currentFolder() const { return currentFolder_; }
    // The program's environment, with the variables given to children.
    const HostEnvironment& environment() const { return environment_; }
    ProcessStarter& processStarter() const { return *starter_; }

    // An absolute path as it is; a relative one below the current folder.
    std::string fromCurrentFolder(std::string_view path) const;

    // The full path of the first file called name in the tool folder, the
    // current folder, then the folders of PATH; the empty text when there
    // is none. A name with "/" is a path and is only matched where it
    // points.
    std::string findOnSearchPath(std::string_view name) const;

    // The program that a command line names: the tool folder, then PATH
    // (not the current folder). An executable file is preferred; when
    // there is only one without execute permission, that one is named
    // (starting it then fails with the system's reason). A name with "/" is
    // a path and is only matched where it points. The empty text when there
    // is none.
    std::string findProgram(std::string_view name) const;

    // The same search, whose programs get the variable name set to value
    // beside the rest of the environment (replacing its own).
    ToolSearch withChildVariable(const std::string& name, const std::string& value) const;
    // The same search, whose children start through starter.
    ToolSearch withProcessStarter(std::shared_ptr<ProcessStarter> starter) const;

private:
    std::string findPath(std::string_view name, bool (*accept)(const std::string&)) const;
    std::string search(std::string_view name, bool withCurrentFolder,
                       bool (*accept)(const std::string&)) const;

    std::string toolFolder_;
    std::string currentFolder_;
    HostEnvironment environment_;
    std::shared_ptr<ProcessStarter> starter_;
};

} // namespace ornibe
