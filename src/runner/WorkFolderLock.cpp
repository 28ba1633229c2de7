#include "runner/WorkFolderLock.h"

#include "sys/HostPath.h"
#include "sys/Translation.h"

namespace ornibe {

Outcome lockWorkFolder(FolderLock& lock, const std::string& folder) {
    if (lock.take(folder) == FolderLock::Result::Busy) {
        const std::string shown = withoutTrailingSlash(folder);
        return Failure::refusal(translated("この作業フォルダは使えません。"), shown,
                                translated("%1 では、ほかのビルドが実行中です。"
                                           "そのビルドが終わってから、もう一度始めてください。",
                                           {shown}));
    }
    return {};
}

Outcome checkWorkFolderFree(const std::string& folder) {
    FolderLock probe;
    return lockWorkFolder(probe, folder);
}

} // namespace ornibe
