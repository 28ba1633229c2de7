#pragma once

#include "sys/UniqueFd.h"

#include <string>

namespace ornibe {

// An exclusive lock on a folder, so that two builds never work on one
// work folder at the same time. It is an flock on a descriptor of the
// folder itself: nothing is added to the tree, every path that names the
// folder (through a link, in another spelling) meets the same lock, and
// the kernel lets go of it when the descriptor closes, also when the
// process is killed. The descriptor is closed on exec, so a tool that the
// build starts and that outlives it never keeps the folder locked.
class FolderLock {
public:
    enum class Result {
        // The lock is held by this object.
        Taken,
        // Another open of the folder (another build) holds it.
        Busy,
        // The folder cannot be opened, or its file system does not lock;
        // nothing is held.
        Failed,
    };

    // Lets go of any lock held, then takes the folder's without waiting.
    Result take(const std::string& folder);
    // Lets go of the lock; harmless when none is held.
    void release() { fd_.reset(); }
    bool held() const { return fd_.valid(); }

private:
    UniqueFd fd_;
};

} // namespace ornibe
