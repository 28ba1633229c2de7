#pragma once

#include <dirent.h>

#include <memory>

namespace ornibe {

struct FolderCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Owns a folder handle from opendir and closes it when it goes.
using UniqueDir = std::unique_ptr<DIR, FolderCloser>;

} // namespace ornibe
