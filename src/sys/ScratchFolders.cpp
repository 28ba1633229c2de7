#include "sys/ScratchFolders.h"

#include "sys/FileError.h"
#include "sys/HostPath.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

namespace ornibe {

ScratchFolders::ScratchFolders(std::string prefix, std::string tempFolder)
    : prefix_(std::move(prefix)), tempFolder_(std::move(tempFolder)) {}

ScratchFolders::~ScratchFolders() {
    if (!root_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
}

Result<std::string> ScratchFolders::make() {
    if (root_.empty()) {
        std::string pattern = joinPath(tempFolder_, prefix_ + "-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            return Failure{"create folder", pattern, systemReason(errno)};
        }
        root_ = pattern;
    }
    std::string folder = joinPath(root_, std::to_string(++made_));
    if (::mkdir(folder.c_str(), 0700) != 0) {
        return Failure{"create folder", folder, systemReason(errno)};
    }
    return folder;
}

} // namespace ornibe
