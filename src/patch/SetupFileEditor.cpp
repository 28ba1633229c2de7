#include "patch/SetupFileEditor.h"

#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ornibe {

SetupFileEditor::SetupFileEditor(ToolSearch tools, std::string i386Folder)
    : tools_(std::move(tools)), i386Folder_(withTrailingSlash(std::move(i386Folder))) {
    makeTempFolder();
}

SetupFileEditor::SetupFileEditor(ToolSearch tools, std::string i386Folder,
                                 const DriverPackage& package, WindowsTarget target)
    : tools_(std::move(tools)), i386Folder_(withTrailingSlash(std::move(i386Folder))),
      package_(&package), target_(std::move(target)) {
    makeTempFolder();
}

void SetupFileEditor::makeTempFolder() {
    // Work copies are written into TEMP and removed from it: neither I386
    // nor TEMP may lead out of the work folder.
    refuseLink("open", i386Folder_);
    // A tree copied on Linux may already hold "temp" or "Temp"; the tree
    // must not end up with two names that differ only in case.
    std::string temp = entryPathNoCase(i386Folder_, "TEMP");
    tempFolder_ = withTrailingSlash(temp);
    refuseLink("create folder", temp);
    if (::mkdir(temp.c_str(), 0777) == 0) {
        return;
    }
    int error = errno;
    if (error == EEXIST) {
        if (existsAsFolder(temp)) {
            return;
        }
        error = ENOTDIR;
    }
    throwFileError("create folder", temp, error);
}

SetupFileEditor::~SetupFileEditor() {
    // rmdir removes only an empty folder: a work copy that a patcher left
    // in TEMP keeps the folder, and nothing in it is lost.
    std::string temp = tempFolder_.substr(0, tempFolder_.size() - 1);
    ::rmdir(temp.c_str());
}

} // namespace ornibe
