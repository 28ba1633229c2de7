#include "sys/ScratchFolders.h"

#include "sys/FileError.h"
#include "sys/HostPath.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace ornibe {

ScratchFolders::ScratchFolders(std::string prefix) : prefix_(std::move(prefix)) {}

ScratchFolders::~ScratchFolders() {
    if (!root_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
}

Result<std::string> ScratchFolders::make() {
    if (root_.empty()) {
        const char* temp = std::getenv("TMPDIR");
        std::string pattern =
            joinPath(temp != nullptr && *temp != '\0' ? temp : "/tmp", prefix_ + "-XXXXXX");
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
