#pragma once

#include "sys/Result.h"

#include <string>

namespace ornibe {

// New empty folders for files a step unpacks for a while (a cabinet's
// file, a floppy image's files, folders copied out of an image), numbered
// under one private folder that is made in a folder for scratch files
// ($TMPDIR, else /tmp: HostEnvironment::tempFolder) on first use and removed
// with everything in it when this object goes.
class ScratchFolders {
public:
    // prefix names the private folder, as in "ornibe-check"; it is made in
    // tempFolder.
    ScratchFolders(std::string prefix, std::string tempFolder);
    ~ScratchFolders();
    ScratchFolders(const ScratchFolders&) = delete;
    ScratchFolders& operator=(const ScratchFolders&) = delete;

    // A new empty folder that only this user can enter.
    Result<std::string> make();

private:
    std::string prefix_;
    std::string tempFolder_;
    std::string root_;
    unsigned made_ = 0;
};

} // namespace ornibe
