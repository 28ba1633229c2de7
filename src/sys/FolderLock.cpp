#include "sys/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

namespace ornibe {

FolderLock::Result FolderLock::take(const std::string& folder) {
    release();
    // A folder opens for reading only, and flock needs no more.
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) {
        return Result::Failed;
    }
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) {
            continue;
        }
        return errno == EWOULDBLOCK ? Result::Busy : Result::Failed;
    }
    fd_ = std::move(fd);
    return Result::Taken;
}

} // namespace ornibe
